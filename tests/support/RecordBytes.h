#pragma once

#include "store/Records.h"

#include <QByteArray>
#include <vector>

// Record files built and read back record by record, for tests that lay out a
// data folder by hand.
namespace vedaris {

// `withIds` makes each batch's RecordId its slot, as the program keeps them.
template<class Record> QByteArray encodeAll(std::vector<Record> records, bool withIds)
{
    QByteArray bytes;
    for (size_t i = 0; i < records.size(); ++i) {
        if constexpr (requires { records[i].RecordId; })
            if (withIds)
                records[i].RecordId = qint32(i);
        QByteArray one(Record::Size, '\0');
        encode(records[i], one.data());
        bytes += one;
    }
    return bytes;
}

template<class Record> std::vector<Record> decodeAll(const QByteArray &bytes)
{
    std::vector<Record> out;
    for (qsizetype at = 0; at + Record::Size <= bytes.size(); at += Record::Size) {
        Record r;
        decode(bytes.constData() + at, r);
        out.push_back(r);
    }
    return out;
}

} // namespace vedaris
