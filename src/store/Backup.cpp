#include "Backup.h"

#include "Clock.h"
#include "DataFiles.h"
#include "Error.h"
#include "History.h"
#include "IntegrityCheck.h"
#include "Journal.h"
#include "Platform.h"
#include "RecordFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStorageInfo>
#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

namespace vedaris::backup {

namespace {

const QString DateFormat = QStringLiteral("yyyy-MM-dd");
const QString DamagedSuffix = QStringLiteral("-damaged");

std::optional<qint64> freeSpaceOverride;

struct Cancelled
{ };

QDate folderDate(const QString &name)
{
    // fromString accepts a few loose forms; only the exact name counts.
    const QDate d = QDate::fromString(name, DateFormat);
    return d.isValid() && d.toString(DateFormat) == name ? d : QDate();
}

// A dated copy: YYYY-MM-DD, or YYYY-MM-DD-2, -3, ... for the further copies of
// a day, each with "-damaged" after it when its records were damaged.
struct Copy
{
    QDate date;
    int number = 1;
    QString name;
};

std::optional<Copy> parseCopy(const QString &name, const QString &suffix)
{
    if (!name.endsWith(suffix))
        return std::nullopt;
    const QString stem = name.chopped(suffix.size());
    Copy c;
    c.name = name;
    c.date = folderDate(stem.left(10));
    if (!c.date.isValid())
        return std::nullopt;
    if (stem.size() > 10) {
        bool ok = false;
        c.number = stem.mid(11).toInt(&ok);
        if (stem[10] != QLatin1Char('-') || !ok || c.number < 2
            || stem.mid(11) != QString::number(c.number))
            return std::nullopt;
    }
    return c;
}

QString copyName(const QDate &date, int number)
{
    return number == 1 ? date.toString(DateFormat)
                       : date.toString(DateFormat) + QStringLiteral("-%1").arg(number);
}

// The real folders of one kind in backup/, oldest first. A symbolic link or a
// junction is never a copy: pruning it would delete whatever it points to.
std::vector<Copy> copiesOf(const QString &dataDir, const QString &suffix)
{
    std::vector<Copy> out;
    const QDir root(folder(dataDir));
    if (platform::isLink(root.path()))
        return out;
    const QStringList names = root.entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::NoSymLinks);
    for (const QString &name : names)
        if (const std::optional<Copy> c = parseCopy(name, suffix);
            c && !platform::isLink(root.filePath(name)))
            out.push_back(*c);
    std::sort(out.begin(), out.end(), [](const Copy &a, const Copy &b) {
        return a.date != b.date ? a.date < b.date : a.number < b.number;
    });
    return out;
}

QVector<QDate> dated(const QString &dataDir, const QString &suffix)
{
    QVector<QDate> dates;
    for (const Copy &c : copiesOf(dataDir, suffix))
        dates.push_back(c.date);
    return dates;
}

// A folder, never what a link in its place points to.
bool removeTree(const QString &path)
{
    if (platform::isLink(path))
        return QFile::remove(path) || QDir().rmdir(path);
    return QDir(path).removeRecursively();
}

const QString StateFile = QStringLiteral("Vedaris.state");
const QString FutureFile = QStringLiteral("Vedaris.future");

// Each data file's size and time of last change, one line each.
QByteArray stateOf(const QString &dataDir)
{
    QByteArray out;
    for (const QString &name : files::All) {
        const QFileInfo info(files::path(dataDir, name));
        out += name.toLatin1() + ' ' + QByteArray::number(info.size()) + ' '
            + QByteArray::number(info.lastModified().toMSecsSinceEpoch()) + '\n';
    }
    return out;
}

QByteArray readSmall(const QString &path)
{
    if (platform::isLink(path) || !platform::notRegularFile(path).isEmpty())
        return {};
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.read(64 * 1024) : QByteArray();
}

// Best effort: a note that cannot be written only costs a further copy.
void writeSmall(const QString &path, const QByteArray &bytes)
{
    if (platform::isLink(path))
        QFile::remove(path);
    QFile f(path);
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        f.write(bytes);
}

QString megabytes(qint64 bytes)
{
    return QStringLiteral("%1 МБ").arg(std::ceil(double(bytes) / (1024.0 * 1024.0)), 0, 'f', 0);
}

// A plain block copy, synced before it counts (a backup on the disk cache only
// is lost with the power), every block also fed to the check.
void copyFile(const QString &from, const QString &to, check::Stream &check, qint64 &done,
              qint64 total, Progress *progress)
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
        // A stretch of zeros stays a hole in the copy, as it may be in the
        // file: a sparse store must not become a dense copy every day.
        if (std::all_of(block.constData(), block.constData() + got,
                        [](char c) { return c == 0; })) {
            if (!out.seek(out.pos() + got))
                throw Error(to, out.errorString());
            done += got;
            continue;
        }
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
    if (out.size() != in.size() && !out.resize(in.size()))
        throw Error(to, out.errorString());
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
// Copies dated after today are neither counted nor removed.
QStringList prune(const QString &dataDir, const QString &suffix, const QDate &today)
{
    QStringList failures;
    std::vector<Copy> all = copiesOf(dataDir, suffix);
    std::erase_if(all, [&](const Copy &c) { return c.date > today; });
    for (size_t i = 0; i + Kept < all.size(); ++i) {
        const QString path = QDir(folder(dataDir)).filePath(all[i].name);
        if (!removeTree(path))
            failures << QStringLiteral(
                            "Не удалось удалить старую резервную копию \"%1\": она по-прежнему "
                            "занимает место на диске.")
                            .arg(QDir::toNativeSeparators(path));
    }
    return failures;
}

// Copies of earlier days cut short (a crash, a full disk): not backups, only
// taken space.
void removeLeftovers(const QString &dataDir)
{
    const QDir root(folder(dataDir));
    const QStringList names =
        root.entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System);
    for (const QString &name : names)
        if (name.endsWith(QStringLiteral(".part")) && parseCopy(name.chopped(5), QString()))
            removeTree(root.filePath(name));
}

