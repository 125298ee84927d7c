#pragma once

#include <QString>
#include <functional>
#include <memory>

namespace vedaris {

class RecordFile;

// One data file opened read-only for passes over its whole records, for readers
// outside store/ that look at a few fields of every record without decoding it.
// Throws Error (file and reason) when the file cannot be opened or read; the
// file is closed when the scan object goes.
class RecordScan
{
public:
    RecordScan(const QString &dataDir, const QString &fileName, int recordSize);
    ~RecordScan();
    RecordScan(const RecordScan &) = delete;
    RecordScan &operator=(const RecordScan &) = delete;

    // Whole records in the file; an incomplete tail is not one.
    qint64 count() const;
    // Every whole record's bytes in file order, read in large blocks; the bytes
    // are valid only during the call.
    void forEach(const std::function<void(const char *record)> &fn);

private:
    std::unique_ptr<RecordFile> m_file;
};

} // namespace vedaris
