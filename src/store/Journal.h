#pragma once

#include <QString>
#include <memory>

namespace vedaris {

class RecordFile;

// Makes one operation on the data files all or nothing, across errors and
// crashes alike. Before its first write the operation names every record it is
// about to change and the bytes it will write there; begin() puts the old and
// the new bytes, and the old and new length of every file it touches, into the
// journal Vedaris.journal beside the data files, with a checksum, and syncs the
// journal and the folder. Then the data is written; commit() syncs it and
// removes the journal. A journal found at the next start means the operation
// did not finish: journal::recover() puts the old bytes back, but only when
// every file is still as the operation left it (before, after, or part way
// through its own writes). A file restored from a backup or written by another
// program since is never overwritten with bytes meant for other contents. The
// data files themselves stay exactly as the old program reads them; it
// ignores the journal.
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

    // Record `index` of `file` is about to be written with `now`: its bytes as
    // they are, or at count() the file's length (an append).
    void keepRecord(RecordFile &file, qint64 index, const QByteArray &now);
    // Only the byte at `offset` of record `index` is about to change, to `now`.
    void keepByte(RecordFile &file, qint64 index, int offset, char now);
    // The whole of `file` is about to be replaced by `now` (a restore), which
    // may be shorter or longer than the file is.
    void keepWhole(RecordFile &file, const QByteArray &now);
    // Only `length` bytes of `file` stay (an undo of an append); the bytes
    // past it are kept.
    void keepLength(RecordFile &file, qint64 length);
    // `bytes` are about to be written at `offset` of `file`, inside or at its end.
    void keepBytes(RecordFile &file, qint64 offset, const QByteArray &now);
    // The operation puts back the history entry starting at `offset`.
    void undoes(qint64 offset);
    // Puts the journal on the disk, then appends the operation's entry to the
    // history (Vedaris.history): the journal holds the history's length, so
    // a playback cuts the entry off with the data. `undone` is the sentence
    // that tells the user at the next start which operation was undone; it
    // names the operation in the history too, under `kind` (by default the
    // sentence's first word).
    void begin(const QString &undone, const QString &kind = {});
    // Syncs every file kept, then removes the journal: the operation stands.
    void commit();

private:
    struct State;
    QString m_dir;
    std::unique_ptr<State> d;
};

namespace journal {

// The largest journal read: an operation's journal holds a few records, or a
// byte per issue of a deleted batch. Anything larger is not one of ours.
constexpr qint64 MaxBytes = 256LL * 1024 * 1024;

// A journal left in the folder, as vedaris-check reports it; nothing is written.
struct Pending
{
    bool present = false;
    bool readable = false; // whole, with a sound checksum, one of ours
    bool matches = false; // every file as the operation left it: playback is safe
    QString undone; // the sentence naming the operation
    QString reason; // !readable or !matches: why, in Russian
};
Pending inspect(const QString &dataDir);

// At start-up, under the lock and before the files are read: plays back a
// journal left by an operation that did not finish (old bytes restored, files
// cut back to their old lengths, all synced), then removes it. Returns the
// sentence naming the operation undone, or nothing. A journal cut short while
// it was written (its checksum fails) was written before any data file was
// touched: it is just removed. Throws Error when a file cannot be restored,
// or when the files are no longer those the journal was written for (restored
// from a backup, written by another program: Error::file() is the journal and
// the reason says what to do); the journal then stays and nothing is written.
QString recover(const QString &dataDir);

} // namespace journal

} // namespace vedaris
