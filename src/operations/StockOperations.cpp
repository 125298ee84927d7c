#include "StockOperations.h"

#include "store/Cp1251.h"
#include "store/DataFiles.h"
#include "store/Error.h"
#include "store/RecordFile.h"
#include "store/StockArithmetic.h"
#include "store/TextFormats.h"

#include <QByteArray>
#include <QFileInfo>
#include <utility>
#include <vector>

namespace vedaris::ops {

namespace {

using S = layout::Stock;

StockRecord batchFromInput(const BatchInput &in, double quantity, double price)
{
    StockRecord r;
    r.DrugName = cp1251::stored(in.drugName, S::DrugName.capacity);
    r.ReceiptDate = text::dateToSerial(in.receiptDate);
    r.Unit = cp1251::stored(in.unit, S::Unit.capacity);
    r.Supplier = cp1251::stored(in.supplier, S::Supplier.capacity);
    r.ReceiptDocument = cp1251::stored(in.receiptDocument, S::ReceiptDocument.capacity);
    r.Manufacturer = cp1251::stored(in.manufacturer, S::Manufacturer.capacity);
    r.Series = cp1251::stored(in.series, S::Series.capacity);
    r.Quantity = quantity;
    r.ReceivedQuantity = quantity;
    r.UnitPrice = price;
    r.TotalSum = r.ReceivedSum = product(quantity, price);
    r.ExpiryDate = text::dateToSerial(in.expiryDate);
    r.Deleted = 0;
    return r;
}

// A receipt's or an edit's row: the texts as stored, quantity and price as typed.
QStringList typedRowCells(const StockRecord &r, const BatchInput &in)
{
    QStringList cells = stockRowCells(r);
    cells[stockcol::Quantity] = in.quantityText;
    cells[stockcol::UnitPrice] = in.priceText;
    return cells;
}

StoredBatch storeBatch(const QString &dataDir, const BatchInput &in, std::optional<qint32> at)
{
    const double quantity = text::parseNumber(in.quantityText);
    const double price = text::parseNumber(in.priceText);
    StockRecord r = batchFromInput(in, quantity, price);
    TypedFile<StockRecord> base(files::path(dataDir, files::Base));
    if (at) {
        r.RecordId = *at;
        base.write(*at, r);
    } else {
        base.add(r);
    }
    base.raw().sync();
    return {r, typedRowCells(r, in)};
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

void readStock(const QString &dataDir, const std::function<void(const QStringList &cells)> &row,
               const std::function<void(int percent)> &percent)
{
    TypedFile<StockRecord> base(files::path(dataDir, files::Base), RecordFile::ReadOnly);
    const qint64 count = base.count();
    qint64 read = 0;
    int shown = -1;
    CellTextCache texts;
    base.forEach([&](qint64, const StockRecord &r) {
        ++read;
        const int now = int(read * 100 / count);
        if (now != shown && percent) {
            shown = now;
            percent(now);
        }
        if (r.Deleted != 1)
            row(stockRowCells(r, texts));
        return true;
    });
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
    const double available = shownValue(batch.Quantity);
    const double price = shownValue(batch.UnitPrice);
    const double newQuantity = difference(available, issued);
    const double newValue = product(price, newQuantity);

    TypedFile<IssueRecord> rashod(files::path(dataDir, files::Rashod));
    TypedFile<StockRecord> base(files::path(dataDir, files::Base));

    StoredIssue out;
    out.issue = issueFromBatch(batch);
    IssueRecord &issue = out.issue;
    issue.Department = cp1251::stored(department, layout::Issue::Department.capacity);
    issue.IssuedQuantity = issued;
    issue.UnitPrice = price;
    issue.IssuedSum = product(price, issued);
    issue.IssueDate = text::dateToSerial(issueDate);
    issue.StockRecordId = recordId;
    out.issueSlot = rashod.add(issue);

    out.batch = batch;
    out.batch.Quantity = newQuantity;
    out.batch.TotalSum = newValue;
    try {
        // The issue reaches the disk before the lowered batch does: a power cut
        // in between must not leave stock gone with no issue to account for it.
        rashod.raw().sync();
        base.write(recordId, out.batch);
        base.raw().sync();
    } catch (...) {
        try {
            rashod.markDeleted(out.issueSlot);
            rashod.raw().sync();
        } catch (...) {
            // The batch's own failure is the one to report.
        }
        throw;
    }

    out.cells = stockRowCells(out.batch);
    out.cells[stockcol::RecordId] = QString::number(recordId);
    out.cells[stockcol::UnitPrice] = text::formatNumber(batch.UnitPrice);
    return out;
}

void deleteBatch(const QString &dataDir, qint32 recordId)
{
    RecordFile base(files::path(dataDir, files::Base), StockRecord::Size);
    RecordFile rashod(files::path(dataDir, files::Rashod), IssueRecord::Size);

    // Records already marked keep their mark; only the ones this call marks
    // are remembered, with their bytes, for the way back.
    std::vector<std::pair<qint64, QByteArray>> marked;
    rashod.scan([&](qint64 index, const char *bytes) {
        if (field::int32(bytes, IssueRecord::StockRecordIdOffset) == recordId
            && static_cast<unsigned char>(bytes[IssueRecord::DeletedOffset]) != 1)
            marked.emplace_back(index, QByteArray(bytes, IssueRecord::Size));
        return true;
    });

    try {
        for (const auto &m : marked)
            rashod.markDeleted(m.first, IssueRecord::DeletedOffset);
        rashod.sync();
        base.markDeleted(recordId, StockRecord::DeletedOffset);
    } catch (...) {
        try {
            for (const auto &m : marked)
                rashod.writeRaw(m.first, m.second);
            rashod.sync();
        } catch (...) {
            // Issues marked with their batch still live is a state every reader accepts.
        }
        throw;
    }
    base.sync();
}

} // namespace vedaris::ops
