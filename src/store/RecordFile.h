#pragma once

#include "Error.h"

#include <QByteArray>
#include <QFile>
#include <QString>
#include <functional>

namespace vedaris {

// One open file of fixed-size records. Opening never creates the file. Every
// failure throws Error naming the file; the destructor closes it on every path.
// Record i occupies bytes [i * size, (i + 1) * size); an incomplete tail is not
// a record, and the next append writes over it.
class RecordFile
{
public:
    enum Mode { ReadOnly, ReadWrite };

    RecordFile(const QString &path, int recordSize, Mode mode = ReadWrite);
    ~RecordFile();
    RecordFile(const RecordFile &) = delete;
    RecordFile &operator=(const RecordFile &) = delete;

    const QString &path() const { return m_path; }
    int recordSize() const { return m_size; }
    qint64 count() const;
    qint64 length() const; // in bytes, an incomplete tail included

    QByteArray readRaw(qint64 index);
    // Up to `length` bytes from `offset`, fewer at the end of the file.
    QByteArray bytesAt(qint64 offset, qint64 length);
    // Exactly recordSize bytes at record `index` (count() appends). A write cut
    // short is undone by the operation's Transaction, not here.
    void writeRaw(qint64 index, const QByteArray &bytes);
    // Reads every whole record from `from` in large blocks; `fn(index, bytes)` sees
    // each record's bytes, valid only during the call. Returning false stops.
    void scan(const std::function<bool(qint64 index, const char *bytes)> &fn, qint64 from = 0);
    // The first record whose byte at `deletedOffset` is exactly 1, or count().
    qint64 firstDeletedSlot(int deletedOffset);
    // The whole file becomes `bytes`: written from the start, then cut to
    // their length (a restore).
    void replaceAll(const QByteArray &bytes);
    // `bytes` at `offset`, inside the file or at its end (an undo).
    void writeAt(qint64 offset, const QByteArray &bytes);
    // The file is cut to `length` bytes (an undo of an append).
    void cutTo(qint64 length);
    // Rewrites only the deletion byte of record `index` with 1.
    void markDeleted(qint64 index, int deletedOffset);
    // Flushes and syncs what was written to the disk.
    void sync();
    void close(); // throws on failure; the destructor closes silently

    // Tests: the write that takes the bytes written through any RecordFile from
    // now past `bytes` puts down only what fits and then fails once, as a full
    // disk does. Negative disarms.
    static void failWritesAfter(qint64 bytes);

private:
    [[noreturn]] void fail() const;
    [[noreturn]] void fail(const QString &reason) const;
    void seek(qint64 index);
    void seekTo(qint64 pos);
    void readExactly(char *out, qint64 length);
    void writeExactly(const char *bytes, qint64 length);

    QString m_path;
    int m_size;
    QFile m_file;
};

// Typed access over a RecordFile for one of the record types of Records.h.
template<class Record> class TypedFile
{
public:
    TypedFile(const QString &path, RecordFile::Mode mode = RecordFile::ReadWrite)
        : m_file(path, Record::Size, mode)
    { }

    RecordFile &raw() { return m_file; }
    qint64 count() const { return m_file.count(); }
    Record read(qint64 index);
    void write(qint64 index, const Record &r);
    // The bytes write() puts down for `r`.
    static QByteArray encoded(const Record &r);
    // What place() does to `r` before it writes it.
    static void stamp(qint64 slot, Record &r);
    // The slot a new record takes: the first deleted one, or count().
    qint64 freeSlot() { return m_file.firstDeletedSlot(Record::DeletedOffset); }
    // Sets the id field (where the record has one) to `slot` and Deleted to 0,
    // then writes the record there.
    void place(qint64 slot, Record &r);
    // place() at freeSlot(). Returns the slot.
    qint64 add(Record &r);
    void markDeleted(qint64 index) { m_file.markDeleted(index, Record::DeletedOffset); }
    // Every whole record decoded, deleted ones included; fn returns false to stop.
    void forEach(const std::function<bool(qint64 index, const Record &r)> &fn);

private:
    RecordFile m_file;
};

} // namespace vedaris

#include "RecordFile_impl.h"
