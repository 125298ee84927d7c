#pragma once

#include <QString>
#include <memory>

namespace vedaris {

class RecordFile;

// Makes one operation on the data files all or nothing, across errors and
// crashes alike. Before its first write the operation names every record it is
// about to change; begin() puts their old bytes, and the old length of every
// file it appends to, into the journal Vedaris.journal beside the data files,
// with a checksum, and syncs the journal and the folder. Then the data is
// written; commit() syncs it and removes the journal. A journal found at the
// next start means the operation did not finish: journal::recover() puts the
// old bytes back. The data files themselves stay exactly as the old program
// reads them; it ignores the journal.
class Transaction
{
public:
    static const QString FileName; // "Vedaris.journal"

    // Passes the folder's write gate (a folder open for viewing only throws)
    // and plays back a journal that an earlier failure left. An operation starts
    // its transaction before it reads the files it will change.
    explicit Transaction(const QString &dataDir);
    // Without commit(): the old bytes are put back and the journal removed. If
    // that fails as well, the journal stays for the next operation or start.
    ~Transaction();
    Transaction(const Transaction &) = delete;
    Transaction &operator=(const Transaction &) = delete;

    // Record `index` of `file` is about to be written: its bytes as they are,
    // or at count() the file's length (an append).
    void keepRecord(RecordFile &file, qint64 index);
    // Only the byte at `offset` of record `index` is about to change.
    void keepByte(RecordFile &file, qint64 index, int offset);
    // Puts the journal on the disk. `undone` is the sentence that tells the
    // user at the next start which operation was undone.
    void begin(const QString &undone);
    // Syncs every file kept, then removes the journal: the operation stands.
    void commit();

private:
    struct State;
    QString m_dir;
    std::unique_ptr<State> d;
};

namespace journal {

// At start-up, under the lock and before the files are read: plays back a
// journal left by an operation that did not finish (old bytes restored, files
// cut back to their old lengths, all synced), then removes it. Returns the
// sentence naming the operation undone, or nothing. A journal cut short while
// it was written (its checksum fails) was written before any data file was
// touched: it is just removed. Throws Error when a file cannot be restored;
// the journal then stays.
QString recover(const QString &dataDir);

} // namespace journal

} // namespace vedaris