// Copies dated after today (the clock was wrong once) are named once.
QString futureCopies(const QString &dataDir, const QDate &today)
{
    QStringList now;
    for (const QString &suffix : {QString(), DamagedSuffix})
        for (const Copy &c : copiesOf(dataDir, suffix))
            if (c.date > today)
                now << c.name;
    now.sort();
    const QString note = QDir(folder(dataDir)).filePath(FutureFile);
    const QStringList told =
        QString::fromUtf8(readSmall(note)).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QStringList fresh;
    for (const QString &name : now)
        if (!told.contains(name))
            fresh << name;
    if (now != told) {
        if (now.isEmpty())
            QFile::remove(note);
        else
            writeSmall(note, now.join(QLatin1Char('\n')).toUtf8() + '\n');
    }
    if (fresh.isEmpty())
        return {};
    return QStringLiteral(
               "В папке резервных копий \"%1\" есть копии с датой позже сегодняшней (%2): видимо, "
               "часы компьютера однажды шли неверно. Они не считаются среди %3 хранимых копий и "
               "не удаляются программой; удалите их сами, когда они не нужны.")
        .arg(QDir::toNativeSeparators(folder(dataDir)), fresh.join(QStringLiteral(", ")))
        .arg(Kept);
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

void noteState(const QString &dataDir)
{
    if (QFileInfo(folder(dataDir)).isDir() && !platform::isLink(folder(dataDir)))
        writeSmall(QDir(folder(dataDir)).filePath(StateFile), stateOf(dataDir));
}

QVector<DatedCopy> copies(const QString &dataDir)
{
    QVector<DatedCopy> out;
    for (const QString &suffix : {QString(), DamagedSuffix})
        for (const Copy &c : copiesOf(dataDir, suffix))
            out.push_back({c.name, c.date, !suffix.isEmpty()});
    std::sort(out.begin(), out.end(), [](const DatedCopy &a, const DatedCopy &b) {
        return a.date != b.date ? a.date > b.date : a.name > b.name;
    });
    return out;
}

QString restore(const QString &dataDir, const QString &name)
{
    const QString root = folder(dataDir);
    const QString from = QDir(root).filePath(name);
    if (platform::isLink(root) || platform::isLink(from) || !QFileInfo(from).isDir()
        || (!parseCopy(name, QString()) && !parseCopy(name, DamagedSuffix)))
        throw Error(from, QStringLiteral("это не папка резервной копии"));
    Transaction tx(dataDir);

    // Today's files first, as a further copy of the day.
    const QDate today = Clock::today();
    int number = 1;
    for (const QString &suffix : {QString(), DamagedSuffix})
        for (const Copy &c : copiesOf(dataDir, suffix))
            if (c.date == today)
                number = std::max(number, c.number + 1);
    QString kept = copyName(today, number);
    const QString partial = QDir(root).filePath(kept + QStringLiteral(".part"));
    try {
        if ((QFileInfo::exists(partial) || platform::isLink(partial)) && !removeTree(partial))
            throw Error(partial, QStringLiteral("не удалось удалить незаконченную копию"));
        if (!QDir().mkpath(partial))
            throw Error(partial, QStringLiteral("не удалось создать папку"));
        check::Stream check;
        qint64 done = 0;
        for (const QString &file : files::All)
            copyFile(files::path(dataDir, file), QDir(partial).filePath(file), check, done, 0,
                     nullptr);
        if (damagedRecords(check.finish()) > 0)
            kept += DamagedSuffix;
        if (!QDir().rename(partial, QDir(root).filePath(kept)))
            throw Error(kept, QStringLiteral("не удалось переименовать папку копии"));
    } catch (...) {
        removeTree(partial);
        throw;
    }

    // The copy's bytes, whole: the journal keeps both sides of every file.
    std::vector<QByteArray> bytes;
    qint64 total = 0;
    for (const QString &file : files::All) {
        const QString path = QDir(from).filePath(file);
        if (const QString special = platform::notRegularFile(path); !special.isEmpty())
            throw Error(path, special);
        QFile in(path);
        if (!in.open(QIODevice::ReadOnly | QIODevice::ExistingOnly))
            throw Error(path, in.errorString());
        total += in.size() + QFileInfo(files::path(dataDir, file)).size();
        if (total > journal::MaxBytes)
            throw Error(
                path,
                QStringLiteral("копия слишком велика, чтобы восстановить её из программы: закройте "
                               "программу и скопируйте файлы вручную"));
        bytes.push_back(in.readAll());
        if (in.error() != QFileDevice::NoError)
            throw Error(path, in.errorString());
    }
    std::vector<std::unique_ptr<RecordFile>> targets;
    for (size_t i = 0; i < size_t(files::All.size()); ++i) {
        targets.push_back(
            std::make_unique<RecordFile>(files::path(dataDir, files::All[qsizetype(i)]), 1));
        tx.keepWhole(*targets.back(), bytes[i]);
    }
    tx.begin(QStringLiteral(
                 "Восстановление данных из резервной копии \"%1\" не было завершено и отменено.")
                 .arg(name),
             history::kind::Restore);
    for (size_t i = 0; i < targets.size(); ++i)
        targets[i]->replaceAll(bytes[i]);
    tx.commit();
    for (const auto &t : targets)
        t->close();
    return kept;
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

QString makeDaily(const QString &dataDir, Progress *progress, When when)
{
    const QDate today = Clock::today();
    const QString root = folder(dataDir);
    if (platform::isLink(root))
        return QStringLiteral(
                   "Резервная копия данных не сделана: \"%1\" — ссылка на другую папку, а не "
                   "папка. "
                   "Программа не пишет и не удаляет ничего по ссылке; замените её обычной папкой.")
            .arg(QDir::toNativeSeparators(root));
    int number = 1;
    for (const QString &suffix : {QString(), DamagedSuffix})
        for (const Copy &c : copiesOf(dataDir, suffix))
            if (c.date == today)
                number = std::max(number, c.number + 1);
    // Today is copied; once more only at a start that finds the files changed
    // since this program last left them (old data brought in, a restore).
    if (number > 1
        && (when != When::AtStart || readSmall(QDir(root).filePath(StateFile)) == stateOf(dataDir)))
        return {};

    const QString name = copyName(today, number);
    QString target = QDir(root).filePath(name);
    const QString partial = target + QStringLiteral(".part");

    const qint64 total = storeSize(dataDir);
    const qint64 available =
        freeSpaceOverride ? *freeSpaceOverride : QStorageInfo(dataDir).bytesAvailable();
    const qint64 needed = 2 * total + SpareBytes;
    if (available >= 0 && available < needed)
        return QStringLiteral(
                   "Резервная копия данных не сделана: на диске свободно %1, а нужно не меньше "
                   "%2 — %3 на копию и ещё столько же и %4 в запас, чтобы после копии "
                   "программе было куда записывать. Освободите место на диске.")
            .arg(megabytes(available), megabytes(needed), megabytes(total), megabytes(SpareBytes));

    QStringList messages;
    try {
        if (!QFileInfo(root).isDir()) {
            if (!QDir().mkpath(root))
                throw Error(root, QStringLiteral("не удалось создать папку"));
            platform::giveToFolderOwner(root, dataDir);
        }
        // What a copy interrupted earlier left behind is not a backup.
        removeLeftovers(dataDir);
        if ((QFileInfo::exists(partial) || platform::isLink(partial)) && !removeTree(partial))
            throw Error(partial, QStringLiteral("не удалось удалить незаконченную копию"));
        if (!QDir().mkdir(partial))
            throw Error(partial, QStringLiteral("не удалось создать папку"));
        platform::giveToFolderOwner(partial, dataDir);
        check::Stream check;
        qint64 done = 0;
        for (const QString &file : files::All) {
            copyFile(files::path(dataDir, file), QDir(partial).filePath(file), check, done, total,
                     progress);
            platform::giveToFolderOwner(QDir(partial).filePath(file), dataDir);
        }
        const qsizetype damaged = damagedRecords(check.finish());
        if (damaged > 0)
            target += DamagedSuffix;
        // Only a complete copy gets its dated name.
        if (!QDir().rename(partial, target))
            throw Error(target, QStringLiteral("не удалось переименовать папку копии"));
        if (damaged > 0)
            messages << QStringLiteral(
                            "Резервная копия данных сохранена в папку \"%1\", но в файлах данных "
                            "найдены повреждённые записи (%2). Запустите vedaris-check, чтобы "
                            "увидеть их. Прежние копии без повреждений сохранены.")
                            .arg(QDir::toNativeSeparators(target))
                            .arg(damaged);
    } catch (const Cancelled &) {
        removeTree(partial);
        return {};
    } catch (const Error &e) {
        removeTree(partial);
        return QStringLiteral("Не удалось сделать резервную копию данных в папку \"%1\". %2\n"
                              "Программа продолжает работу; данные не затронуты.")
            .arg(QDir::toNativeSeparators(target), e.message());
    }
    noteState(dataDir);
    messages << prune(dataDir, QString(), today) << prune(dataDir, DamagedSuffix, today);
    if (const QString future = futureCopies(dataDir, today); !future.isEmpty())
        messages << future;
    if (progress)
        progress->percent = 100;
    return messages.join(QStringLiteral("\n\n"));
}

} // namespace vedaris::backup
