#include "Records.h"

#include "Cp1251.h"

#include <QtEndian>
#include <cstring>

namespace vedaris {

namespace {

void putText(char *out, TextField f, const QString &text)
{
    QByteArray bytes = cp1251::encode(text);
    const int length = int(qMin<qsizetype>(bytes.size(), f.capacity));
    out[f.offset] = static_cast<char>(static_cast<unsigned char>(length));
    std::memcpy(out + f.offset + 1, bytes.constData(), size_t(length));
    std::memset(out + f.offset + 1 + length, 0, size_t(f.capacity - length));
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
using B = layout::Batch;

template<class R> void putBatch(char *out, const R &r)
{
    putText(out, B::DrugName, r.DrugName);
    putNumber(out, B::ReceiptDate, r.ReceiptDate);
    putText(out, B::Unit, r.Unit);
    putText(out, B::Supplier, r.Supplier);
    putText(out, B::ReceiptDocument, r.ReceiptDocument);
    putText(out, B::Manufacturer, r.Manufacturer);
    putText(out, B::Series, r.Series);
}

template<class R> void getBatch(const char *in, R &r)
{
    r.DrugName = field::text(in, B::DrugName);
    r.ReceiptDate = field::number(in, B::ReceiptDate);
    r.Unit = field::text(in, B::Unit);
    r.Supplier = field::text(in, B::Supplier);
    r.ReceiptDocument = field::text(in, B::ReceiptDocument);
    r.Manufacturer = field::text(in, B::Manufacturer);
    r.Series = field::text(in, B::Series);
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

QString text(const char *record, TextField f)
{
    const int length = qMin(int(static_cast<unsigned char>(record[f.offset])), f.capacity);
    return cp1251::decode(record + f.offset + 1, length);
}

bool isDeleted(const char *record, int deletedOffset)
{
    return static_cast<unsigned char>(record[deletedOffset]) == 1;
}

} // namespace field

using S = layout::Stock;
using I = layout::Issue;

void encode(const StockRecord &r, char *out)
{
    std::memset(out, 0, StockRecord::Size);
    putBatch(out, r);
    putNumber(out, S::Quantity, r.Quantity);
    putNumber(out, S::ReceivedQuantity, r.ReceivedQuantity);
    putNumber(out, S::UnitPrice, r.UnitPrice);
    putNumber(out, S::TotalSum, r.TotalSum);
    putNumber(out, S::ReceivedSum, r.ReceivedSum);
    putNumber(out, S::ExpiryDate, r.ExpiryDate);
    putInt32(out, StockRecord::IdOffset, r.RecordId);
    out[StockRecord::DeletedOffset] = static_cast<char>(r.Deleted);
}

void decode(const char *in, StockRecord &r)
{
    getBatch(in, r);
    r.Quantity = field::number(in, S::Quantity);
    r.ReceivedQuantity = field::number(in, S::ReceivedQuantity);
    r.UnitPrice = field::number(in, S::UnitPrice);
    r.TotalSum = field::number(in, S::TotalSum);
    r.ReceivedSum = field::number(in, S::ReceivedSum);
    r.ExpiryDate = field::number(in, S::ExpiryDate);
    r.RecordId = field::int32(in, StockRecord::IdOffset);
    r.Deleted = static_cast<quint8>(in[StockRecord::DeletedOffset]);
}

void encode(const IssueRecord &r, char *out)
{
    std::memset(out, 0, IssueRecord::Size);
    putBatch(out, r);
    putText(out, I::Department, r.Department);
    putNumber(out, I::IssuedQuantity, r.IssuedQuantity);
    putNumber(out, I::UnitPrice, r.UnitPrice);
    putNumber(out, I::IssuedSum, r.IssuedSum);
    putNumber(out, I::IssueDate, r.IssueDate);
    putInt32(out, IssueRecord::StockRecordIdOffset, r.StockRecordId);
    out[IssueRecord::DeletedOffset] = static_cast<char>(r.Deleted);
}

void decode(const char *in, IssueRecord &r)
{
    getBatch(in, r);
    r.Department = field::text(in, I::Department);
    r.IssuedQuantity = field::number(in, I::IssuedQuantity);
    r.UnitPrice = field::number(in, I::UnitPrice);
    r.IssuedSum = field::number(in, I::IssuedSum);
    r.IssueDate = field::number(in, I::IssueDate);
    r.StockRecordId = field::int32(in, IssueRecord::StockRecordIdOffset);
    r.Deleted = static_cast<quint8>(in[IssueRecord::DeletedOffset]);
}

void encode(const DrugNameEntry &r, char *out)
{
    std::memset(out, 0, DrugNameEntry::Size);
    putText(out, layout::DrugName::Name, r.Name);
    putText(out, layout::DrugName::Unit, r.Unit);
    putInt32(out, DrugNameEntry::IdOffset, r.EntryId);
    out[DrugNameEntry::DeletedOffset] = static_cast<char>(r.Deleted);
}

void decode(const char *in, DrugNameEntry &r)
{
    r.Name = field::text(in, layout::DrugName::Name);
    r.Unit = field::text(in, layout::DrugName::Unit);
    r.EntryId = field::int32(in, DrugNameEntry::IdOffset);
    r.Deleted = static_cast<quint8>(in[DrugNameEntry::DeletedOffset]);
}

void encode(const ReferenceEntry &r, char *out)
{
    std::memset(out, 0, ReferenceEntry::Size);
    putText(out, layout::Reference::Name, r.Name);
    putInt32(out, ReferenceEntry::IdOffset, r.EntryId);
    out[ReferenceEntry::DeletedOffset] = static_cast<char>(r.Deleted);
}

void decode(const char *in, ReferenceEntry &r)
{
    r.Name = field::text(in, layout::Reference::Name);
    r.EntryId = field::int32(in, ReferenceEntry::IdOffset);
    r.Deleted = static_cast<quint8>(in[ReferenceEntry::DeletedOffset]);
}

} // namespace vedaris
