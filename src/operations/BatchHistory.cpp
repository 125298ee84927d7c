#include "BatchHistory.h"

#include "store/DataFiles.h"
#include "store/IntegrityCheck.h"
#include "store/RecordFile.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace vedaris::ops {

BatchHistory readBatchHistory(const QString &dataDir, qint32 recordId)
{
    using I = layout::Issue;
    BatchHistory h;
    h.batch = TypedFile<StockRecord>(files::path(dataDir, files::Base), RecordFile::ReadOnly)
                  .read(recordId);
    const StockRecord &b = h.batch;
    h.finite = std::isfinite(b.Quantity) && std::isfinite(b.ReceivedQuantity)
        && std::isfinite(b.UnitPrice) && std::isfinite(b.TotalSum) && std::isfinite(b.ReceivedSum);

    RecordFile rashod(files::path(dataDir, files::Rashod), IssueRecord::Size, RecordFile::ReadOnly);
    rashod.scan([&](qint64, const char *r) {
        if (field::int32(r, I::StockRecordId) != recordId || field::isDeleted(r, I::Deleted))
            return true;
        BatchIssue is;
        is.date = field::number(r, I::IssueDate);
        is.department = field::text(r, I::Department);
        is.quantity = field::number(r, I::IssuedQuantity);
        is.sum = field::number(r, I::IssuedSum);
        if (std::isfinite(is.quantity) && std::isfinite(is.sum)
            && std::isfinite(field::number(r, I::UnitPrice))) {
            h.issuedQuantity += is.quantity;
            h.issuedSum += is.sum;
        } else {
            h.finite = false;
        }
        h.issues.push_back(std::move(is));
        return true;
    });
    rashod.close();

    // A date that is no number goes last rather than breaking the order.
    auto key = [](double d) { return std::isnan(d) ? std::numeric_limits<double>::infinity() : d; };
    std::stable_sort(
        h.issues.begin(), h.issues.end(),
        [&](const BatchIssue &x, const BatchIssue &y) { return key(x.date) < key(y.date); });
    long double left = b.ReceivedQuantity;
    for (BatchIssue &is : h.issues) {
        left -= is.quantity;
        is.remaining = double(left);
    }
    if (h.finite) {
        h.quantityAgrees = check::remainderAgrees(b.Quantity, b.ReceivedQuantity, h.issuedQuantity);
        h.sumAgrees = check::remainderAgrees(b.TotalSum, b.ReceivedSum, h.issuedSum);
    }
    return h;
}

} // namespace vedaris::ops
