#include "BookQuantity.h"

#include "store/DataFiles.h"
#include "store/RecordScan.h"
#include "store/TextFormats.h"

#include <algorithm>
#include <unordered_map>

namespace vedaris::ops {

std::vector<BookLine> bookQuantities(const QString &dataDir, const QDate &date, BookLines which)
{
    using S = layout::Stock;
    using I = layout::Issue;
    const double day = text::dateToSerial(date);

    RecordScan base(dataDir, files::Base, StockRecord::Size);
    RecordScan rashod(dataDir, files::Rashod, IssueRecord::Size);

    // Ids that can name a record of Base.dat are counted directly; any other
    // (only in damaged files) still adds up under its own id.
    const qint64 batches = base.count();
    std::vector<long double> dense(size_t(batches), 0.0L);
    std::unordered_map<qint32, long double> sparse;
    rashod.forEach([&](const char *r) {
        if (field::isDeleted(r, I::Deleted) || !(field::number(r, I::IssueDate) <= day))
            return;
        const qint32 id = field::int32(r, I::StockRecordId);
        const double q = field::number(r, I::IssuedQuantity);
        if (id >= 0 && id < batches)
            dense[size_t(id)] += q;
        else
            sparse[id] += q;
    });

    std::vector<BookLine> out;
    base.forEach([&](const char *r) {
        if (field::isDeleted(r, S::Deleted) || !(field::number(r, S::ReceiptDate) <= day))
            return;
        const qint32 id = field::int32(r, S::RecordId);
        long double issued = 0;
        if (id >= 0 && id < batches) {
            issued = dense[size_t(id)];
        } else if (const auto it = sparse.find(id); it != sparse.end()) {
            issued = it->second;
        }
        BookLine line;
        line.quantity = double(field::number(r, S::ReceivedQuantity) - issued);
        if (which == BookLines::InStock) {
            line.quantity = text::roundQuantity(line.quantity);
            if (line.quantity == 0)
                return;
        }
        decode(r, line.batch);
        line.sum = line.quantity * line.batch.UnitPrice;
        out.push_back(std::move(line));
    });
    return out;
}

std::vector<size_t> countSheetOrder(const std::vector<std::pair<QString, QString>> &nameAndSeries)
{
    std::vector<std::pair<QString, QString>> keys;
    keys.reserve(nameAndSeries.size());
    for (const auto &[name, series] : nameAndSeries)
        keys.emplace_back(text::russianSortKey(name), text::russianSortKey(series));
    std::vector<size_t> order(keys.size());
    for (size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
        const int byName = keys[a].first.compare(keys[b].first);
        if (byName != 0)
            return byName < 0;
        return keys[a].second.compare(keys[b].second) < 0;
    });
    return order;
}

} // namespace vedaris::ops
