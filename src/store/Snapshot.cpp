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

// Size and modification time of one file, as far as the system tells them;
// a file that cannot be looked at compares as its own state.
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

std::array<Stamp, 6> stamps(const QString &dataDir)
{
    std::array<Stamp, 6> out;
    for (int i = 0; i < 6; ++i)
        out[size_t(i)] = stampOf(files::path(dataDir, files::All[i]));
    return out;
}

QByteArray readWhole(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        throw Error(path, f.errorString());
    QByteArray bytes = f.readAll();
    if (f.error() != QFile::NoError)
        throw Error(path, f.errorString());
    return bytes;
}

} // namespace

Files read(const QString &dataDir, const Retry &retry)
{
    const QString journal = files::path(dataDir, Transaction::FileName);
    bool journalSeen = false;
    for (int attempt = 1;; ++attempt) {
        QString why;
        if (QFile::exists(journal)) {
            journalSeen = true;
            why = QStringLiteral("в папке данных есть журнал операции (%1): операция ещё идёт").arg(Transaction::FileName);
        } else {
            journalSeen = false;
            const auto before = stamps(dataDir);
            Files files;
            for (int i = 0; i < 6; ++i)
                files.bytes[size_t(i)] = readWhole(files::path(dataDir, files::All[i]));
            const bool journalNow = QFile::exists(journal);
            if (!journalNow && stamps(dataDir) == before)
                return files;
            journalSeen = journalNow;
            why = journalNow ? QStringLiteral("во время чтения началась операция (появился %1)").arg(Transaction::FileName)
                             : QStringLiteral("файлы данных менялись во время чтения");
        }
        if (attempt >= retry.attempts)
            break;
        if (retry.waiting)
            retry.waiting(why);
        QThread::msleep(static_cast<unsigned long>(retry.pauseMs));
    }
    if (journalSeen)
        throw Error({}, QStringLiteral("В папке данных %1 остаётся журнал незавершённой операции %2: программа "
                                       "выполняет операцию, или операция была прервана и будет отменена при "
                                       "следующем запуске программы. Файлы не загружены; повторите позже или "
                                       "запустите программу, чтобы она восстановила файлы.")
                            .arg(dataDir, Transaction::FileName));
    throw Error({}, QStringLiteral("Файлы данных в папке %1 всё время менялись, пока их читали: программа "
                                   "выполняет много операций подряд. Файлы не загружены; повторите позже.")
                        .arg(dataDir));
}

} // namespace vedaris::snapshot
