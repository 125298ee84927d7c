#pragma once

#include <QDate>
#include <QString>
#include <QVector>

// Daily copies of the six data files in backup/YYYY-MM-DD beside them.
namespace vedaris::backup {

constexpr int Kept = 10;

QString folder(const QString &dataDir); // <dataDir>/backup

// The dated backup folders, oldest first. Other folders (a half copy among them)
// are not backups.
QVector<QDate> existing(const QString &dataDir);

// At start-up, once the data files exist: when no backup of today
// (vedaris::Clock) exists yet, copies the six files into backup/<today>/ and
// removes the oldest backups beyond the Kept newest. Returns an empty text when
// all went well or nothing was due, otherwise the message to show once; a
// failure never touches the data files and leaves no folder that looks like a
// backup.
QString makeDaily(const QString &dataDir);

} // namespace vedaris::backup
