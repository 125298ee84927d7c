#include "IntegrityCheck.h"

#include "DataFiles.h"
#include "Error.h"
#include "RecordFile.h"
#include "Records.h"
#include "TextFormats.h"

#include <QDate>
#include <QFileInfo>
#include <QHash>
#include <algorithm>
#include <cmath>
#include <vector>

namespace vedaris::check {

namespace {

using S = layout::Stock;
using I = layout::Issue;

struct NamedText
{
    const char *name;
    vedaris::TextField at;
};
struct Field
{
    const char *name;
    int offset;
    bool quantity = false; // must not be negative
};

const NamedText BatchTexts[] = {{"DrugName", S::DrugName},      {"Unit", S::Unit},
                                {"Supplier", S::Supplier},      {"ReceiptDocument", S::ReceiptDocument},
                                {"Manufacturer", S::Manufacturer}, {"Series", S::Series}};
const NamedText DepartmentText = {"Department", I::Department};

const Field StockNumbers[] = {{"Quantity", S::Quantity, true},
                              {"ReceivedQuantity", S::ReceivedQuantity, true},
                              {"UnitPrice", S::UnitPrice},
                              {"TotalSum", S::TotalSum},
                              {"ReceivedSum", S::ReceivedSum}};
const Field StockDates[] = {{"ReceiptDate", S::ReceiptDate}, {"ExpiryDate", S::ExpiryDate}};
const Field IssueNumbers[] = {{"IssuedQuantity", I::IssuedQuantity, true},
                              {"UnitPrice", I::UnitPrice},
                              {"IssuedSum", I::IssuedSum}};
const Field IssueDates[] = {{"ReceiptDate", I::ReceiptDate}, {"IssueDate", I::IssueDate}};

// 01.01.1900 and 31.12.2200 as day serials.
constexpr double FirstDay = 2;
constexpr double LastDay = 110880;

QString num(double v)
{
    if (std::isnan(v))
        return QStringLiteral("NaN");
    if (std::isinf(v))
        return v > 0 ? QStringLiteral("+∞") : QStringLiteral("−∞");
    return text::formatNumber(v);
}

// Equal within the rounding of decimal texts the operations work from.
bool nearlyEqual(long double a, long double b)
{
    const long double scale = std::max({std::fabs(a), std::fabs(b), 1.0L});
    return std::fabs(a - b) <= 1e-9L * scale;
}

class Checker
{
public:
    explicit Checker(const QString &dataDir) : m_dir(dataDir) {}

    Result run()
    {
        const bool baseRead = readBase();
        readIssues(baseRead);
        if (baseRead)
            checkBalances();
        readDrugNames();
        for (const QString &name : {files::FirmaPostav, files::Izgotovitel, files::Otdelenie})
            readReferences(name);
        return std::move(m_result);
    }

private:
    struct Batch
    {
        bool live = false;
        bool finite = false;
        double quantity = 0;
        double received = 0;
        long double issued = 0; // live issues, accumulated
    };

    void add(const QString &file, qint64 record, const QString &text)
    {
        m_result.findings.push_back({file, record, text});
    }

    // Opens read-only and reports the incomplete tail; false when unreadable.
    template<class Fn>
    bool scanFile(const QString &name, int size, Fn &&fn)
    {
        try {
            RecordFile f(files::path(m_dir, name), size, RecordFile::ReadOnly);
            f.scan([&](qint64 index, const char *bytes) {
                ++m_result.recordsRead;
                fn(index, bytes);
                return true;
            });
            const qint64 length = QFileInfo(f.path()).size();
            if (const qint64 tail = length % size)
                add(name, -1,
                    QStringLiteral("в конце файла неполная запись: %1 байт после %2 целых записей "
                                   "(запись занимает %3 байт). Программа её не читает, а следующая "
                                   "новая запись ляжет поверх неё.")
                        .arg(tail).arg(length / size).arg(size));
            f.close();
            return true;
        } catch (const Error &e) {
            m_result.unreadable.push_back(e.message());
            return false;
        }
    }

    // Deleted == 1 is the only mark a reader skips; returns whether the record is live.
    bool checkMark(const QString &file, qint64 index, const char *bytes, int offset)
    {
        const int mark = static_cast<unsigned char>(bytes[offset]);
        if (mark > 1)
            add(file, index,
                QStringLiteral("метка удаления Deleted = %1, допустимы только 0 (действующая) и 1 "
                               "(удалённая); программа считает такую запись действующей.")
                    .arg(mark));
        return mark != 1;
    }

