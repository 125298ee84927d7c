#include "Snapshot.h"

#include "DataFiles.h"
#include "Error.h"
#include "Journal.h"

#include <QFile>
#include <QThread>
#include <filesystem>
#include <system_error>

namespace vedaris::snapshot {

namespace {

// Size and modification time of one file as the system tells them.
struct Stamp
{
    std::uintmax_t size = 0;
    std::filesystem::file_time_type modified{};
    bool known = false;
    bool operator==(const Stamp &) const = default;
};

Stamp stampOf(const QString &path)
{
    std::error_code ec;
    const std::filesystem::path p(path.toStdU16String());
    Stamp s;
    s.size = std::filesystem::file_size(p, ec);
    if (ec)
        return {};
    s.modified = std::filesystem::last_write_time(p, ec);
    s.known = !ec;
    return s;
}

// Thrown inside an attempt that found the files changing.
struct Moved
{
    QString why;
};

constexpr qint64 BlockBytes = 4 << 20;

} // namespace

struct Reader::State
{
    QString dataDir;
    QString journal;
    std::array<std::unique_ptr<QFile>, 6> files;
    std::array<Stamp, 6> stamps;
    std::array<qint64, 6> lengths{};
    QByteArray block;

    bool journalPresent() const { return QFile::exists(journal); }
    void verify() const
    {
        if (journalPresent())
            throw Moved{QStringLiteral("во время чтения началась операция (появился %1)")
                            .arg(Transaction::FileName)};
        for (int i = 0; i < 6; ++i)
            if (!(stampOf(files::path(dataDir, files::All[i])) == stamps[size_t(i)]))
                throw Moved{QStringLiteral("файлы данных менялись во время чтения")};
    }
    QFile &file(int i) { return *files[size_t(i)]; }
    void readAt(int i, qint64 offset, char *out, qint64 length)
    {
        QFile &f = file(i);
        if (!f.seek(offset))
            throw Error(f.fileName(), f.errorString());
        qint64 done = 0;
        while (done < length) {
            const qint64 n = f.read(out + done, length - done);
            if (n < 0)
                throw Error(f.fileName(), f.errorString());
            if (n == 0) // the file became shorter than at the start: it is being replaced
                throw Moved{QStringLiteral("файлы данных менялись во время чтения")};
            done += n;
        }
    }
};

Reader::Reader(const QString &dataDir) : d(std::make_unique<State>())
{
    d->dataDir = dataDir;
    d->journal = files::path(dataDir, Transaction::FileName);
    for (int i = 0; i < 6; ++i) {
        const QString path = files::path(dataDir, files::All[i]);
        d->stamps[size_t(i)] = stampOf(path);
        auto f = std::make_unique<QFile>(path);
        if (!f->open(QIODevice::ReadOnly))
            throw Error(path, f->errorString());
        d->lengths[size_t(i)] = f->size();
        d->files[size_t(i)] = std::move(f);
    }
}

Reader::~Reader() = default;

qint64 Reader::length(int file) const
{
    return d->lengths[size_t(file)];
}

void Reader::scan(int file, int recordSize,
                  const std::function<void(qint64, const char *, qint64)> &records,
                  const std::function<void(const char *, qint64)> &tail)
{
    const qint64 whole = length(file) / recordSize;
    const qint64 perBlock = std::max<qint64>(1, BlockBytes / recordSize);
    d->block.resize(perBlock * recordSize);
    for (qint64 first = 0; first < whole; first += perBlock) {
        const qint64 count = std::min(perBlock, whole - first);
        d->readAt(file, first * recordSize, d->block.data(), count * recordSize);
        records(first, d->block.constData(), count);
    }
    const qint64 rest = length(file) - whole * recordSize;
    if (rest > 0 && tail) {
        d->readAt(file, whole * recordSize, d->block.data(), rest);
        tail(d->block.constData(), rest);
    }
}

QByteArray Reader::records(int file, int recordSize, qint64 first, qint64 count)
{
    const qint64 whole = length(file) / recordSize;
    count = std::max<qint64>(0, std::min(count, whole - first));
    QByteArray out(count * recordSize, Qt::Uninitialized);
    if (count > 0)
        d->readAt(file, first * recordSize, out.data(), out.size());
    return out;
}

void Reader::moved() const
{
    throw Moved{QStringLiteral("файлы данных менялись во время чтения")};
}

void Reader::verify() const
{
    d->verify();
}

void consistently(const QString &dataDir, const Retry &retry,
                  const std::function<void(Reader &)> &attempt, const std::function<void()> &undo)
{
    const QString journal = files::path(dataDir, Transaction::FileName);
    bool journalSeen = false;
    for (int n = 1;; ++n) {
        QString why;
        if (QFile::exists(journal)) {
            journalSeen = true;
            why = QStringLiteral("в папке данных есть журнал операции (%1): операция ещё идёт")
                      .arg(Transaction::FileName);
        } else {
            journalSeen = false;
            try {
                Reader reader(dataDir);
                attempt(reader);
                reader.verify();
                return;
            } catch (const Moved &m) {
                why = m.why;
                journalSeen = QFile::exists(journal);
            }
            if (undo)
                undo();
        }
        if (n >= retry.attempts)
            break;
        if (retry.waiting)
            retry.waiting(why);
        QThread::msleep(static_cast<unsigned long>(retry.pauseMs));
    }
    if (journalSeen)
        throw Error(
            {},
            QStringLiteral("В папке данных %1 остаётся журнал незавершённой операции %2: программа "
                           "выполняет операцию, или операция была прервана и будет отменена при "
                           "следующем запуске программы. Файлы не загружены; повторите позже или "
                           "запустите программу, чтобы она восстановила файлы.")
                .arg(dataDir, Transaction::FileName));
    throw Error(
        {},
        QStringLiteral("Файлы данных в папке %1 всё время менялись, пока их читали: программа "
                       "выполняет много операций подряд. Файлы не загружены; повторите позже.")
            .arg(dataDir));
}

Files read(const QString &dataDir, const Retry &retry)
{
    Files out;
    consistently(dataDir, retry, [&](Reader &reader) {
        for (int i = 0; i < 6; ++i) {
            QByteArray &bytes = out.bytes[size_t(i)];
            bytes.clear();
            reader.scan(i, 1, [&](qint64, const char *b, qint64 n) { bytes.append(b, n); });
        }
    });
    return out;
}

} // namespace vedaris::snapshot
