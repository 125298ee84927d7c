#include "IntegrityCheck.h"

#include "Cp1251.h"
#include "DataFiles.h"
#include "Error.h"
#include "Journal.h"
#include "RecordFile.h"
#include "Records.h"
#include "TextFormats.h"

#include <QDate>
#include <QFileInfo>
#include <QHash>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <deque>
#include <optional>
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

const NamedText BatchTexts[] = {
    {"DrugName", S::DrugName},         {"Unit", S::Unit},
    {"Supplier", S::Supplier},         {"ReceiptDocument", S::ReceiptDocument},
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

QString num(double v)
{
    if (std::isnan(v))
        return QStringLiteral("NaN");
    if (std::isinf(v))
        return v > 0 ? QStringLiteral("+∞") : QStringLiteral("−∞");
    return text::formatNumber(v);
}

// Equal within the rounding of decimal texts the operations work from, and
// never wider than a fraction of a kopeck: a relative tolerance alone grows
// with the amount and hid 0,40 on 500 000 000.
bool nearlyEqual(long double a, long double b)
{
    const long double scale = std::max({std::fabs(a), std::fabs(b), 1.0L});
    return std::fabs(a - b) <= std::min(1e-9L * scale, 0.001L);
}

int recordSize(const QString &file)
{
    return file == files::Base        ? StockRecord::Size
        : file == files::Rashod       ? IssueRecord::Size
        : file == files::NamePreparat ? DrugNameEntry::Size
                                      : ReferenceEntry::Size;
}

// The stored characters of a text field, or nothing when its length byte is
// beyond the capacity (reported by itself).
std::optional<QByteArrayView> storedText(const char *record, vedaris::TextField f)
{
    const int length = static_cast<unsigned char>(record[f.offset]);
    if (length > f.capacity)
        return std::nullopt;
    return QByteArrayView(record + f.offset + 1, length);
}

// A control character (a NUL among them) among the stored characters: no
// keyboard types one, and the lists and reports show it as garbage.
bool hasControl(QByteArrayView t)
{
    return std::any_of(t.begin(), t.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x20; });
}

bool allZero(const char *bytes, int size)
{
    return std::all_of(bytes, bytes + size, [](char c) { return c == 0; });
}

} // namespace

// Takes the six files record by record, in the order of files::All.
class Checker
{
public:
    void beginFile(const QString &name)
    {
        m_name = name;
        m_size = recordSize(name);
        m_index = 0;
        m_zeroFrom = -1;
    }

    // One whole record of the current file.
    void record(const char *b)
    {
        ++m_result.recordsRead;
        const qint64 index = m_index++;
        // A power cut can leave a record the size of a write that never came:
        // every byte zero. The other rules would read it as live data.
        if (allZero(b, m_size)) {
            if (m_zeroFrom < 0)
                m_zeroFrom = index;
            if (m_name == files::Base) {
                Batch blank;
                blank.live = blank.blank = true;
                m_batches.push_back(blank);
            }
            return;
        }
        endZeroRun(index);
        if (m_name == files::Base)
            stock(index, b);
        else if (m_name == files::Rashod)
            issue(index, b);
        else if (m_name == files::NamePreparat)
            drugName(index, b);
        else
            reference(index, b);
    }

    // `length` in bytes; `read` false when the file could not be read whole.
    void endFile(qint64 length, bool read)
    {
        endZeroRun(m_index);
        if (read) {
            if (const qint64 tail = length % m_size)
                add(m_name, -1,
                    QStringLiteral("в конце файла неполная запись: %1 байт после %2 целых записей "
                                   "(запись занимает %3 байт). Программа её не читает, а следующая "
                                   "новая запись ляжет поверх неё.")
                        .arg(tail)
                        .arg(length / m_size)
                        .arg(m_size));
        }
        if (m_name == files::Base)
            m_baseRead = read;
        if (m_name == files::Rashod && m_baseRead)
            checkBalances();
    }

