#include "RecordFile.h"

#include "DiskIo.h"
#include "Platform.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace vedaris {

namespace {

// Large blocks keep a scan of a file of hundreds of megabytes to a few hundred
// system calls.
constexpr qint64 ScanBlockBytes = 2 * 1024 * 1024;

qint64 writeFaultAfter = -1;

QString pastEnd()
{
    return QStringLiteral("чтение за концом файла");
}

} // namespace

RecordFile::RecordFile(const QString &path, int recordSize, Mode mode)
    : m_path(path), m_size(recordSize), m_file(path)
{
    if (recordSize <= 0)
        throw Error(path, QStringLiteral("неверный размер записи"));
    // A FIFO would hold the open up until something writes to it, and a device
    // never ends: only a plain file is a data file.
    if (const QString special = platform::notRegularFile(path); !special.isEmpty())
        fail(special);
    QIODevice::OpenMode flags = QIODevice::ExistingOnly | QIODevice::Unbuffered;
    flags |= mode == ReadOnly ? QIODevice::ReadOnly : QIODevice::ReadWrite;
    if (!m_file.open(flags))
        fail();
}

RecordFile::~RecordFile()
{
    if (m_file.isOpen())
        m_file.close();
}

void RecordFile::fail() const
{
    fail(platform::russianReason(m_file.errorString(), m_path));
}

void RecordFile::fail(const QString &reason) const
{
    throw Error(m_path, reason);
}

qint64 RecordFile::count() const
{
    return m_file.size() / m_size;
}

qint64 RecordFile::length() const
{
    return m_file.size();
}

void RecordFile::seekTo(qint64 pos)
{
    if (!m_file.seek(pos))
        fail();
}

void RecordFile::seek(qint64 index)
{
    seekTo(index * m_size);
}

void RecordFile::readExactly(char *out, qint64 length)
{
    while (length > 0) {
        const qint64 got = m_file.read(out, length);
        if (got < 0)
            fail();
        if (got == 0)
            fail(pastEnd());
        out += got;
        length -= got;
    }
}

void RecordFile::failWritesAfter(qint64 bytes)
{
    writeFaultAfter = bytes;
}

void RecordFile::writeExactly(const char *bytes, qint64 length)
{
    while (length > 0) {
        qint64 chunk = length;
        if (writeFaultAfter >= 0) {
            if (writeFaultAfter == 0) {
                writeFaultAfter = -1;
                fail(QString::fromLocal8Bit(std::strerror(ENOSPC)));
            }
            chunk = std::min(chunk, writeFaultAfter);
            writeFaultAfter -= chunk;
        }
        const qint64 put = disk::write(m_file, bytes, chunk);
        if (put <= 0)
            fail();
        bytes += put;
        length -= put;
    }
}

QByteArray RecordFile::readRaw(qint64 index)
{
    if (index < 0 || index >= count())
        fail(pastEnd());
    QByteArray bytes(m_size, Qt::Uninitialized);
    seek(index);
    readExactly(bytes.data(), m_size);
    return bytes;
}

QByteArray RecordFile::bytesAt(qint64 offset, qint64 length)
{
    length = std::max<qint64>(0, std::min(length, m_file.size() - offset));
    QByteArray bytes(length, Qt::Uninitialized);
    seekTo(offset);
    readExactly(bytes.data(), length);
    return bytes;
}

void RecordFile::writeRaw(qint64 index, const QByteArray &bytes)
{
    if (bytes.size() != m_size)
        fail(QStringLiteral("неверная длина записи"));
    if (index < 0 || index > count())
        fail(QStringLiteral("запись за концом файла"));
    seek(index);
    writeExactly(bytes.constData(), m_size);
}

void RecordFile::scan(const std::function<bool(qint64, const char *)> &fn, qint64 from)
{
    const qint64 total = count();
    if (from < 0)
        from = 0;
    if (from >= total)
        return;
    const qint64 perBlock = std::min(std::max<qint64>(1, ScanBlockBytes / m_size), total - from);
    QByteArray buffer(perBlock * m_size, Qt::Uninitialized);
    for (qint64 index = from; index < total;) {
        const qint64 n = std::min(perBlock, total - index);
        // The callback may write to the file, so every block positions itself.
        seek(index);
        readExactly(buffer.data(), n * m_size);
        for (qint64 k = 0; k < n; ++k)
            if (!fn(index + k, buffer.constData() + k * m_size))
                return;
        index += n;
    }
}

qint64 RecordFile::firstDeletedSlot(int deletedOffset)
{
    qint64 slot = -1;
    scan([&](qint64 index, const char *bytes) {
        if (static_cast<unsigned char>(bytes[deletedOffset]) == 1) {
            slot = index;
            return false;
        }
        return true;
    });
    return slot >= 0 ? slot : count();
}

void RecordFile::replaceAll(const QByteArray &bytes)
{
    seekTo(0);
    writeExactly(bytes.constData(), bytes.size());
    if (m_file.size() > bytes.size() && !disk::truncate(m_file, bytes.size()))
        fail();
}

void RecordFile::markDeleted(qint64 index, int deletedOffset)
{
    if (index < 0 || index >= count())
        fail(QStringLiteral("запись за концом файла"));
    const char one = 1;
    seekTo(index * m_size + deletedOffset);
    writeExactly(&one, 1);
}

void RecordFile::sync()
{
    if (!disk::sync(m_file))
        fail(disk::reason());
}

void RecordFile::close()
{
    if (!m_file.isOpen())
        return;
    m_file.close();
    if (m_file.error() != QFileDevice::NoError)
        fail();
}

} // namespace vedaris
