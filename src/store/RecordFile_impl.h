#pragma once

// Template definitions of RecordFile.h; included from there only.

#include "Records.h"

namespace vedaris {

template<class Record> Record TypedFile<Record>::read(qint64 index)
{
    const QByteArray bytes = m_file.readRaw(index);
    Record r;
    decode(bytes.constData(), r);
    return r;
}

template<class Record> QByteArray TypedFile<Record>::encoded(const Record &r)
{
    QByteArray bytes(Record::Size, Qt::Uninitialized);
    encode(r, bytes.data());
    return bytes;
}

template<class Record> void TypedFile<Record>::write(qint64 index, const Record &r)
{
    m_file.writeRaw(index, encoded(r));
}

template<class Record> void TypedFile<Record>::stamp(qint64 slot, Record &r)
{
    if constexpr (requires { r.RecordId; })
        r.RecordId = qint32(slot);
    else if constexpr (requires { r.EntryId; })
        r.EntryId = qint32(slot);
    r.Deleted = 0;
}

template<class Record> void TypedFile<Record>::place(qint64 slot, Record &r)
{
    stamp(slot, r);
    write(slot, r);
}

template<class Record> qint64 TypedFile<Record>::add(Record &r)
{
    const qint64 slot = freeSlot();
    place(slot, r);
    return slot;
}

template<class Record>
void TypedFile<Record>::forEach(const std::function<bool(qint64 index, const Record &r)> &fn)
{
    Record r;
    m_file.scan([&](qint64 index, const char *bytes) {
        decode(bytes, r);
        return fn(index, r);
    });
}

} // namespace vedaris