    void unreadable(const QString &message) { m_result.unreadable.push_back(message); }
    Result take() { return std::move(m_result); }

private:
    struct Batch
    {
        bool live = false;
        bool blank = false; // all zero, reported as such
        bool finite = false;
        double quantity = 0;
        double received = 0;
        double totalSum = 0;
        double receivedSum = 0;
        long double issued = 0; // live issues, accumulated
        long double issuedSum = 0;
        bool sumsSound = false; // every sum of the batch and its issues fits its price
        double receiptDate = 0;
        std::optional<QByteArrayView> name, unit; // into m_names
        // The other fields an issue copies from its batch.
        std::optional<QByteArrayView> supplier, document, manufacturer, series;
    };

    void add(const QString &file, qint64 record, const QString &text)
    {
        m_result.findings.push_back({file, record, text});
    }

    void endZeroRun(qint64 end)
    {
        if (m_zeroFrom < 0)
            return;
        const qint64 n = end - m_zeroFrom;
        add(m_name, m_zeroFrom,
            n == 1
                ? QStringLiteral("пустые записи — возможно, след сбоя питания: все байты записи "
                                 "нулевые, программа читает её как действующую.")
                : QStringLiteral("пустые записи — возможно, след сбоя питания: записи с %1 по %2 "
                                 "(всего %3) состоят из одних нулевых байтов, программа читает их "
                                 "как действующие.")
                      .arg(m_zeroFrom)
                      .arg(end - 1)
                      .arg(n));
        m_zeroFrom = -1;
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
                    .arg(QLatin1String(name))
                    .arg(id)
                    .arg(index));
    }

    void checkText(const QString &file, qint64 index, const char *bytes, const NamedText &t)
    {
        const int length = static_cast<unsigned char>(bytes[t.at.offset]);
        if (length > t.at.capacity)
            add(file, index,
                QStringLiteral("поле %1: байт длины %2 больше вместимости поля %3 символов "
                               "(читаются только первые %3).")
                    .arg(QLatin1String(t.name))
                    .arg(length)
                    .arg(t.at.capacity));
        else if (hasControl(QByteArrayView(bytes + t.at.offset + 1, length)))
            add(file, index,
                QStringLiteral(
                    "поле %1 содержит управляющие символы (нулевой байт, перевод строки и т. п.): "
                    "с клавиатуры их не ввести, в списках и отчётах они видны как мусор.")
                    .arg(QLatin1String(t.name)));
    }

    void checkPrice(const QString &file, qint64 index, const char *bytes, int offset)
    {
        const double price = field::number(bytes, offset);
        if (std::isfinite(price) && price < 0)
            add(file, index,
                QStringLiteral("поле UnitPrice = %1: отрицательная цена, ожидается 0 или больше.")
                    .arg(num(price)));
    }

    // Both dates given and possible, the later one before the earlier.
    static bool datesBefore(double later, double earlier)
    {
        return later != 0 && earlier != 0 && text::possibleDate(later)
            && text::possibleDate(earlier) && std::floor(later) < std::floor(earlier);
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
        } else if (!text::possibleDate(v)) {
            add(file, index,
                QStringLiteral("дата %1 = %2 вне разумных пределов: ожидается день с 01.01.1900 "
                               "(2) по 31.12.2200 (110880).")
                    .arg(QLatin1String(f.name), num(v)));
        } else if (v != std::floor(v)) {
            add(file, index,
                QStringLiteral(
                    "дата %1 = %2 (%3) содержит время суток, ожидается целое число дней.")
                    .arg(QLatin1String(f.name), num(v), text::formatDate(std::floor(v))));
        }
    }

    // False when the sum is not its price times its quantity (reported).
    bool checkSum(const QString &file, qint64 index, const char *sumName, double sum,
                  const char *qtyName, double qty, double price)
    {
        const long double expected = static_cast<long double>(price) * qty;
        if (nearlyEqual(sum, expected))
            return true;
        add(file, index,
            QStringLiteral("%1 = %2, а UnitPrice × %3 = %4 × %5 = %6.")
                .arg(QLatin1String(sumName), num(sum), QLatin1String(qtyName), num(price), num(qty),
                     num(double(expected))));
        return false;
    }

    // Keeps a copy of the text for the issues to be compared with.
    std::optional<QByteArrayView> keptText(const char *record, vedaris::TextField f)
    {
        const std::optional<QByteArrayView> t = storedText(record, f);
        if (!t)
            return std::nullopt;
        m_names.emplace_back(t->data(), t->size());
        return QByteArrayView(m_names.back());
    }

    void stock(qint64 index, const char *b)
    {
        const QString &name = m_name;
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
            checkPrice(name, index, b, S::UnitPrice);
            batch.receiptDate = field::number(b, S::ReceiptDate);
            const double expiry = field::number(b, S::ExpiryDate);
            if (datesBefore(expiry, batch.receiptDate))
                add(name, index,
                    QStringLiteral(
                        "срок годности ExpiryDate = %1 раньше даты получения ReceiptDate = %2.")
                        .arg(text::formatDate(expiry), text::formatDate(batch.receiptDate)));
            batch.quantity = field::number(b, S::Quantity);
            batch.received = field::number(b, S::ReceivedQuantity);
            batch.totalSum = field::number(b, S::TotalSum);
            batch.receivedSum = field::number(b, S::ReceivedSum);
            if (finite) {
                const double price = field::number(b, S::UnitPrice);
                batch.sumsSound = checkSum(name, index, "TotalSum", batch.totalSum, "Quantity",
                                           batch.quantity, price);
                batch.sumsSound &= checkSum(name, index, "ReceivedSum", batch.receivedSum,
                                            "ReceivedQuantity", batch.received, price);
            }
            batch.name = keptText(b, S::DrugName);
            batch.unit = keptText(b, S::Unit);
            batch.supplier = keptText(b, S::Supplier);
            batch.document = keptText(b, S::ReceiptDocument);
            batch.manufacturer = keptText(b, S::Manufacturer);
            batch.series = keptText(b, S::Series);
        }
        m_batches.push_back(batch);
    }

    void issue(qint64 index, const char *b)
    {
        const QString &name = m_name;
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
        const double sum = field::number(b, I::IssuedSum);
        checkPrice(name, index, b, I::UnitPrice);
        if (qty == 0)
            add(name, index,
                QStringLiteral(
                    "действующая выдача с количеством IssuedQuantity = 0: программа не сохраняет "
                    "выдачу нулевого количества."));
        const bool sumSound = finite
            && checkSum(name, index, "IssuedSum", sum, "IssuedQuantity", qty,
                        field::number(b, I::UnitPrice));
        if (!m_baseRead)
            return;
        const qint32 id = field::int32(b, IssueRecord::StockRecordIdOffset);
        if (id < 0 || id >= qint64(m_batches.size())) {
            add(name, index,
                QStringLiteral("действующая выдача из несуществующей партии: StockRecordId = %1, "
                               "а в Base.dat записи с номерами от 0 до %2.")
                    .arg(id)
                    .arg(qint64(m_batches.size()) - 1));
            return;
        }
        Batch &batch = m_batches[size_t(id)];
        if (batch.blank)
            return;
        if (!batch.live) {
            add(name, index,
                QStringLiteral("действующая выдача из удалённой партии %1: при удалении партии "
                               "её выдачи тоже помечаются удалёнными (Deleted = 1).")
                    .arg(id));
            return;
        }
        checkCopiedFromBatch(index, b, id, batch);
        const double issued = field::number(b, I::IssueDate);
        if (datesBefore(issued, batch.receiptDate))
            add(name, index,
                QStringLiteral(
                    "дата выдачи IssueDate = %1 раньше даты получения её партии %2 (%3).")
                    .arg(text::formatDate(issued))
                    .arg(id)
                    .arg(text::formatDate(batch.receiptDate)));
        if (finite) {
            batch.issued += qty;
            batch.issuedSum += sum;
            batch.sumsSound &= sumSound;
        } else {
            batch.finite = false;
        }
    }

    // An issue copies its batch's drug name and unit; the reports join by them.
    void checkCopiedFromBatch(qint64 index, const char *b, qint32 id, const Batch &batch)
    {
        const std::optional<QByteArrayView> drug = storedText(b, I::DrugName);
        const std::optional<QByteArrayView> unit = storedText(b, I::Unit);
        if (!drug || !unit || !batch.name || !batch.unit)
            return; // a length beyond its field, reported by itself
        auto shown = [](QByteArrayView t) { return cp1251::decode(t.data(), int(t.size())); };
        if (*drug != *batch.name || *unit != *batch.unit) {
            add(m_name, index,
                QStringLiteral("препарат и единица выдачи «%1», «%2» не совпадают с её партией %3 "
                               "(«%4», «%5»): выдача копирует их из партии.")
                    .arg(shown(*drug), shown(*unit))
                    .arg(id)
                    .arg(shown(*batch.name), shown(*batch.unit)));
            return;
        }
        // The rest of what an issue copies: an issue moved to another batch of
        // the same drug still names the batch it came from.
        QStringList differ;
        const struct
        {
            const char *name;
            TextField at;
            const std::optional<QByteArrayView> &batch;
        } copied[] = {{"Supplier", I::Supplier, batch.supplier},
                      {"ReceiptDocument", I::ReceiptDocument, batch.document},
                      {"Manufacturer", I::Manufacturer, batch.manufacturer},
                      {"Series", I::Series, batch.series}};
        for (const auto &c : copied) {
            const std::optional<QByteArrayView> mine = storedText(b, c.at);
            if (mine && c.batch && *mine != *c.batch)
                differ << QStringLiteral("%1 «%2», у партии «%3»")
                              .arg(QLatin1String(c.name), shown(*mine), shown(*c.batch));
        }
        // A date out of bounds is reported by itself, in the batch or the issue.
        const double receipt = field::number(b, I::ReceiptDate);
        if (text::possibleDate(receipt) && text::possibleDate(batch.receiptDate)
            && receipt != batch.receiptDate)
            differ << QStringLiteral("ReceiptDate %1, у партии %2")
                          .arg(text::formatDate(receipt), text::formatDate(batch.receiptDate));
        if (!differ.isEmpty())
            add(m_name, index,
                QStringLiteral(
                    "поля выдачи не совпадают с её партией %1 (%2): выдача копирует их из партии; "
                    "возможно, выдачу перенесли из другой партии.")
                    .arg(id)
                    .arg(differ.join(QStringLiteral("; "))));
    }

    void checkBalances()
    {
        for (size_t i = 0; i < m_batches.size(); ++i) {
            const Batch &b = m_batches[i];
            if (!b.live || b.blank || !b.finite)
                continue;
            if (!remainderAgrees(b.quantity, b.received, b.issued)) {
                add(files::Base, qint64(i),
                    QStringLiteral("Quantity = %1, а ReceivedQuantity за вычетом действующих выдач "
                                   "(Rashod.dat) = %2 − %3 = %4.")
                        .arg(num(b.quantity), num(b.received), num(double(b.issued)),
                             num(double(b.received - b.issued))));
            } else if (b.sumsSound && !remainderAgrees(b.totalSum, b.receivedSum, b.issuedSum)) {
                // Reported only when no broken sum or quantity above explains it: an
                // issue priced unlike its batch, or roundings that add up.
                add(files::Base, qint64(i),
                    QStringLiteral("TotalSum = %1, а ReceivedSum за вычетом сумм действующих выдач "
                                   "(Rashod.dat) = %2 − %3 = %4.")
                        .arg(num(b.totalSum), num(b.receivedSum), num(double(b.issuedSum)),
                             num(double(b.receivedSum - b.issuedSum))));
            }
        }
    }

    void drugName(qint64 index, const char *b)
    {
        checkReferenceMark(m_name, index, b, DrugNameEntry::DeletedOffset);
        if (b[DrugNameEntry::DeletedOffset] != 0)
            return;
        checkId(m_name, index, b, "EntryId", DrugNameEntry::IdOffset);
        checkText(m_name, index, b, {"Name", layout::DrugName::Name});
        checkText(m_name, index, b, {"Unit", layout::DrugName::Unit});
        checkDuplicate(index, b, layout::DrugName::Name, layout::DrugName::Unit);
    }

    void reference(qint64 index, const char *b)
    {
        checkReferenceMark(m_name, index, b, ReferenceEntry::DeletedOffset);
        if (b[ReferenceEntry::DeletedOffset] != 0)
            return;
        checkId(m_name, index, b, "EntryId", ReferenceEntry::IdOffset);
        checkText(m_name, index, b, {"Name", layout::Reference::Name});
        checkDuplicate(index, b, layout::Reference::Name, std::nullopt);
    }

    // Two live entries of exactly the same text (and unit) make every choice
    // between them ambiguous. Names that differ only in case, blanks or a cut
    // tail are the lists' ordinary history: the add compares normalised names,
    // but a name cut to its field, or older data, keeps such pairs.
    void checkDuplicate(qint64 index, const char *b, TextField name, std::optional<TextField> unit)
    {
        if (!storedText(b, name) || (unit && !storedText(b, *unit)))
            return;
        QString key = field::text(b, name);
        if (unit)
            key += QLatin1Char('\x1f') + field::text(b, *unit);
        if (m_listFile != m_name) {
            m_listFile = m_name;
            m_listKeys.clear();
        }
        const auto it = m_listKeys.constFind(key);
        if (it == m_listKeys.cend()) {
            m_listKeys.insert(key, index);
            return;
        }
        add(m_name, index,
            QStringLiteral(
                "запись «%1» повторяет действующую запись %2 того же справочника: в списке "
                "два одинаковых названия.")
                .arg(field::text(b, name))
                .arg(*it));
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

    QString m_name;
    int m_size = 1;
    qint64 m_index = 0;
    qint64 m_zeroFrom = -1;
    bool m_baseRead = false;
    QString m_listFile; // the list whose names m_listKeys holds
    QHash<QString, qint64> m_listKeys;
    Result m_result;
    std::vector<Batch> m_batches;
    std::deque<QByteArray> m_names; // the batches' texts; a deque keeps them in place
};

