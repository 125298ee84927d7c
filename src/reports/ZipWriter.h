#pragma once

#include <QFile>
#include <QString>

#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

// A zip archive written front to back, one deflated part after another: a
// local header, the data, a data descriptor, and the central directory at the
// end. Parts and archives past 4 GiB get ZIP64 records. Every stamp is
// 1980-01-01 00:00, so the same content makes the same file.
namespace vedaris::reports {

class ZipWriter
{
public:
    // Opens `path` for writing (truncating it). Throws vedaris::Error naming
    // `reportedPath` when it cannot be opened or written. `zip64From` is the
    // size from which sizes and offsets go into ZIP64 records (tests lower it).
    ZipWriter(const QString &path, const QString &reportedPath, int level = 1,
              std::uint64_t zip64From = 0xFFFFFFFFu);
    ~ZipWriter();
    ZipWriter(const ZipWriter &) = delete;
    ZipWriter &operator=(const ZipWriter &) = delete;

    void beginPart(std::string_view name);
    void write(const char *data, size_t size);
    void write(std::string_view text) { write(text.data(), text.size()); }
    void endPart();
    // The central directory; the file is flushed and closed.
    void finish();

    [[noreturn]] void fail(const QString &reason) const;

private:
    struct Entry
    {
        std::string name;
        std::uint32_t crc = 0;
        std::uint64_t compressed = 0, size = 0, offset = 0;
    };
    void deflateInput(const char *data, size_t size, bool finish);
    void out(const void *data, size_t size);
    void flushOut();

    QFile m_file;
    QString m_reported;
    std::uint64_t m_zip64From;
    std::uint64_t m_position = 0;
    std::vector<Entry> m_entries;
    struct Stream;
    std::unique_ptr<Stream> m_stream;
    std::vector<char> m_outBuffer;
    size_t m_outUsed = 0;
    bool m_inPart = false;
};

} // namespace vedaris::reports
