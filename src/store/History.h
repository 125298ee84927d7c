#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <functional>
#include <optional>
#include <vector>

// The history of every operation, Vedaris.history beside the data files: one
// entry per operation, appended by its Transaction in the same all-or-nothing
// step as the data, with the time, the kind, the sentence that names it and
// the bytes of every record it touched before and after. The file is only
// ever appended to; a tail damaged by something outside the program is cut
// back to the last sound entry at start-up. The old program ignores it.
//
// Layout, little-endian: the file starts with "VEDHIST1". Each entry is
//   "VHE1", u32 body length, the body,
//   the first 8 bytes of the SHA-256 of "VHE1", the length and the body,
//   u32 body length again, "VHEN",
// so the newest entries are read from the end without a scan. The body:
//   u64 number (1 for the first entry), i64 milliseconds since 1970 UTC,
//   i64 the offset of the entry an undo put back (-1 for any other),
//   u16 length and the UTF-8 kind, u16 length and the UTF-8 sentence,
//   u16 number of files, per file u8 length and the name, i64 length before
//   and i64 length after;
//   u32 number of records, per record u16 the file's place in that list, i64
//   the record's number, u32 length and the bytes before (empty when the
//   operation appended it), u32 the length after, u16 number of runs and per
//   run u16 offset, u16 length and the bytes: the record after is the record
//   before, cut or padded with zeros to its length after, with the runs laid
//   over it. Only what the operation changed is stored twice.
namespace vedaris::history {

inline const QString FileName = QStringLiteral("Vedaris.history");

// The kinds the program's operations record; a future operation may name its own.
namespace kind {
inline const QString Receipt = QStringLiteral("Приход");
inline const QString Issue = QStringLiteral("Выдача");
inline const QString WriteOff = QStringLiteral("Списание");
inline const QString Edit = QStringLiteral("Изменение");
inline const QString Delete = QStringLiteral("Удаление");
inline const QString ReferenceAdd = QStringLiteral("Добавление в справочник");
inline const QString ReferenceDelete = QStringLiteral("Удаление из справочника");
inline const QString Restore = QStringLiteral("Восстановление из копии");
inline const QString Undo = QStringLiteral("Отмена");
inline const QString Stocktake = QStringLiteral("Инвентаризация");
} // namespace kind

struct FileLength
{
    QString file;
    qint64 before = 0;
    qint64 after = 0;
};

struct RecordChange
{
    QString file;
    qint64 index = 0;
    QByteArray before; // empty: the operation appended the record
    QByteArray after; // empty: the operation cut it off (a restore)
};

struct Entry
{
    qint64 offset = -1; // where the entry starts in the file
    qint64 end = -1; // where the next one starts
    quint64 number = 0;
    QDateTime when;
    QString kind;
    QString sentence; // as the journal names the operation
    qint64 undoes = -1; // an undo: the offset of the entry it put back
    std::vector<FileLength> lengths;
    std::vector<RecordChange> records;

    // The sentence without its "… не было завершено и отменено.": what the
    // operation was.
    QString title() const;
    const FileLength *lengthOf(const QString &file) const;
};

// The record size of a data file, by its name.
int recordSize(const QString &file);

// The bytes one entry takes in the file; `first` puts the file's magic before it.
QByteArray encode(const Entry &e, bool first);
QByteArray fileMagic();

// Reads entries from the end of the file, newest first, without reading the
// rest. Opening never creates the file. Throws Error when it cannot be read.
class Reader
{
public:
    explicit Reader(const QString &dataDir);
    ~Reader();
    Reader(const Reader &) = delete;
    Reader &operator=(const Reader &) = delete;

    bool exists() const;
    qint64 length() const;
    // Where the sound part of the file ends: the length when the last entry is
    // whole, else the end of the last sound entry before the damage.
    qint64 soundEnd();
    // The entry that ends at `end`, or nothing when none sound does.
    std::optional<Entry> endingAt(qint64 end);
    // The entry that starts at `offset`.
    std::optional<Entry> at(qint64 offset);
    // Entries newest first from `end` (soundEnd() by default); `fn` returns false to stop.
    void newestFirst(const std::function<bool(const Entry &)> &fn, qint64 end = -1);

private:
    struct State;
    std::unique_ptr<State> d;
};

// What vedaris-check and the start-up say about the file; nothing is written.
struct Health
{
    bool present = false;
    qint64 length = 0;
    qint64 soundEnd = 0;
    qint64 entries = 0;
    QStringList problems; // in Russian, each a line
};
// Every entry's checksum and framing; with `files`, that the newest after-image
// of every record the history names is what the data files hold.
Health verify(const QString &dataDir, bool files = true);

// Start-up, under the lock, after the journal's playback: a tail that is not a
// sound entry (a disk that lost the end of the file) is cut off. Returns the
// sentence saying so, or nothing when the file is sound.
QString repairTail(const QString &dataDir);

} // namespace vedaris::history
