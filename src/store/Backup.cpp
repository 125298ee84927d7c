#include "Backup.h"

#include "Clock.h"
#include "DataFiles.h"
#include "Error.h"
#include "Platform.h"

#include <QDir>
#include <QFile>
#include <algorithm>

namespace vedaris::backup {

namespace {

const QString DateFormat = QStringLiteral("yyyy-MM-dd");

QDate folderDate(const QString &name)
{
    // fromString accepts a few loose forms; only the exact name counts.
    const QDate d = QDate::fromString(name, DateFormat);
    return d.isValid() && d.toString(DateFormat) == name ? d : QDate();
}

// A plain block copy, synced before it counts: a backup on the disk cache only
// is lost with the power.
void copyFile(const QString &from, const QString &to)
{
    QFile in(from);
    if (!in.open(QIODevice::ReadOnly | QIODevice::ExistingOnly))
        throw Error(from, in.errorString());
    QFile out(to);
    if (!out.open(QIODevice::WriteOnly | QIODevice::NewOnly | QIODevice::Unbuffered))
        throw Error(to, out.errorString());
    QByteArray block(1 << 20, Qt::Uninitialized);
    for (;;) {
        const qint64 got = in.read(block.data(), block.size());
        if (got < 0)
            throw Error(from, in.errorString());
        if (got == 0)
            break;
        for (qint64 done = 0; done < got;) {
            const qint64 put = out.write(block.constData() + done, got - done);
            if (put <= 0)
                throw Error(to, out.errorString());
            done += put;
        }
    }
    if (!platform::syncFile(out.handle()))
        throw Error(to, QString::fromLocal8Bit(platform::lastErrorText()));
    out.close();
    if (out.error() != QFileDevice::NoError)
        throw Error(to, out.errorString());
}

} // namespace

QString folder(const QString &dataDir)
{
    return QDir(dataDir).filePath(QStringLiteral("backup"));
}

QVector<QDate> existing(const QString &dataDir)
{
    QVector<QDate> dates;
    const QStringList names = QDir(folder(dataDir)).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString &name : names)
        if (const QDate d = folderDate(name); d.isValid())
            dates.push_back(d);
    std::sort(dates.begin(), dates.end());
    return dates;
}

QString makeDaily(const QString &dataDir)
{
    const QDate today = Clock::today();
    const QVector<QDate> dates = existing(dataDir);
    // A folder dated after today (the clock was wrong once) does not stop the
    // copy of today.
    if (dates.contains(today))
        return {};

    const QString root = folder(dataDir);
    const QString name = today.toString(DateFormat);
    const QString target = QDir(root).filePath(name);
    const QString partial = target + QStringLiteral(".part");
    try {
        if (!QDir().mkpath(root))
            throw Error(root, QStringLiteral("не удалось создать папку"));
        // What a copy interrupted earlier left behind is not a backup.
        if (QDir(partial).exists() && !QDir(partial).removeRecursively())
            throw Error(partial, QStringLiteral("не удалось удалить незаконченную копию"));
        if (!QDir().mkdir(partial))
            throw Error(partial, QStringLiteral("не удалось создать папку"));
        for (const QString &file : files::All)
            copyFile(files::path(dataDir, file), QDir(partial).filePath(file));
        // Only a complete copy gets its dated name.
        if (!QDir().rename(partial, target))
            throw Error(target, QStringLiteral("не удалось переименовать папку копии"));
    } catch (const Error &e) {
        QDir(partial).removeRecursively();
        return QStringLiteral("Не удалось сделать резервную копию данных в папку \"%1\". %2\n"
                              "Программа продолжает работу; данные не затронуты.")
            .arg(QDir::toNativeSeparators(target), e.message());
    }

    QVector<QDate> all = existing(dataDir);
    for (qsizetype i = 0; i + Kept < all.size(); ++i)
        QDir(QDir(root).filePath(all[i].toString(DateFormat))).removeRecursively();
    return {};
}

} // namespace vedaris::backup
