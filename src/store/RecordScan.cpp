#include "RecordScan.h"

#include "DataFiles.h"
#include "RecordFile.h"

namespace vedaris {

RecordScan::RecordScan(const QString &dataDir, const QString &fileName, int recordSize)
    : m_file(std::make_unique<RecordFile>(files::path(dataDir, fileName), recordSize,
                                          RecordFile::ReadOnly))
{ }

RecordScan::~RecordScan() = default;

qint64 RecordScan::count() const
{
    return m_file->count();
}

void RecordScan::forEach(const std::function<void(const char *record)> &fn)
{
    m_file->scan([&fn](qint64, const char *record) {
        fn(record);
        return true;
    });
}

} // namespace vedaris
