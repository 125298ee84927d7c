#pragma once

// The parts of a saved workbook, read with a zip reader of the tests' own (the
// central directory, each local header, stored or deflated data through zlib):
// independent of the program's zip writer and of any unzip tool, so the same
// checks run on every system the tests run on.

#include <QByteArray>
#include <QFile>
#include <QMap>
#include <QString>
#include <zlib.h>

namespace zipparts {

namespace detail {
inline quint32 le(const QByteArray &b, qsizetype at, int bytes)
{
    quint32 v = 0;
    for (int i = bytes - 1; i >= 0; --i)
        v = (v << 8) | quint8(b[at + i]);
    return v;
}

inline QByteArray inflateRaw(const QByteArray &in, qsizetype size)
{
    QByteArray out(size, Qt::Uninitialized);
    z_stream z{};
    if (inflateInit2(&z, -MAX_WBITS) != Z_OK)
        return {};
    z.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(in.constData()));
    z.avail_in = uInt(in.size());
    z.next_out = reinterpret_cast<Bytef *>(out.data());
    z.avail_out = uInt(out.size());
    const int status = inflate(&z, Z_FINISH);
    inflateEnd(&z);
    return status == Z_STREAM_END && z.total_out == uLong(size) ? out : QByteArray();
}
} // namespace detail

// Name -> content of every part; empty when the file is not a readable zip.
inline QMap<QString, QByteArray> read(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    const QByteArray b = f.readAll();
    qsizetype end = b.size() - 22;
    while (end >= 0 && detail::le(b, end, 4) != 0x06054b50)
        --end;
    if (end < 0)
        return {};
    QMap<QString, QByteArray> parts;
    const quint32 entries = detail::le(b, end + 10, 2);
    qsizetype at = detail::le(b, end + 16, 4);
    for (quint32 i = 0; i < entries; ++i) {
        if (at + 46 > b.size() || detail::le(b, at, 4) != 0x02014b50)
            return {};
        const quint32 method = detail::le(b, at + 10, 2);
        const quint32 packed = detail::le(b, at + 20, 4);
        const quint32 size = detail::le(b, at + 24, 4);
        const quint32 nameLength = detail::le(b, at + 28, 2);
        const quint32 skip = nameLength + detail::le(b, at + 30, 2) + detail::le(b, at + 32, 2);
        const qsizetype local = detail::le(b, at + 42, 4);
        const QString name = QString::fromUtf8(b.mid(at + 46, nameLength));
        at += 46 + skip;
        if (local + 30 > b.size() || detail::le(b, local, 4) != 0x04034b50)
            return {};
        const qsizetype data =
            local + 30 + detail::le(b, local + 26, 2) + detail::le(b, local + 28, 2);
        const QByteArray raw = b.mid(data, packed);
        if (raw.size() != qsizetype(packed))
            return {};
        if (method == 0)
            parts.insert(name, raw);
        else if (method == 8)
            parts.insert(name, detail::inflateRaw(raw, size));
        else
            return {};
    }
    return parts;
}

inline QByteArray member(const QString &path, const QString &name)
{
    return read(path).value(name);
}

} // namespace zipparts
