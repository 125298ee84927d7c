#include "Records.h"

#include "Cp1251.h"

#include <QtEndian>
#include <cstring>

namespace vedaris {

namespace {

constexpr int NameCap = capacity::DrugName;
constexpr int UnitCap = capacity::Unit;
constexpr int FirmCap = capacity::Name;

void putText(char *out, int offset, int capacity, const QString &text)
{
    QByteArray bytes = cp1251::encode(text);
    const int length = int(qMin<qsizetype>(bytes.size(), capacity));
    out[offset] = static_cast<char>(static_cast<unsigned char>(length));
    std::memcpy(out + offset + 1, bytes.constData(), size_t(length));
    std::memset(out + offset + 1 + length, 0, size_t(capacity - length));
}

void putNumber(char *out, int offset, double value)
{
    quint64 bits;
    static_assert(sizeof bits == sizeof value);
    std::memcpy(&bits, &value, sizeof bits);
    qToLittleEndian(bits, out + offset);
}

void putInt32(char *out, int offset, qint32 value)
{
    qToLittleEndian(value, out + offset);
}

// The descriptive fields shared by a stock record and an issue record.
template<class R>
void putBatch(char *out, const R &r)
{
    putText(out, 0, NameCap, r.DrugName);
    putNumber(out, 256, r.ReceiptDate);
    putText(out, 264, UnitCap, r.Unit);
    putText(out, 295, FirmCap, r.Supplier);
    putText(out, 346, FirmCap, r.ReceiptDocument);
    putText(out, 397, FirmCap, r.Manufacturer);
    putText(out, 448, FirmCap, r.Series);
}

template<class R>
void getBatch(const char *in, R &r)
{
    r.DrugName = field::text(in, 0, NameCap);
    r.ReceiptDate = field::number(in, 256);
    r.Unit = field::text(in, 264, UnitCap);
    r.Supplier = field::text(in, 295, FirmCap);
    r.ReceiptDocument = field::text(in, 346, FirmCap);
    r.Manufacturer = field::text(in, 397, FirmCap);
    r.Series = field::text(in, 448, FirmCap);
}

} // namespace

namespace field {

double number(const char *record, int offset)
{
    const quint64 bits = qFromLittleEndian<quint64>(record + offset);
    double value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

qint32 int32(const char *record, int offset)
{
    return qFromLittleEndian<qint32>(record + offset);
}

QString text(const char *record, int offset, int capacity)
{
    const int length = qMin(int(static_cast<unsigned char>(record[offset])), capacity);
    return cp1251::decode(record + offset + 1, length);
}

} // namespace field

void encode(const StockRecord &r, char *out)
{
    std::memset(out, 0, StockRecord::Size);
    putBatch(out, r);
    putNumber(out, 504, r.Quantity);
    putNumber(out, 512, r.ReceivedQuantity);
    putNumber(out, 520, r.UnitPrice);
    putNumber(out, 528, r.TotalSum);
    putNumber(out, 536, r.ReceivedSum);
    putNumber(out, 544, r.ExpiryDate);
    putInt32(out, StockRecord::IdOffset, r.RecordId);
    out[StockRecord::DeletedOffset] = static_cast<char>(r.Deleted);
}

void decode(const char *in, StockRecord &r)
{
    getBatch(in, r);
    r.Quantity = field::number(in, 504);
    r.ReceivedQuantity = field::number(in, 512);
    r.UnitPrice = field::number(in, 520);
    r.TotalSum = field::number(in, 528);
    r.ReceivedSum = field::number(in, 536);
    r.ExpiryDate = field::number(in, 544);
    r.RecordId = field::int32(in, StockRecord::IdOffset);
    r.Deleted = static_cast<quint8>(in[StockRecord::DeletedOffset]);
}

void encode(const IssueRecord &r, char *out)
{
    std::memset(out, 0, IssueRecord::Size);
    putBatch(out, r);
    putText(out, 499, FirmCap, r.Department);
    putNumber(out, 552, r.IssuedQuantity);
    putNumber(out, 568, r.UnitPrice);
    putNumber(out, 576, r.IssuedSum);
    putNumber(out, 592, r.IssueDate);
    putInt32(out, IssueRecord::StockRecordIdOffset, r.StockRecordId);
    out[IssueRecord::DeletedOffset] = static_cast<char>(r.Deleted);
}

void decode(const char *in, IssueRecord &r)
{
    getBatch(in, r);
    r.Department = field::text(in, 499, FirmCap);
    r.IssuedQuantity = field::number(in, 552);
    r.UnitPrice = field::number(in, 568);
    r.IssuedSum = field::number(in, 576);
    r.IssueDate = field::number(in, 592);
    r.StockRecordId = field::int32(in, IssueRecord::StockRecordIdOffset);
    r.Deleted = static_cast<quint8>(in[IssueRecord::DeletedOffset]);
}

void encode(const DrugNameEntry &r, char *out)
{
    std::memset(out, 0, DrugNameEntry::Size);
    putText(out, 0, NameCap, r.Name);
    putText(out, 256, UnitCap, r.Unit);
    putInt32(out, DrugNameEntry::IdOffset, r.EntryId);
    out[DrugNameEntry::DeletedOffset] = static_cast<char>(r.Deleted);
}

void decode(const char *in, DrugNameEntry &r)
{
    r.Name = field::text(in, 0, NameCap);
    r.Unit = field::text(in, 256, UnitCap);
    r.EntryId = field::int32(in, DrugNameEntry::IdOffset);
    r.Deleted = static_cast<quint8>(in[DrugNameEntry::DeletedOffset]);
}

void encode(const ReferenceEntry &r, char *out)
{
    std::memset(out, 0, ReferenceEntry::Size);
    putText(out, 0, FirmCap, r.Name);
    putInt32(out, ReferenceEntry::IdOffset, r.EntryId);
    out[ReferenceEntry::DeletedOffset] = static_cast<char>(r.Deleted);
}

void decode(const char *in, ReferenceEntry &r)
{
    r.Name = field::text(in, 0, FirmCap);
    r.EntryId = field::int32(in, ReferenceEntry::IdOffset);
    r.Deleted = static_cast<quint8>(in[ReferenceEntry::DeletedOffset]);
}

} // namespace vedaris
