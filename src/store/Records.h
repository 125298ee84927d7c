#pragma once

#include <QString>
#include <QtGlobal>

// The fixed records of the six data files. Each is encoded and decoded field by
// field at its offsets (never by copying a struct); bytes that carry no meaning
// are written as zeros. Text fields are cut to their capacity when encoded.
namespace vedaris {

// Where a text field lies in a record: the length byte at `offset`, then
// `capacity` characters of code page 1251.
struct TextField
{
    int offset;
    int capacity;
};

// Every field's place in the four record layouts, defined here once: the codec,
// the reports' field readers, the check and the operations all take it from here.
namespace layout {

// The batch's descriptive fields, at the same places in Base.dat and Rashod.dat.
struct Batch
{
    static constexpr TextField DrugName{0, 255};
    static constexpr int ReceiptDate = 256; // day serial
    static constexpr TextField Unit{264, 30};
    static constexpr TextField Supplier{295, 50};
    static constexpr TextField ReceiptDocument{346, 50};
    static constexpr TextField Manufacturer{397, 50};
    static constexpr TextField Series{448, 50};
};

struct Stock : Batch // Base.dat
{
    static constexpr int Quantity = 504;
    static constexpr int ReceivedQuantity = 512;
    static constexpr int UnitPrice = 520;
    static constexpr int TotalSum = 528;
    static constexpr int ReceivedSum = 536;
    static constexpr int ExpiryDate = 544;
    static constexpr int RecordId = 552;
    static constexpr int Deleted = 556;
    static constexpr int Size = 560;
};

struct Issue : Batch // Rashod.dat
{
    static constexpr TextField Department{499, 50};
    static constexpr int IssuedQuantity = 552;
    static constexpr int UnitPrice = 568;
    static constexpr int IssuedSum = 576;
    static constexpr int IssueDate = 592;
    static constexpr int StockRecordId = 600;
    static constexpr int Deleted = 604;
    static constexpr int Size = 608;
};

struct DrugName // NamePreparat.dat
{
    static constexpr TextField Name{0, 255};
    static constexpr TextField Unit{256, 30};
    static constexpr int EntryId = 288;
    static constexpr int Deleted = 292;
    static constexpr int Size = 296;
};

struct Reference // FirmaPostav.dat, Izgotovitel.dat, Otdelenie.dat
{
    static constexpr TextField Name{0, 50};
    static constexpr int EntryId = 52;
    static constexpr int Deleted = 56;
    static constexpr int Size = 60;
};

} // namespace layout

struct StockRecord // Base.dat
{
    using Layout = layout::Stock;
    static constexpr int Size = Layout::Size;
    static constexpr int DeletedOffset = Layout::Deleted;
    static constexpr int IdOffset = Layout::RecordId;

    QString DrugName; // 255
    double ReceiptDate = 0; // day serial from 30.12.1899
    QString Unit; // 30
    QString Supplier; // 50
    QString ReceiptDocument; // 50
    QString Manufacturer; // 50
    QString Series; // 50
    double Quantity = 0;
    double ReceivedQuantity = 0;
    double UnitPrice = 0;
    double TotalSum = 0;
    double ReceivedSum = 0;
    double ExpiryDate = 0;
    qint32 RecordId = 0;
    quint8 Deleted = 0;
};

struct IssueRecord // Rashod.dat
{
    using Layout = layout::Issue;
    static constexpr int Size = Layout::Size;
    static constexpr int DeletedOffset = Layout::Deleted;
    static constexpr int IdOffset = -1; // an issue has no id of its own
    static constexpr int StockRecordIdOffset = Layout::StockRecordId;

    QString DrugName;
    double ReceiptDate = 0;
    QString Unit;
    QString Supplier;
    QString ReceiptDocument;
    QString Manufacturer;
    QString Series;
    QString Department; // 50
    double IssuedQuantity = 0;
    double UnitPrice = 0;
    double IssuedSum = 0;
    double IssueDate = 0;
    qint32 StockRecordId = 0;
    quint8 Deleted = 0;
};

struct DrugNameEntry // NamePreparat.dat
{
    using Layout = layout::DrugName;
    static constexpr int Size = Layout::Size;
    static constexpr int DeletedOffset = Layout::Deleted;
    static constexpr int IdOffset = Layout::EntryId;

    QString Name; // 255
    QString Unit; // 30
    qint32 EntryId = 0;
    quint8 Deleted = 0;
};

struct ReferenceEntry // FirmaPostav.dat, Izgotovitel.dat, Otdelenie.dat
{
    using Layout = layout::Reference;
    static constexpr int Size = Layout::Size;
    static constexpr int DeletedOffset = Layout::Deleted;
    static constexpr int IdOffset = Layout::EntryId;

    QString Name; // 50
    qint32 EntryId = 0;
    quint8 Deleted = 0;
};

// `out` and `in` point at exactly Record::Size bytes.
void encode(const StockRecord &r, char *out);
void encode(const IssueRecord &r, char *out);
void encode(const DrugNameEntry &r, char *out);
void encode(const ReferenceEntry &r, char *out);
void decode(const char *in, StockRecord &r);
void decode(const char *in, IssueRecord &r);
void decode(const char *in, DrugNameEntry &r);
void decode(const char *in, ReferenceEntry &r);

// Single fields straight from record bytes, for readers that need only a few.
namespace field {
double number(const char *record, int offset);
qint32 int32(const char *record, int offset);
QString text(const char *record, TextField f); // length byte clamped to the capacity
bool isDeleted(const char *record, int deletedOffset); // the mark is exactly 1
} // namespace field

} // namespace vedaris
