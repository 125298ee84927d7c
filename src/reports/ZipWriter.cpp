#include "reports/ZipWriter.h"

#include "store/Error.h"

#include <zlib.h>

#include <cstring>
#include <limits>

namespace vedaris::reports {

namespace {

constexpr size_t outBufferSize = 1 << 18;
constexpr std::uint16_t dosDate = (0 << 9) | (1 << 5) | 1; // 1980-01-01
constexpr std::uint16_t dataDescriptorFlag = 0x0008;

// Little-endian fields appended to a record.
class Record
{
public:
    Record &u16(std::uint16_t v)
    {
        for (int i = 0; i < 2; ++i)
            m_bytes.push_back(char(v >> (8 * i)));
        return *this;
    }
    Record &u32(std::uint32_t v)
    {
        for (int i = 0; i < 4; ++i)
            m_bytes.push_back(char(v >> (8 * i)));
        return *this;
    }
    Record &u64(std::uint64_t v)
    {
        for (int i = 0; i < 8; ++i)
            m_bytes.push_back(char(v >> (8 * i)));
        return *this;
    }
    Record &bytes(std::string_view s)
    {
        m_bytes.append(s);
        return *this;
    }
    const std::string &data() const { return m_bytes; }

private:
    std::string m_bytes;
};

} // namespace

struct ZipWriter::Stream
{
    z_stream z{};
    bool open = false;
    std::uint32_t crc = 0;
    std::uint64_t size = 0;
    std::uint64_t compressedStart = 0;
};

ZipWriter::ZipWriter(const QString &path, const QString &reportedPath, int level,
                     std::uint64_t zip64From)
    : m_file(path), m_reported(reportedPath), m_zip64From(zip64From),
      m_stream(std::make_unique<Stream>()), m_outBuffer(outBufferSize)
{
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered))
        fail(m_file.errorString());
    if (deflateInit2(&m_stream->z, level, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) != Z_OK)
        fail(QStringLiteral("the compressor cannot be started"));
    m_stream->open = true;
}

ZipWriter::~ZipWriter()
{
    if (m_stream->open)
        deflateEnd(&m_stream->z);
}

void ZipWriter::fail(const QString &reason) const
{
    throw Error(m_reported, reason);
}

void ZipWriter::flushOut()
{
    if (m_outUsed == 0)
        return;
    if (m_file.write(m_outBuffer.data(), qint64(m_outUsed)) != qint64(m_outUsed))
        fail(m_file.errorString());
    m_outUsed = 0;
}

void ZipWriter::out(const void *data, size_t size)
{
    const char *p = static_cast<const char *>(data);
    m_position += size;
    while (size > 0) {
        if (m_outUsed == m_outBuffer.size())
            flushOut();
        const size_t n = std::min(size, m_outBuffer.size() - m_outUsed);
        std::memcpy(m_outBuffer.data() + m_outUsed, p, n);
        m_outUsed += n;
        p += n;
        size -= n;
    }
}

void ZipWriter::beginPart(std::string_view name)
{
    if (m_inPart)
        endPart();
    Entry e;
    e.name = std::string(name);
    e.offset = m_position;
    const Record header = Record()
                              .u32(0x04034b50)
                              .u16(20)
                              .u16(dataDescriptorFlag)
                              .u16(Z_DEFLATED)
                              .u16(0)
                              .u16(dosDate)
                              .u32(0)
                              .u32(0)
                              .u32(0)
                              .u16(std::uint16_t(name.size()))
                              .u16(0)
                              .bytes(name);
    out(header.data().data(), header.data().size());
    m_entries.push_back(std::move(e));
    m_stream->crc = std::uint32_t(crc32_z(0, nullptr, 0));
    m_stream->size = 0;
    m_stream->compressedStart = m_position;
    if (deflateReset(&m_stream->z) != Z_OK)
        fail(QStringLiteral("the compressor failed"));
    m_inPart = true;
}

void ZipWriter::deflateInput(const char *data, size_t size, bool finish)
{
    z_stream &z = m_stream->z;
    // zlib counts in 32-bit units: large inputs go in slices.
    do {
        const size_t slice = std::min<size_t>(size, std::numeric_limits<uInt>::max() / 2);
        z.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(data));
        z.avail_in = uInt(slice);
        const bool last = finish && slice == size;
        for (;;) {
            if (m_outUsed == m_outBuffer.size())
                flushOut();
            const size_t room = m_outBuffer.size() - m_outUsed;
            z.next_out = reinterpret_cast<Bytef *>(m_outBuffer.data() + m_outUsed);
            z.avail_out = uInt(room);
            const int rc = deflate(&z, last ? Z_FINISH : Z_NO_FLUSH);
            if (rc == Z_STREAM_ERROR)
                fail(QStringLiteral("the compressor failed"));
            const size_t produced = room - z.avail_out;
            m_outUsed += produced;
            m_position += produced;
            if (last ? rc == Z_STREAM_END : (z.avail_in == 0 && z.avail_out != 0))
                break;
        }
        data += slice;
        size -= slice;
    } while (size > 0);
}