bool remainderAgrees(double stored, double received, long double issued)
{
    return nearlyEqual(stored, received - issued);
}

namespace {

QString pendingText(const journal::Pending &j)
{
    if (!j.readable)
        return QStringLiteral("журнал незавершённой операции не читается: %1.").arg(j.reason);
    if (j.matches)
        return QStringLiteral("незавершённая операция: %1 Журнал подходит к файлам данных: при "
                              "следующем запуске "
                              "программа отменит эту операцию.")
            .arg(j.undone);
    return QStringLiteral(
               "журнал незавершённой операции не подходит к файлам данных (%1). Операция: %2 "
               "Программа не станет его применять и откроется только для просмотра; если файлы "
               "данных верны, переместите журнал из папки данных.")
        .arg(j.reason, j.undone);
}

} // namespace

QString Finding::line() const
{
    if (record < 0)
        return QStringLiteral("%1: %2").arg(file, text);
    return QStringLiteral("%1, запись %2: %3").arg(file).arg(record).arg(text);
}

Result run(const QString &dataDir)
{
    Checker checker;
    for (const QString &name : files::All) {
        checker.beginFile(name);
        try {
            RecordFile f(files::path(dataDir, name), recordSize(name), RecordFile::ReadOnly);
            f.scan([&](qint64, const char *bytes) {
                checker.record(bytes);
                return true;
            });
            const qint64 length = f.length();
            f.close();
            checker.endFile(length, true);
        } catch (const Error &e) {
            checker.unreadable(e.message());
            checker.endFile(0, false);
        }
    }
    Result result = checker.take();
    if (const journal::Pending j = journal::inspect(dataDir); j.present)
        result.findings.push_back({Transaction::FileName, -1, pendingText(j)});
    return result;
}

Stream::Stream() : m_checker(std::make_unique<Checker>()) { }

Stream::~Stream() = default;

void Stream::beginFile(const QString &name)
{
    m_checker->beginFile(name);
    m_recordSize = recordSize(name);
    m_carry.clear();
    m_length = 0;
}

void Stream::feed(const char *bytes, qint64 length)
{
    m_length += length;
    const int recordBytes = m_recordSize;
    if (!m_carry.isEmpty()) {
        const qint64 need = std::min<qint64>(recordBytes - m_carry.size(), length);
        m_carry.append(bytes, need);
        bytes += need;
        length -= need;
        if (m_carry.size() < recordBytes)
            return;
        m_checker->record(m_carry.constData());
        m_carry.clear();
    }
    for (; length >= recordBytes; bytes += recordBytes, length -= recordBytes)
        m_checker->record(bytes);
    m_carry.append(bytes, length);
}

void Stream::endFile()
{
    m_checker->endFile(m_length, true);
}

Result Stream::finish()
{
    return m_checker->take();
}

} // namespace vedaris::check