    void checkId(const QString &file, qint64 index, const char *bytes, const char *name, int offset)
    {
        const qint32 id = field::int32(bytes, offset);
        if (id != index)
            add(file, index,
                QStringLiteral("%1 = %2, а должен быть равен номеру записи %3.")
                    .arg(QLatin1String(name)).arg(id).arg(index));
    }

    void checkText(const QString &file, qint64 index, const char *bytes, const NamedText &t)
    {
        const int length = static_cast<unsigned char>(bytes[t.at.offset]);
        if (length > t.at.capacity)
            add(file, index,
                QStringLiteral("поле %1: байт длины %2 больше вместимости поля %3 символов "
                               "(читаются только первые %3).")
                    .arg(QLatin1String(t.name)).arg(length).arg(t.at.capacity));
    }

    // False when the number is not finite (already reported).
    bool checkNumber(const QString &file, qint64 index, const char *bytes, const Field &f)
    {
        const double v = field::number(bytes, f.offset);
        if (!std::isfinite(v)) {
            add(file, index,
                QStringLiteral("поле %1 = %2: не конечное число, ожидается обычное число.")
                    .arg(QLatin1String(f.name), num(v)));
            return false;
        }
        if (f.quantity && v < 0)
            add(file, index,
                QStringLiteral("поле %1 = %2: отрицательное количество, ожидается 0 или больше.")
                    .arg(QLatin1String(f.name), num(v)));
        return true;
    }

    void checkDate(const QString &file, qint64 index, const char *bytes, const Field &f)
    {
        const double v = field::number(bytes, f.offset);
        if (v == 0)
            return; // the empty date of older files
        if (!std::isfinite(v)) {
            add(file, index,
                QStringLiteral("дата %1 = %2: не число, ожидается число дней с 30.12.1899.")
                    .arg(QLatin1String(f.name), num(v)));
        } else if (v < FirstDay || v > LastDay) {
            add(file, index,
                QStringLiteral("дата %1 = %2 вне разумных пределов: ожидается день с 01.01.1900 "
                               "(2) по 31.12.2200 (110880).")
                    .arg(QLatin1String(f.name), num(v)));
        } else if (v != std::floor(v)) {
            add(file, index,
                QStringLiteral("дата %1 = %2 (%3) содержит время суток, ожидается целое число дней.")
                    .arg(QLatin1String(f.name), num(v), text::formatDate(std::floor(v))));
        }
    }

    void checkSum(const QString &file, qint64 index, const char *sumName, double sum,
                  const char *qtyName, double qty, double price)
    {
        const long double expected = static_cast<long double>(price) * qty;
        if (!nearlyEqual(sum, expected))
            add(file, index,
                QStringLiteral("%1 = %2, а UnitPrice × %3 = %4 × %5 = %6.")
                    .arg(QLatin1String(sumName), num(sum), QLatin1String(qtyName), num(price),
                         num(qty), num(double(expected))));
    }

    bool readBase()
    {
        const QString name = files::Base;
        return scanFile(name, StockRecord::Size, [&](qint64 index, const char *b) {
            Batch batch;
            batch.live = checkMark(name, index, b, StockRecord::DeletedOffset);
            if (batch.live) {
                checkId(name, index, b, "RecordId", StockRecord::IdOffset);
                for (const NamedText &t : BatchTexts)
                    checkText(name, index, b, t);
                bool finite = true;
                for (const Field &f : StockNumbers)
                    finite &= checkNumber(name, index, b, f);
                for (const Field &f : StockDates)
                    checkDate(name, index, b, f);
                batch.finite = finite;
                batch.quantity = field::number(b, S::Quantity);
                batch.received = field::number(b, S::ReceivedQuantity);
                if (finite) {
                    const double price = field::number(b, S::UnitPrice);
                    checkSum(name, index, "TotalSum", field::number(b, S::TotalSum), "Quantity",
                             batch.quantity, price);
                    checkSum(name, index, "ReceivedSum", field::number(b, S::ReceivedSum),
                             "ReceivedQuantity", batch.received, price);
                }
            }
            m_batches.push_back(batch);
        });
    }

