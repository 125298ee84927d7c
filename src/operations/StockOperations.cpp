#include "StockOperations.h"

#include "store/Cp1251.h"
#include "store/DataFiles.h"
#include "store/Error.h"
#include "store/History.h"
#include "store/Journal.h"
#include "store/RecordFile.h"
#include "store/ReferenceLists.h"
#include "store/StockArithmetic.h"
#include "store/TextFormats.h"

#include <QByteArray>
#include <QFileInfo>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <utility>
#include <vector>

namespace vedaris::ops {

namespace {

using S = layout::Stock;

StockRecord batchFromInput(const BatchInput &in, double quantity, double price)
{
    StockRecord r;
    r.DrugName = cp1251::stored(in.drugName, S::DrugName.capacity);
    r.ReceiptDate =
        in.keptReceiptSerial ? *in.keptReceiptSerial : text::dateToSerial(in.receiptDate);
    r.Unit = cp1251::stored(in.unit, S::Unit.capacity);
    r.Supplier = cp1251::stored(in.supplier, S::Supplier.capacity);
    r.ReceiptDocument = cp1251::stored(in.receiptDocument, S::ReceiptDocument.capacity);
    r.Manufacturer = cp1251::stored(in.manufacturer, S::Manufacturer.capacity);
    r.Series = cp1251::stored(in.series, S::Series.capacity);
    r.Quantity = quantity;
    r.ReceivedQuantity = quantity;
    r.UnitPrice = price;
    r.TotalSum = r.ReceivedSum = product(quantity, price);
    r.ExpiryDate = in.keptExpirySerial ? *in.keptExpirySerial : text::dateToSerial(in.expiryDate);
    r.Deleted = 0;
    return r;
}

// "5 уп", or the quantity alone without a unit.
QString amount(const QString &quantityText, const QString &unit)
{
    return unit.isEmpty() ? quantityText : quantityText + QLatin1Char(' ') + unit;
}

StoredBatch storeBatch(const QString &dataDir, const BatchInput &in, std::optional<qint32> at)
{
    const double quantity = text::parseNumber(in.quantityText);
    const double price = text::parseNumber(in.priceText);
    StockRecord r = batchFromInput(in, quantity, price);
    Transaction tx(dataDir);
    TypedFile<StockRecord> base(files::path(dataDir, files::Base));
    const qint64 slot = at ? *at : base.freeSlot();
    base.stamp(slot, r);
    tx.keepRecord(base.raw(), slot, base.encoded(r));
    tx.begin(
        at ? QStringLiteral("Изменение записи \"%1\" не было завершено и отменено.").arg(r.DrugName)
           : QStringLiteral("Приход %1 препарата \"%2\" не был завершён и отменён.")
                 .arg(amount(in.quantityText, r.Unit), r.DrugName),
        at ? history::kind::Edit : history::kind::Receipt);
    base.write(slot, r);
    tx.commit();
    return {r, in.quantityText, in.priceText};
}

// An issue from the moment its records are kept in the transaction to its write:
// storeIssue and storeWriteOff make it the same way.
class PlannedIssue
{
public:
    // `issued` is `issuedText` as a number.
    PlannedIssue(Transaction &tx, const QString &dataDir, qint32 recordId, const StockRecord &batch,
                 double issued, const QString &issuedText, const QString &department,
                 const QDate &issueDate)
        : m_rashod(files::path(dataDir, files::Rashod)), m_base(files::path(dataDir, files::Base)),
          m_recordId(recordId)
    {
        const double available = shownValue(batch.Quantity);
        const double price = shownValue(batch.UnitPrice);
        const double newQuantity = difference(available, issued);

        m_out.issue = issueFromBatch(batch);
        IssueRecord &issue = m_out.issue;
        issue.Department = cp1251::stored(department, layout::Issue::Department.capacity);
        issue.IssuedQuantity = issued;
        issue.UnitPrice = price;
        issue.IssuedSum = product(price, issued);
        issue.IssueDate = text::dateToSerial(issueDate);
        issue.StockRecordId = recordId;
        m_out.issueSlot = m_rashod.freeSlot();
        m_out.batch = batch;
        m_out.batch.Quantity = newQuantity;
        m_out.batch.TotalSum = product(price, newQuantity);
        m_amount = amount(issuedText, batch.Unit);

        tx.keepRecord(m_rashod.raw(), m_out.issueSlot, m_rashod.encoded(m_out.issue));
        tx.keepRecord(m_base.raw(), recordId, m_base.encoded(m_out.batch));
    }

    const IssueRecord &issue() const { return m_out.issue; }
    // "5 уп", what the sentence about an unfinished issue names.
    const QString &amountText() const { return m_amount; }

