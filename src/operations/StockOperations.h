#pragma once

#include "StockFigures.h"
#include "StockRow.h"
#include "store/Records.h"

#include <QDate>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

// The stock as the desktop reads and changes it: the reads behind the stock list,
// the view window and the issue dialog, and the operations receipt, issue,
// write-off, edit and delete.
// Each opens the data files it needs in `dataDir`, does its whole work, syncs
// what it wrote and closes the files before it returns. Each is all or nothing:
// a failure, or a crash and the recovery at the next start, leaves the files as
// they were (vedaris::Transaction). Failures throw vedaris::Error; a number text
// that is not a number throws before anything is written.
namespace vedaris::ops {

// What the receipt and the edit dialog hold.
struct BatchInput
{
    QString drugName;
    QString manufacturer;
    QString supplier;
    QString receiptDocument;
    QString series;
    QDate receiptDate;
    QString unit;
    QString quantityText; // decimal comma
    QString priceText;
    QDate expiryDate;
    // An edit's stored dates, written back as they were when the user left
    // their fields alone (a damaged one included).
    std::optional<double> keptReceiptSerial;
    std::optional<double> keptExpirySerial;
};

struct StoredBatch
{
    StockRecord record; // as written; its RecordId is its slot
    QString quantityText; // as typed
    QString priceText;
    // The list's row for it: the texts as stored, the quantity and price as typed.
    StockRow row() const { return {record.RecordId, record, quantityText, priceText}; }
};

// Writes a new batch into the first deleted slot of Base.dat, or appends it;
// its RecordId is the slot.
StoredBatch storeReceipt(const QString &dataDir, const BatchInput &in);

// The edit command's check: the batch, or nothing when a live issue of it
// exists (such a batch may no longer be edited).
std::optional<StockRecord> readForEdit(const QString &dataDir, qint32 recordId);

// Rewrites the whole batch `recordId` from the dialog; both quantities and both
// sums take the edited values.
StoredBatch storeEdit(const QString &dataDir, qint32 recordId, const BatchInput &in);

// Batch `recordId` as Base.dat holds it: what the view window shows and what the
// issue dialog issues from (its save writes back exactly this record with a new
// quantity and value).
StockRecord readBatch(const QString &dataDir, qint32 recordId);

// The stock list's fill: `row` gets every live batch of Base.dat with its
// record number, in file order; `percent`, each time it changes, the share of
// the records read so far, deleted ones included. An incomplete tail is no
// record. A record of nothing but zero bytes (what a power cut or a sparse
// file leaves) is no batch either: it gets no row, and the result says how
// many there were, for one message.
struct BlankRecords
{
    qint64 count = 0;
    qint64 first = -1;
    qint64 last = -1;
    // vedaris-check's words for them, or nothing when there were none.
    QString text() const;
};
BlankRecords readStock(const QString &dataDir,
                       const std::function<void(qint64 slot, const StockRecord &batch)> &row,
                       const std::function<void(int percent)> &percent = {});
// The records Base.dat holds, deleted ones included; 0 when it cannot be read.
qint64 stockRecordCount(const QString &dataDir);

enum class IssueVerdict {
    Ok,
    Empty, // nothing typed
    OutOfRange, // more than in stock, zero, or nothing left
};
// The issue dialog's checks on the typed quantity against the batch's shown
// quantity. Throws the conversion error for a text that is not a number.
IssueVerdict checkIssue(const StockRecord &batch, const QString &issuedText);

struct StoredIssue
{
    IssueRecord issue;
    qint64 issueSlot = 0;
    StockRecord batch; // as rewritten
    StockRow row() const { return {issue.StockRecordId, batch}; }
};

// Records the issue of `issuedText` from `batch` (as read by readBatch at
// `recordId`) to `department` on `issueDate`, reusing the first deleted slot of
// Rashod.dat, then rewrites the batch with its lowered quantity and value.
StoredIssue storeIssue(const QString &dataDir, qint32 recordId, const StockRecord &batch,
                       const QString &issuedText, const QString &department,
                       const QDate &issueDate);

// The batch to issue first instead of `batch` (record `recordId`): another live
// batch of the same drug name and unit (compared exactly) with stock, whose
// expiry has not passed by `today` and comes before `batch`'s. Of several, the
// earliest expiry; on a tie the earlier receipt, then the lower record number.
struct EarlierBatch
{
    qint32 recordId = 0;
    StockRecord batch;
};
std::optional<EarlierBatch> earlierBatch(const QString &dataDir, qint32 recordId,
                                         const StockRecord &batch, const QDate &today);

// A write-off's reasons, in the order offered.
const QStringList &writeOffReasons();
// The department a write-off for `reason` is issued to: "Списание: <reason>".
QString writeOffDepartment(const QString &reason);
// Writes off `quantityText` of `batch` (as read at `recordId`) for `reason` on
// `date`: an issue as storeIssue makes it, to the reason's department. When no
// live department passes the reference list's duplicate test with that name,
// the department is added as ReferenceList::add adds it; otherwise the issue
// carries the name of the entry that matched, so the one-department report
// finds it. The entry, the issue and the batch are one all-or-nothing change.
StoredIssue storeWriteOff(const QString &dataDir, qint32 recordId, const StockRecord &batch,
                          const QString &quantityText, const QString &reason, const QDate &date);

// Marks every issue record of the batch deleted, then the batch itself.
void deleteBatch(const QString &dataDir, qint32 recordId);

// The value a number shown in a read-only field stands for: the number rounded
// to the fifteen significant digits of its text.
double shownValue(double value);

} // namespace vedaris::ops