    void readIssues(bool baseRead)
    {
        const QString name = files::Rashod;
        scanFile(name, IssueRecord::Size, [&](qint64 index, const char *b) {
            if (!checkMark(name, index, b, IssueRecord::DeletedOffset))
                return;
            for (const NamedText &t : BatchTexts)
                checkText(name, index, b, t);
            checkText(name, index, b, DepartmentText);
            bool finite = true;
            for (const Field &f : IssueNumbers)
                finite &= checkNumber(name, index, b, f);
            for (const Field &f : IssueDates)
                checkDate(name, index, b, f);
            const double qty = field::number(b, I::IssuedQuantity);
            if (finite)
                checkSum(name, index, "IssuedSum", field::number(b, I::IssuedSum), "IssuedQuantity", qty,
                         field::number(b, I::UnitPrice));
            if (!baseRead)
                return;
            const qint32 id = field::int32(b, IssueRecord::StockRecordIdOffset);
            if (id < 0 || id >= qint64(m_batches.size())) {
                add(name, index,
                    QStringLiteral("действующая выдача из несуществующей партии: StockRecordId = %1, "
                                   "а в Base.dat записи с номерами от 0 до %2.")
                        .arg(id).arg(qint64(m_batches.size()) - 1));
                return;
            }
            Batch &batch = m_batches[size_t(id)];
            if (!batch.live) {
                add(name, index,
                    QStringLiteral("действующая выдача из удалённой партии %1: при удалении партии "
                                   "её выдачи тоже помечаются удалёнными (Deleted = 1).")
                        .arg(id));
                return;
            }
            if (finite)
                batch.issued += qty;
            else
                batch.finite = false;
        });
    }

    void checkBalances()
    {
        for (size_t i = 0; i < m_batches.size(); ++i) {
            const Batch &b = m_batches[i];
            if (!b.live || !b.finite)
                continue;
            const long double expected = b.received - b.issued;
            if (!nearlyEqual(b.quantity, expected))
                add(files::Base, qint64(i),
                    QStringLiteral("Quantity = %1, а ReceivedQuantity за вычетом действующих выдач "
                                   "(Rashod.dat) = %2 − %3 = %4.")
                        .arg(num(b.quantity), num(b.received), num(double(b.issued)),
                             num(double(expected))));
        }
    }

    void readDrugNames()
    {
        const QString name = files::NamePreparat;
        scanFile(name, DrugNameEntry::Size, [&](qint64 index, const char *b) {
            checkReferenceMark(name, index, b, DrugNameEntry::DeletedOffset);
            if (b[DrugNameEntry::DeletedOffset] != 0)
                return;
            checkId(name, index, b, "EntryId", DrugNameEntry::IdOffset);
            checkText(name, index, b, {"Unit", layout::DrugName::Unit});
        });
    }

    void readReferences(const QString &name)
    {
        scanFile(name, ReferenceEntry::Size, [&](qint64 index, const char *b) {
            checkReferenceMark(name, index, b, ReferenceEntry::DeletedOffset);
            if (b[ReferenceEntry::DeletedOffset] != 0)
                return;
            checkId(name, index, b, "EntryId", ReferenceEntry::IdOffset);
            checkText(name, index, b, {"Name", layout::Reference::Name});
        });
    }

    // The lists show only a mark of 0, and only a mark of 1 is reused.
    void checkReferenceMark(const QString &file, qint64 index, const char *bytes, int offset)
    {
        const int mark = static_cast<unsigned char>(bytes[offset]);
        if (mark > 1)
            add(file, index,
                QStringLiteral("метка удаления Deleted = %1, допустимы только 0 (действующая) и 1 "
                               "(удалённая); такая запись не видна в списке, и её место не "
                               "занимается заново.")
                    .arg(mark));
    }

    QString m_dir;
    Result m_result;
    std::vector<Batch> m_batches;
};

} // namespace

QString Finding::line() const
{
    if (record < 0)
        return QStringLiteral("%1: %2").arg(file, text);
    return QStringLiteral("%1, запись %2: %3").arg(file).arg(record).arg(text);
}

Result run(const QString &dataDir)
{
    return Checker(dataDir).run();
}

} // namespace vedaris::check
