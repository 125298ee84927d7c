#include "CountFile.h"

#include "DataFiles.h"
#include "DiskIo.h"
#include "Error.h"
#include "Platform.h"
#include "WriteGate.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace vedaris::count {

namespace {

const QString Format = QStringLiteral("vedaris-count");
constexpr int Version = 1;
// A count of a million lines stays well below this; anything larger is not ours.
constexpr qint64 MaxBytes = 512LL * 1024 * 1024;

Error damaged(const QString &path, const QString &why)
{
    return Error(path,
                 QStringLiteral("файл инвентаризации повреждён или записан не этой программой (%1)")
                     .arg(why));
}

} // namespace

QByteArray encode(const Count &c)
{
    QJsonArray lines;
    for (const Line &l : c.lines)
        lines.append(QJsonObject{{QStringLiteral("id"), l.recordId},
                                 {QStringLiteral("name"), l.drugName},
                                 {QStringLiteral("unit"), l.unit},
                                 {QStringLiteral("series"), l.series},
                                 {QStringLiteral("expiry"), l.expiry},
                                 {QStringLiteral("price"), l.price},
                                 {QStringLiteral("book"), l.book},
                                 {QStringLiteral("counted"), l.counted}});
    const QJsonObject root{{QStringLiteral("format"), Format},
                           {QStringLiteral("version"), Version},
                           {QStringLiteral("date"), c.date.toString(Qt::ISODate)},
                           {QStringLiteral("posted"), c.posted},
                           {QStringLiteral("lines"), lines}};
    return QJsonDocument(root).toJson(QJsonDocument::Compact);
}

Count decode(const QByteArray &bytes, const QString &path)
{
    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(bytes, &error);
    if (error.error != QJsonParseError::NoError || !doc.isObject())
        throw damaged(path, error.errorString());
    const QJsonObject root = doc.object();
    if (root.value(QStringLiteral("format")).toString() != Format)
        throw damaged(path, QStringLiteral("нет метки формата"));
    if (root.value(QStringLiteral("version")).toInt() != Version)
        throw damaged(
            path, QStringLiteral("версия %1").arg(root.value(QStringLiteral("version")).toInt()));
    Count c;
    c.date = QDate::fromString(root.value(QStringLiteral("date")).toString(), Qt::ISODate);
    if (!c.date.isValid())
        throw damaged(path, QStringLiteral("нет даты"));
    c.posted = root.value(QStringLiteral("posted")).toBool();
    const QJsonArray lines = root.value(QStringLiteral("lines")).toArray();
    c.lines.reserve(size_t(lines.size()));
    for (const auto &v : lines) {
        const QJsonObject o = v.toObject();
        Line l;
        l.recordId = o.value(QStringLiteral("id")).toInt(-1);
        if (l.recordId < 0)
            throw damaged(path, QStringLiteral("строка без номера записи"));
        l.drugName = o.value(QStringLiteral("name")).toString();
        l.unit = o.value(QStringLiteral("unit")).toString();
        l.series = o.value(QStringLiteral("series")).toString();
        l.expiry = o.value(QStringLiteral("expiry")).toDouble();
        l.price = o.value(QStringLiteral("price")).toDouble();
        l.book = o.value(QStringLiteral("book")).toDouble();
        l.counted = o.value(QStringLiteral("counted")).toString();
        c.lines.push_back(std::move(l));
    }
    return c;
}

QString path(const QString &dataDir)
{
    return files::path(dataDir, FileName);
}

std::optional<Count> read(const QString &dataDir)
{
    const QString file = path(dataDir);
    if (!QFileInfo::exists(file) && !QFileInfo(file).isSymLink())
        return std::nullopt;
    if (const QString special = platform::notRegularFile(file); !special.isEmpty())
        throw Error(file, special);
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly))
        throw Error(file, f.errorString());
    if (f.size() > MaxBytes)
        throw damaged(file, QStringLiteral("%1 байт").arg(f.size()));
    const QByteArray bytes = f.readAll();
    if (f.error() != QFileDevice::NoError)
        throw Error(file, f.errorString());
    return decode(bytes, file);
}

void save(const QString &dataDir, const Count &c)
{
    // As every write: not in a folder open for viewing only, nor once the lock is lost.
    writes::enter(dataDir);
    const QString target = path(dataDir);
    const QString temp = target + QStringLiteral(".new");
    const QByteArray bytes = encode(c);
    {
        QFile f(temp);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered))
            throw Error(temp, f.errorString());
        for (qint64 done = 0; done < bytes.size();) {
            const qint64 put = disk::write(f, bytes.constData() + done, bytes.size() - done);
            if (put <= 0) {
                const Error e(temp, f.errorString());
                f.close();
                f.remove();
                throw e;
            }
            done += put;
        }
        if (!disk::sync(f)) {
            const Error e(temp, disk::reason());
            f.close();
            f.remove();
            throw e;
        }
        f.close();
    }
    if (!disk::replace(temp, target)) {
        const Error e(target, QString::fromLocal8Bit(platform::lastErrorText()));
        QFile::remove(temp);
        throw e;
    }
}

} // namespace vedaris::count
