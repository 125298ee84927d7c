#pragma once

#include <QDate>
#include <QString>
#include <QVector>
#include <atomic>
#include <optional>

// Daily copies of the six data files in backup/YYYY-MM-DD beside them.
namespace vedaris::backup {

constexpr int Kept = 10; // sound copies; damaged ones are kept apart, as many again
constexpr qint64 SpareBytes = 64LL * 1024 * 1024;

QString folder(const QString &dataDir); // <dataDir>/backup

// The dated backup folders of sound copies (a day's further copies each
// again), oldest first. Other folders (a half copy, a damaged copy, a link)
// are not counted.
QVector<QDate> existing(const QString &dataDir);

// How far a copy has come, and a request to stop it, shared with the thread
// that runs it.
struct Progress
{
    std::atomic<int> percent{0};
    std::atomic<bool> cancel{false};
};

// When no copy of today (vedaris::Clock) exists yet: unless the disk would keep
// less than the store's size plus SpareBytes free after copying, copies the six
// files into backup/<today>/, checking their records as it reads them. A store
// with damaged records is kept as backup/<today>-damaged, apart from the Kept
// sound copies, so that damaged copies never push the last sound one out. Then
// the oldest copies beyond Kept of each kind are removed. Returns an empty text
// when all went well or nothing was due, otherwise what to tell the user once.
// A failure never touches the data files and leaves no folder that looks like a
// backup; a cancelled copy leaves nothing and says nothing.
//
// Further copies of a day are named YYYY-MM-DD-2, -3, ...: one is made At
// start-up when the files differ from the state noted when this program last
// left them (old data brought in, files restored by hand). Copies dated after
// today are neither counted nor removed, and named once in the message. Copies
// of earlier days cut short (*.part) are removed. A symbolic link or junction
// is never listed, followed or removed as a copy.
enum class When { Daily, AtStart };
QString makeDaily(const QString &dataDir, Progress *progress = nullptr, When when = When::Daily);

// Notes each data file's size and time of change in backup/Vedaris.state, as
// this program leaves them: at the end of a session and after each copy.
void noteState(const QString &dataDir);

// The bytes a copy of the six files takes.
qint64 storeSize(const QString &dataDir);

// A dated copy as the restore command lists it.
struct DatedCopy
{
    QString name; // the folder's name in backup/
    QDate date;
    bool damaged = false;
};
// Every dated copy, sound and damaged, newest first.
QVector<DatedCopy> copies(const QString &dataDir);

// Puts the copy `name` back over the six data files as one operation under
// the folder's write gate and the journal, after keeping today's files as a
// further copy of the day. Returns that copy's folder name. Throws Error;
// nothing is changed then, or the journal puts it back.
QString restore(const QString &dataDir, const QString &name);

// Tests: the free space the check sees in place of the disk's.
void setFreeSpaceForTests(std::optional<qint64> bytes);

} // namespace vedaris::backup
