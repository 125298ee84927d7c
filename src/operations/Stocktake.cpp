#include "Stocktake.h"

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

#include <algorithm>
#include <unordered_map>

namespace vedaris::ops {

double CountRow::countedQuantity() const
{
    return hasCount() ? text::parseNumber(counted) : 0;
}

double CountRow::difference() const
{
    return hasCount() ? text::roundQuantity(vedaris::difference(countedQuantity(), book.quantity))
                      : 0;
}

double CountRow::differenceSum() const
{
    return text::roundSum(product(difference(), book.batch.UnitPrice));
}

namespace {

void sortForSheet(std::vector<CountRow> &rows)
{
    const std::vector<size_t> order = countSheetOrder(
        rows.size(), [&](size_t i) -> const StockRecord & { return rows[i].book.batch; });
    std::vector<CountRow> sorted;
    sorted.reserve(rows.size());
    for (size_t i : order)
        sorted.push_back(std::move(rows[i]));
    rows = std::move(sorted);
}

CountRow rowOf(const count::Line &l)
{
    CountRow r;
    r.book.batch.RecordId = l.recordId;
    r.book.batch.DrugName = l.drugName;
    r.book.batch.Unit = l.unit;
    r.book.batch.Series = l.series;
    r.book.batch.ExpiryDate = l.expiry;
    r.book.batch.UnitPrice = l.price;
    r.book.quantity = l.book;
    r.book.sum = product(l.book, l.price);
    r.counted = l.counted;
    return r;
}

count::Line lineOf(const CountRow &r)
{
    count::Line l;
    l.recordId = r.book.batch.RecordId;
    l.drugName = r.book.batch.DrugName;
    l.unit = r.book.batch.Unit;
    l.series = r.book.batch.Series;
    l.expiry = r.book.batch.ExpiryDate;
    l.price = r.book.batch.UnitPrice;
    l.book = r.book.quantity;
    l.counted = r.counted;
    return l;
}

// Where `needed` new records of `file` go: its first deleted slots, then
// appended one after another. The scan stops once enough slots are found.
class Slots
{
public:
    Slots(RecordFile &file, int deletedOffset, size_t needed) : m_end(file.count())
    {
        if (needed == 0)
            return;
        file.scan([&](qint64 index, const char *bytes) {
            if (static_cast<unsigned char>(bytes[deletedOffset]) == 1)
                m_free.push_back(index);
            return m_free.size() < needed;
        });
    }
    qint64 next() { return m_at < m_free.size() ? m_free[m_at++] : m_end++; }

private:
    std::vector<qint64> m_free;
    size_t m_at = 0;
    qint64 m_end;
};

} // namespace

std::vector<CountRow> countRows(const QString &dataDir, const count::Count &c)
{
    std::vector<CountRow> rows;
    if (c.posted) {
        rows.reserve(c.lines.size());
        for (const count::Line &l : c.lines)
            rows.push_back(rowOf(l));
        sortForSheet(rows);
        return rows;
    }
    std::unordered_map<qint32, const count::Line *> counts;
    for (const count::Line &l : c.lines)
        counts[l.recordId] = &l;
    // What the issues leave of a batch is taken to a millionth: a remainder of
    // 1E-15 is an emptied batch, not a line to count.
    for (BookLine &b : bookQuantities(dataDir, c.date, BookLines::InStock)) {
        CountRow r;
        r.book = std::move(b);
        if (const auto it = counts.find(r.book.batch.RecordId);
            it != counts.end() && it->second->drugName == r.book.batch.DrugName)
            r.counted = it->second->counted;
        rows.push_back(std::move(r));
    }
    sortForSheet(rows);
    return rows;
}

count::Count draftOf(const QDate &date, const std::vector<CountRow> &rows)
{
    count::Count c;
    c.date = date;
    for (const CountRow &r : rows)
        if (r.hasCount())
            c.lines.push_back(lineOf(r));
    return c;
}

QString surplusDocument(const QDate &date)
{
    return QStringLiteral("Излишки по инвентаризации от %1").arg(text::formatDate(date));
}

Posted postCount(const QString &dataDir)
{
    Transaction tx(dataDir);
    const std::optional<count::Count> draft = count::read(dataDir);
    if (!draft)
        throw Error(count::path(dataDir), QStringLiteral("инвентаризация не начата"));
    if (draft->posted)
        throw Error(count::path(dataDir),
                    QStringLiteral("инвентаризация на %1 уже проведена")
                        .arg(text::formatDate(draft->date)));
    const QDate date = draft->date;
    const double day = text::dateToSerial(date);
    const std::vector<CountRow> rows = countRows(dataDir, *draft);

    TypedFile<StockRecord> base(files::path(dataDir, files::Base));
    TypedFile<IssueRecord> rashod(files::path(dataDir, files::Rashod));
    RecordFile countFile(count::path(dataDir), 1);

    // First every difference, so that a refusal comes before anything is kept.
    std::vector<std::pair<const CountRow *, double>> differences;
    size_t shortages = 0;
    for (const CountRow &r : rows) {
        const double diff = r.difference(); // throws for a count that is no number
        if (diff == 0)
            continue;
        differences.emplace_back(&r, diff);
        if (diff > 0)
            continue;
        ++shortages;
        // The batch as it is now: its live quantity moved with the issues after the date.
        const StockRecord &batch = r.book.batch;
        if (text::roundQuantity(difference(shownValue(batch.Quantity), -diff)) < 0)
            throw Error(files::path(dataDir, files::Base),
                        QStringLiteral(
                            "по партии \"%1\"%2 после %3 выдано больше, чем найдено при пересчёте: "
                            "недостачу %4 списать нельзя, в партии осталось %5")
                            .arg(batch.DrugName,
                                 batch.Series.isEmpty()
                                     ? QString()
                                     : QStringLiteral(" серии %1").arg(batch.Series),
                                 text::formatDate(date), text::formatNumber(-diff),
                                 text::formatNumber(batch.Quantity)));
    }

    struct Write
    {
        bool issue;
        qint64 slot;
        StockRecord batch;
        IssueRecord issued;
    };
    std::vector<Write> writes;
    writes.reserve(differences.size());
    Posted out;
    std::optional<PendingAdd> department;
    QString to;
    if (shortages) {
        const QString name = writeOffDepartment(QStringLiteral("Недостача"));
        department.emplace(tx, dataDir, RefKind::Departments, name);
        to = department->duplicate() ? department->duplicate()->name : name;
    }
    Slots rashodSlots(rashod.raw(), IssueRecord::DeletedOffset, shortages);
    Slots baseSlots(base.raw(), StockRecord::DeletedOffset, differences.size() - shortages);
    for (const auto &[row, diff] : differences) {
        const StockRecord &batch = row->book.batch;
        const double price = shownValue(batch.UnitPrice);
        if (diff < 0) {
            const double shortage = -diff;
            const double left = difference(shownValue(batch.Quantity), shortage);
            Write w{true, rashodSlots.next(), batch, issueFromBatch(batch)};
            w.issued.Department = cp1251::stored(to, layout::Issue::Department.capacity);
            w.issued.IssuedQuantity = shortage;
            w.issued.UnitPrice = price;
            w.issued.IssuedSum = product(price, shortage);
            w.issued.IssueDate = day;
            w.issued.StockRecordId = batch.RecordId;
            w.batch.Quantity = left;
            w.batch.TotalSum = product(price, left);
            tx.keepRecord(rashod.raw(), w.slot, rashod.encoded(w.issued));
            tx.keepRecord(base.raw(), batch.RecordId, base.encoded(w.batch));
            ++out.shortages;
            out.shortageSum += text::roundSum(w.issued.IssuedSum);
            writes.push_back(std::move(w));
        } else {
            Write w{false, baseSlots.next(), batch, {}};
            w.batch.ReceiptDocument =
                cp1251::stored(surplusDocument(date), layout::Stock::ReceiptDocument.capacity);
            w.batch.ReceiptDate = day;
            w.batch.Quantity = w.batch.ReceivedQuantity = diff;
            w.batch.UnitPrice = price;
            w.batch.TotalSum = w.batch.ReceivedSum = product(diff, price);
            base.stamp(w.slot, w.batch);
            tx.keepRecord(base.raw(), w.slot, base.encoded(w.batch));
            ++out.surpluses;
            out.surplusSum += text::roundSum(w.batch.ReceivedSum);
            writes.push_back(std::move(w));
        }
    }

    count::Count posted;
    posted.date = date;
    posted.posted = true;
    posted.lines.reserve(rows.size());
    for (const CountRow &r : rows)
        posted.lines.push_back(lineOf(r));
    const QByteArray postedBytes = count::encode(posted);
    tx.keepWhole(countFile, postedBytes);

    tx.begin(QStringLiteral("Проведение инвентаризации на %1 не было завершено и отменено.")
                 .arg(text::formatDate(date)),
             history::kind::Stocktake);
    if (department)
        department->store();
    for (const Write &w : writes) {
        if (w.issue) {
            rashod.write(w.slot, w.issued);
            base.write(w.batch.RecordId, w.batch);
        } else {
            base.write(w.slot, w.batch);
        }
    }
    countFile.replaceAll(postedBytes);
    tx.commit();
    if (department)
        department->close();
    return out;
}

} // namespace vedaris::ops
