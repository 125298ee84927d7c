#pragma once

#include <QByteArray>
#include <QString>
#include <array>
#include <functional>
#include <memory>

// Reading the six data files from outside the program, which may be running:
// without the lock, and only between operations. A journal in the folder means
// an operation is under way (or was cut off and waits for the program's next
// start); a file whose size or modification time moves while it is read was
// written meanwhile. Either way the attempt is thrown away and, after a pause,
// made again.
namespace vedaris::snapshot {

struct Retry
{
    int attempts = 5;
    int pauseMs = 1000;
    // Told before each pause why the read is made again (for a progress line).
    std::function<void(const QString &why)> waiting;
};

// The files of one attempt, opened read-only. Files are numbered in the order
// of files::All.
class Reader
{
public:
    explicit Reader(const QString &dataDir);
    ~Reader();
    Reader(const Reader &) = delete;
    Reader &operator=(const Reader &) = delete;

    // The file's length when the attempt began.
    qint64 length(int file) const;
    // Every whole record of the file in order, in large blocks: `records(first,
    // bytes, count)`; then the bytes of an incomplete tail, if any, to `tail`.
    void scan(int file, int recordSize,
              const std::function<void(qint64 first, const char *bytes, qint64 count)> &records,
              const std::function<void(const char *bytes, qint64 length)> &tail = {});
    // `count` whole records from record `first`; fewer where the file ends.
    QByteArray records(int file, int recordSize, qint64 first, qint64 count);
    // The caller found the files changed under it (say, a record read twice
    // differs): the attempt ends and is made again.
    [[noreturn]] void moved() const;
    // Ends the attempt the same way when a journal appeared or a file's size
    // or modification time moved since the attempt began.
    void verify() const;

    struct State;

private:
    std::unique_ptr<State> d;
};

// Runs `attempt` on the files until one attempt began with no journal in the
// folder and ended with the files as they were at its start. Before each new
// attempt `undo` puts back what the failed one did. Throws Error when a file
// cannot be read, and after the last attempt (the reason says what kept
// changing); errors from `attempt` go through unchanged.
void consistently(const QString &dataDir, const Retry &retry,
                  const std::function<void(Reader &)> &attempt,
                  const std::function<void()> &undo = {});

// The six files whole, read consistently.
struct Files
{
    std::array<QByteArray, 6> bytes;
};
Files read(const QString &dataDir, const Retry &retry = {});

} // namespace vedaris::snapshot