    StoredIssue write()
    {
        m_rashod.write(m_out.issueSlot, m_out.issue);
        m_base.write(m_recordId, m_out.batch);
        return m_out;
    }

private:
    TypedFile<IssueRecord> m_rashod;
    TypedFile<StockRecord> m_base;
    qint32 m_recordId;
    StoredIssue m_out;
    QString m_amount;
};

// The text field `f` of `record` is `text`, which takes `encodedLength` bytes in
// code page 1251: the length byte is compared before anything is decoded.
bool textIs(const char *record, TextField f, const QString &text, qsizetype encodedLength)
{
    const int length = std::min<int>(static_cast<unsigned char>(record[f.offset]), f.capacity);
    return length == encodedLength && field::text(record, f) == text;
}

} // namespace

double shownValue(double value)
{
    return QByteArray::number(value, 'g', 15).toDouble();
}

StoredBatch storeReceipt(const QString &dataDir, const BatchInput &in)
{
    return storeBatch(dataDir, in, std::nullopt);
}

std::optional<StockRecord> readForEdit(const QString &dataDir, qint32 recordId)
{
    TypedFile<StockRecord> base(files::path(dataDir, files::Base), RecordFile::ReadOnly);
    RecordFile rashod(files::path(dataDir, files::Rashod), IssueRecord::Size, RecordFile::ReadOnly);
    bool issued = false;
    rashod.scan([&](qint64, const char *bytes) {
        issued = static_cast<unsigned char>(bytes[IssueRecord::DeletedOffset]) != 1
            && field::int32(bytes, IssueRecord::StockRecordIdOffset) == recordId;
        return !issued;
    });
    if (issued)
        return std::nullopt;
    return base.read(recordId);
}

StoredBatch storeEdit(const QString &dataDir, qint32 recordId, const BatchInput &in)
{
    return storeBatch(dataDir, in, recordId);
}

StockRecord readBatch(const QString &dataDir, qint32 recordId)
{
    TypedFile<StockRecord> base(files::path(dataDir, files::Base), RecordFile::ReadOnly);
    return base.read(recordId);
}

QString BlankRecords::text() const
{
    if (count == 0)
        return {};
    const QString which = count == last - first + 1
        ? QStringLiteral("записи с %1 по %2 (всего %3)").arg(first).arg(last).arg(count)
        : QStringLiteral("%3 записей с номерами от %1 до %2").arg(first).arg(last).arg(count);
    return QStringLiteral(
               "Base.dat: пустые записи — возможно, след сбоя питания: %1 состоят из одних нулевых "
               "байтов. В списке они не показываются; запустите vedaris-check, чтобы проверить "
               "файлы.")
        .arg(which);
}

BlankRecords readStock(const QString &dataDir,
                       const std::function<void(qint64 slot, const StockRecord &batch)> &row,
                       const std::function<void(int percent)> &percent)
{
    BlankRecords blank;
    TypedFile<StockRecord> base(files::path(dataDir, files::Base), RecordFile::ReadOnly);
    const qint64 count = base.count();
    qint64 read = 0;
    int shown = -1;
    StockRecord r;
    base.raw().scan([&](qint64 index, const char *bytes) {
        ++read;
        const int now = int(read * 100 / count);
        if (now != shown && percent) {
            shown = now;
            percent(now);
        }
        if (std::all_of(bytes, bytes + StockRecord::Size, [](char c) { return c == 0; })) {
            if (blank.count++ == 0)
                blank.first = index;
            blank.last = index;
            return true;
        }
        decode(bytes, r);
        if (r.Deleted != 1)
            row(index, r);
        return true;
    });
    return blank;
}

qint64 stockRecordCount(const QString &dataDir)
{
    return QFileInfo(files::path(dataDir, files::Base)).size() / StockRecord::Size;
}

IssueVerdict checkIssue(const StockRecord &batch, const QString &issuedText)
{
    if (issuedText.isEmpty())
        return IssueVerdict::Empty;
    const double issued = text::parseNumber(issuedText);
    const double available = shownValue(batch.Quantity);
    if (issued > available || issued == 0 || available == 0)
        return IssueVerdict::OutOfRange;
    return IssueVerdict::Ok;
}

StoredIssue storeIssue(const QString &dataDir, qint32 recordId, const StockRecord &batch,
                       const QString &issuedText, const QString &department, const QDate &issueDate)
{
    const double issued = text::parseNumber(issuedText);
    Transaction tx(dataDir);
    PlannedIssue planned(tx, dataDir, recordId, batch, issued, issuedText, department, issueDate);
    const QString what =
        QStringLiteral("Выдача %1 препарата \"%2\"").arg(planned.amountText(), batch.DrugName);
    const QString &to = planned.issue().Department;
    tx.begin(
        to.isEmpty()
            ? QStringLiteral("%1 не была завершена и отменена.").arg(what)
            : QStringLiteral("%1 в отделение \"%2\" не была завершена и отменена.").arg(what, to),
        history::kind::Issue);
    StoredIssue out = planned.write();
    tx.commit();
    return out;
}

std::optional<EarlierBatch> earlierBatch(const QString &dataDir, qint32 recordId,
                                         const StockRecord &batch, const QDate &today)
{
    if (expiryOn(batch.ExpiryDate, today) == Expiry::NoDate)
        return std::nullopt;
    const double before = std::floor(batch.ExpiryDate);
    const qsizetype nameLength = cp1251::encode(batch.DrugName).size();
    const qsizetype unitLength = cp1251::encode(batch.Unit).size();

    RecordFile base(files::path(dataDir, files::Base), StockRecord::Size, RecordFile::ReadOnly);
    std::optional<EarlierBatch> best;
    double bestExpiry = 0;
    base.scan([&](qint64 index, const char *bytes) {
        if (index == recordId || field::isDeleted(bytes, S::Deleted)
            || !(field::number(bytes, S::Quantity) > 0))
            return true;
        const double expiry = field::number(bytes, S::ExpiryDate);
        const Expiry state = expiryOn(expiry, today);
        const double day = std::floor(expiry);
        if ((state != Expiry::Soon && state != Expiry::Later) || day >= before)
            return true;
        if (best
            && (day > bestExpiry
                || (day == bestExpiry
                    && field::number(bytes, S::ReceiptDate) >= best->batch.ReceiptDate)))
            return true;
        if (!textIs(bytes, S::DrugName, batch.DrugName, nameLength)
            || !textIs(bytes, S::Unit, batch.Unit, unitLength))
            return true;
        best.emplace();
        best->recordId = qint32(index);
        decode(bytes, best->batch);
        bestExpiry = day;
        return true;
    });
    return best;
}

const QStringList &writeOffReasons()
{
    static const QStringList reasons = {QStringLiteral("Истёк срок годности"),
                                        QStringLiteral("Повреждение"), QStringLiteral("Недостача"),
                                        QStringLiteral("Прочее")};
    return reasons;
}

QString writeOffDepartment(const QString &reason)
{
    return QStringLiteral("Списание: ") + reason;
}

StoredIssue storeWriteOff(const QString &dataDir, qint32 recordId, const StockRecord &batch,
                          const QString &quantityText, const QString &reason, const QDate &date)
{
    const double quantity = text::parseNumber(quantityText);
    Transaction tx(dataDir);
    PendingAdd department(tx, dataDir, RefKind::Departments, writeOffDepartment(reason));
    const QString to =
        department.duplicate() ? department.duplicate()->name : writeOffDepartment(reason);
    PlannedIssue planned(tx, dataDir, recordId, batch, quantity, quantityText, to, date);
    tx.begin(QStringLiteral("Списание %1 препарата \"%2\" (%3) не было завершено и отменено.")
                 .arg(planned.amountText(), batch.DrugName, reason),
             history::kind::WriteOff);
    department.store();
    StoredIssue out = planned.write();
    tx.commit();
    department.close();
    return out;
}

void deleteBatch(const QString &dataDir, qint32 recordId)
{
    Transaction tx(dataDir);
    RecordFile base(files::path(dataDir, files::Base), StockRecord::Size);
    RecordFile rashod(files::path(dataDir, files::Rashod), IssueRecord::Size);

    // Records already marked keep their mark and are left alone.
    std::vector<qint64> marked;
    rashod.scan([&](qint64 index, const char *bytes) {
        if (field::int32(bytes, IssueRecord::StockRecordIdOffset) == recordId
            && static_cast<unsigned char>(bytes[IssueRecord::DeletedOffset]) != 1)
            marked.push_back(index);
        return true;
    });
    for (qint64 index : marked)
        tx.keepByte(rashod, index, IssueRecord::DeletedOffset, 1);
    tx.keepByte(base, recordId, StockRecord::DeletedOffset, 1);
    const QString name = field::text(base.readRaw(recordId).constData(), S::DrugName);
    tx.begin(
        marked.empty()
            ? QStringLiteral("Удаление записи \"%1\" не было завершено и отменено.").arg(name)
            : QStringLiteral(
                  "Удаление записи \"%1\" вместе с её выдачами (%2) не было завершено и отменено.")
                  .arg(name)
                  .arg(marked.size()),
        history::kind::Delete);
    for (qint64 index : marked)
        rashod.markDeleted(index, IssueRecord::DeletedOffset);
    base.markDeleted(recordId, StockRecord::DeletedOffset);
    tx.commit();
}

} // namespace vedaris::ops
