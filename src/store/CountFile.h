#pragma once

#include <QDate>
#include <QString>
#include <optional>
#include <vector>

// A stock-take in progress, or the last one posted, kept in Vedaris.count
// beside the data files. The old program never looks at it. A count can take
// days, so the draft is saved as it is typed, each time whole or not at all (a
// new file written and synced beside it, then put in its place): a crash
// leaves the last saved draft or the one before it, never a mix. There is one
// count at a time; a posted one stays, read-only, until the next is begun.
namespace vedaris::count {

inline const QString FileName = QStringLiteral("Vedaris.count");

// One counted batch, as the count sheet listed it at the count's date.
struct Line
{
    qint32 recordId = 0;
    QString drugName; // the batch's name when counted: a slot reused since does not take the count
    QString unit;
    QString series;
    double expiry = 0;
    double price = 0;
    double book = 0; // the book quantity at the date, as the count last saw it
    QString counted; // as typed (decimal comma); empty: not counted yet
};

struct Count
{
    QDate date;
    bool posted = false;
    std::vector<Line> lines; // a draft: the counted lines; posted: every line of the sheet
};

// The file's bytes for `c`, and back. decode throws Error naming `path` when
// the bytes are not a count this program wrote.
QByteArray encode(const Count &c);
Count decode(const QByteArray &bytes, const QString &path);

QString path(const QString &dataDir);
// The count in the folder, or nothing when there is none. Throws Error when
// the file cannot be read or is not one of ours.
std::optional<Count> read(const QString &dataDir);
// Puts `c` in place of the folder's count, all or nothing. Throws Error (a
// folder open for viewing only included); the earlier count then stays.
void save(const QString &dataDir, const Count &c);

} // namespace vedaris::count
