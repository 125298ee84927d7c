#include "Backup.h"

#include "Clock.h"
#include "DataFiles.h"
#include "Error.h"
#include "IntegrityCheck.h"
#include "Platform.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStorageInfo>
#include <algorithm>
#include <cmath>

namespace vedaris::backup {

namespace {

const QString DateFormat = QStringLiteral("yyyy-MM-dd");
const QString DamagedSuffix = QStringLiteral("-damaged");

std::optional<qint64> freeSpaceOverride;

struct Cancelled
{
};

QDate folderDate(const QString &name)
{
    // fromString accepts a few loose forms; only the exact name counts.
    const QDate d = QDate::fromString(name, DateFormat);
    return d.isValid() && d.toString(DateFormat) == name ? d : QDate();
}

QVector<QDate> dated(const QString &dataDir, const QString &suffix)
{
    QVector<QDate> dates;
    const QStringList names = QDir(folder(dataDir)).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString &name : names)
        if (name.endsWith(suffix))
            if (const QDate d = folderDate(name.chopped(suffix.size())); d.isValid())
                dates.push_back(d);
    std::sort(dates.begin(), dates.end());
    return dates;
}

QString megabytes(qint64 bytes)
{
    return QStringLiteral("%1 МБ").arg(std::ceil(double(bytes) / (1024.0 * 1024.0)), 0, 'f', 0);
}

// A plain block copy, synced before it counts (a backup on the disk cache only
// is lost with the power), every block also fed to the check.
void copyFile(const QString &from, const QString &to, check::Stream &check, qint64 &done, qint64 total,
              Progress *progress)
{
    QFile in(from);
    if (!in.open(QIODevice::ReadOnly | QIODevice::ExistingOnly))
        throw Error(from, in.errorString());
    QFile out(to);
    if (!out.open(QIODevice::WriteOnly | QIODevice::NewOnly | QIODevice::Unbuffered))
        throw Error(to, out.errorString());
    check.beginFile(QFileInfo(from).fileName());
    QByteArray block(1 << 20, Qt::Uninitialized);
    for (;;) {
        if (progress && progress->cancel)
            throw Cancelled();
        const qint64 got = in.read(block.data(), block.size());
        if (got < 0)
            throw Error(from, in.errorString());
        if (got == 0)
            break;
        check.feed(block.constData(), got);
        for (qint64 put = 0; put < got;) {
            const qint64 n = out.write(block.constData() + put, got - put);
            if (n <= 0)
                throw Error(to, out.errorString());
            put += n;
        }
        done += got;
        if (progress && total > 0)
            progress->percent = int(done * 100 / total);
    }
    check.endFile();
    if (!platform::syncFile(out.handle()))
        throw Error(to, QString::fromLocal8Bit(platform::lastErrorText()));
    out.close();
    if (out.error() != QFileDevice::NoError)
        throw Error(to, out.errorString());
}

// Damage a reader would meet: a finding about a record. An incomplete tail is
// none: every reader skips it and the next new record is written over it.
qsizetype damagedRecords(const check::Result &r)
{
    return std::count_if(r.findings.cbegin(), r.findings.cend(),
                         [](const check::Finding &f) { return f.record >= 0; });
}

// Removes the oldest copies of one kind beyond Kept; says which would not go.
QStringList prune(const QString &dataDir, const QString &suffix)
{
    QStringList failures;
    const QVector<QDate> all = dated(dataDir, suffix);
    for (qsizetype i = 0; i + Kept < all.size(); ++i) {
        const QString path = QDir(folder(dataDir)).filePath(all[i].toString(DateFormat) + suffix);
        if (!QDir(path).removeRecursively())
            failures << QStringLiteral("Не удалось удалить старую резервную копию \"%1\": она по-прежнему "
                                       "занимает место на диске.")
                            .arg(QDir::toNativeSeparators(path));
    }
    return failures;
}

} // namespace

QString folder(const QString &dataDir)
{
    return QDir(dataDir).filePath(QStringLiteral("backup"));
}

QVector<QDate> existing(const QString &dataDir)
{
    return dated(dataDir, QString());
}

void setFreeSpaceForTests(std::optional<qint64> bytes)
{
    freeSpaceOverride = bytes;
}

qint64 storeSize(const QString &dataDir)
{
    qint64 total = 0;
    for (const QString &file : files::All)
        total += QFileInfo(files::path(dataDir, file)).size();
    return total;
}

QString makeDaily(const QString &dataDir, Progress *progress)
{
    const QDate today = Clock::today();
    // A folder dated after today (the clock was wrong once) does not stop the
    // copy of today.
    if (existing(dataDir).contains(today) || dated(dataDir, DamagedSuffix).contains(today))
        return {};

    const QString root = folder(dataDir);
    const QString name = today.toString(DateFormat);
    QString target = QDir(root).filePath(name);
    const QString partial = target + QStringLiteral(".part");

    const qint64 total = storeSize(dataDir);
    const qint64 available = freeSpaceOverride ? *freeSpaceOverride : QStorageInfo(dataDir).bytesAvailable();
    const qint64 needed = 2 * total + SpareBytes;
    if (available >= 0 && available < needed)
        return QStringLiteral("Резервная копия данных не сделана: на диске свободно %1, а нужно не меньше "
                              "%2 — %3 на копию и ещё столько же и %4 в запас, чтобы после копии "
                              "программе было куда записывать. Освободите место на диске.")
            .arg(megabytes(available), megabytes(needed), megabytes(total), megabytes(SpareBytes));

    QStringList messages;
    try {
        if (!QDir().mkpath(root))
            throw Error(root, QStringLiteral("не удалось создать папку"));
        // What a copy interrupted earlier left behind is not a backup.
        if (QDir(partial).exists() && !QDir(partial).removeRecursively())
            throw Error(partial, QStringLiteral("не удалось удалить незаконченную копию"));
        if (!QDir().mkdir(partial))
            throw Error(partial, QStringLiteral("не удалось создать папку"));
        check::Stream check;
        qint64 done = 0;
        for (const QString &file : files::All)
            copyFile(files::path(dataDir, file), QDir(partial).filePath(file), check, done, total, progress);
        const qsizetype damaged = damagedRecords(check.finish());
        if (damaged > 0)
            target += DamagedSuffix;
        // Only a complete copy gets its dated name.
        if (!QDir().rename(partial, target))
            throw Error(target, QStringLiteral("не удалось переименовать папку копии"));
        if (damaged > 0)
            messages << QStringLiteral("Резервная копия данных сохранена в папку \"%1\", но в файлах данных "
                                       "найдены повреждённые записи (%2). Запустите vedaris-check, чтобы "
                                       "увидеть их. Прежние копии без повреждений сохранены.")
                            .arg(QDir::toNativeSeparators(target))
                            .arg(damaged);
    } catch (const Cancelled &) {
        QDir(partial).removeRecursively();
        return {};
    } catch (const Error &e) {
        QDir(partial).removeRecursively();
        return QStringLiteral("Не удалось сделать резервную копию данных в папку \"%1\". %2\n"
                              "Программа продолжает работу; данные не затронуты.")
            .arg(QDir::toNativeSeparators(target), e.message());
    }
    messages << prune(dataDir, QString()) << prune(dataDir, DamagedSuffix);
    if (progress)
        progress->percent = 100;
    return messages.join(QStringLiteral("\n\n"));
}

} // namespace vedaris::backup