void ZipWriter::write(const char *data, size_t size)
{
    if (size == 0)
        return;
    m_stream->crc =
        std::uint32_t(crc32_z(m_stream->crc, reinterpret_cast<const Bytef *>(data), size));
    m_stream->size += size;
    deflateInput(data, size, false);
}

void ZipWriter::endPart()
{
    if (!m_inPart)
        return;
    deflateInput("", 0, true);
    m_inPart = false;
    Entry &e = m_entries.back();
    e.crc = m_stream->crc;
    e.size = m_stream->size;
    e.compressed = m_position - m_stream->compressedStart;
    Record descriptor;
    descriptor.u32(0x08074b50).u32(e.crc);
    if (e.size >= m_zip64From || e.compressed >= m_zip64From)
        descriptor.u64(e.compressed).u64(e.size);
    else
        descriptor.u32(std::uint32_t(e.compressed)).u32(std::uint32_t(e.size));
    out(descriptor.data().data(), descriptor.data().size());
}

void ZipWriter::finish()
{
    endPart();
    const std::uint64_t directoryStart = m_position;
    for (const Entry &e : m_entries) {
        const bool bigSize = e.size >= m_zip64From || e.compressed >= m_zip64From;
        const bool bigOffset = e.offset >= m_zip64From;
        Record extra;
        if (bigSize || bigOffset) {
            Record fields;
            if (bigSize)
                fields.u64(e.size).u64(e.compressed);
            if (bigOffset)
                fields.u64(e.offset);
            extra.u16(0x0001).u16(std::uint16_t(fields.data().size())).bytes(fields.data());
        }
        const std::uint16_t version = extra.data().empty() ? 20 : 45;
        const Record header = Record()
                                  .u32(0x02014b50)
                                  .u16(version)
                                  .u16(version)
                                  .u16(dataDescriptorFlag)
                                  .u16(Z_DEFLATED)
                                  .u16(0)
                                  .u16(dosDate)
                                  .u32(e.crc)
                                  .u32(bigSize ? 0xFFFFFFFFu : std::uint32_t(e.compressed))
                                  .u32(bigSize ? 0xFFFFFFFFu : std::uint32_t(e.size))
                                  .u16(std::uint16_t(e.name.size()))
                                  .u16(std::uint16_t(extra.data().size()))
                                  .u16(0)
                                  .u16(0)
                                  .u16(0)
                                  .u32(0)
                                  .u32(bigOffset ? 0xFFFFFFFFu : std::uint32_t(e.offset))
                                  .bytes(e.name)
                                  .bytes(extra.data());
        out(header.data().data(), header.data().size());
    }
    const std::uint64_t directorySize = m_position - directoryStart;
    const std::uint64_t count = m_entries.size();
    const bool zip64 =
        directoryStart >= m_zip64From || directorySize >= m_zip64From || count >= 0xFFFF;
    if (zip64) {
        const std::uint64_t recordAt = m_position;
        const Record end64 = Record()
                                 .u32(0x06064b50)
                                 .u64(44)
                                 .u16(45)
                                 .u16(45)
                                 .u32(0)
                                 .u32(0)
                                 .u64(count)
                                 .u64(count)
                                 .u64(directorySize)
                                 .u64(directoryStart);
        out(end64.data().data(), end64.data().size());
        const Record locator = Record().u32(0x07064b50).u32(0).u64(recordAt).u32(1);
        out(locator.data().data(), locator.data().size());
    }
    const Record end = Record()
                           .u32(0x06054b50)
                           .u16(0)
                           .u16(0)
                           .u16(zip64 ? 0xFFFF : std::uint16_t(count))
                           .u16(zip64 ? 0xFFFF : std::uint16_t(count))
                           .u32(zip64 ? 0xFFFFFFFFu : std::uint32_t(directorySize))
                           .u32(zip64 ? 0xFFFFFFFFu : std::uint32_t(directoryStart))
                           .u16(0);
    out(end.data().data(), end.data().size());
    flushOut();
    if (!m_file.flush())
        fail(m_file.errorString());
    m_file.close();
    if (m_file.error() != QFileDevice::NoError)
        fail(m_file.errorString());
}

} // namespace vedaris::reports
