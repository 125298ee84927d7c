#pragma once

#include <QString>
#include <QStringList>

namespace vedaris::files {

inline const QString Base = QStringLiteral("Base.dat");
inline const QString Rashod = QStringLiteral("Rashod.dat");
inline const QString NamePreparat = QStringLiteral("NamePreparat.dat");
inline const QString FirmaPostav = QStringLiteral("FirmaPostav.dat");
inline const QString Izgotovitel = QStringLiteral("Izgotovitel.dat");
inline const QString Otdelenie = QStringLiteral("Otdelenie.dat");

// The six data files, in the order a first start creates them.
inline const QStringList All = {Base, Rashod, NamePreparat, FirmaPostav, Izgotovitel, Otdelenie};

QString path(const QString &dataDir, const QString &name);

// Start-up: creates the missing data files empty, Base.dat and Rashod.dat first
// (the missing one of the two when only one exists), then the four reference
// files in order. An existing file is never truncated; a folder open for
// viewing only is left as it is. Throws Error.
void ensureExist(const QString &dataDir);

// Start-up: why one of the six files is not a plain file (a FIFO, a device, a
// link to one), naming it; nothing when none is. Such a file would hold a
// reader up for good, or never end.
QString notPlainFile(const QString &dataDir);

} // namespace vedaris::files
