#pragma once

#include <QString>
#include <QtGlobal>

// The fixed records of the six data files. Each is encoded and decoded field by
// field at its offsets (never by copying a struct); bytes that carry no meaning
// are written as zeros. Text fields are cut to their capacity when encoded.
namespace vedaris {

// Capacities of the text fields, in characters of code page 1251.
namespace capacity {
constexpr int DrugName = 255;
constexpr int Unit = 30;
constexpr int Name = 50; // firms, documents, series, departments
}

struct StockRecord // Base.dat
{
    static constexpr int Size = 560;
    static constexpr int DeletedOffset = 556;
    static constexpr int IdOffset = 552;

    QString DrugName;        // 255
    double ReceiptDate = 0;  // day serial from 30.12.1899
    QString Unit;            // 30
    QString Supplier;        // 50
    QString ReceiptDocument; // 50
    QString Manufacturer;    // 50
    QString Series;          // 50
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
    static constexpr int Size = 608;
    static constexpr int DeletedOffset = 604;
    static constexpr int IdOffset = -1; // an issue has no id of its own
    static constexpr int StockRecordIdOffset = 600;

    QString DrugName;
    double ReceiptDate = 0;
    QString Unit;
    QString Supplier;
    QString ReceiptDocument;
    QString Manufacturer;
    QString Series;
    QString Department;      // 50
    double IssuedQuantity = 0;
    double UnitPrice = 0;
    double IssuedSum = 0;
    double IssueDate = 0;
    qint32 StockRecordId = 0;
    quint8 Deleted = 0;
};

struct DrugNameEntry // NamePreparat.dat
{
    static constexpr int Size = 296;
    static constexpr int DeletedOffset = 292;
    static constexpr int IdOffset = 288;

    QString Name; // 255
    QString Unit; // 30
    qint32 EntryId = 0;
    quint8 Deleted = 0;
};

struct ReferenceEntry // FirmaPostav.dat, Izgotovitel.dat, Otdelenie.dat
{
    static constexpr int Size = 60;
    static constexpr int DeletedOffset = 56;
    static constexpr int IdOffset = 52;

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
QString text(const char *record, int offset, int capacity); // length byte clamped to capacity
}

} // namespace vedaris
