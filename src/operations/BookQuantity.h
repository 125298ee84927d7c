#pragma once

#include "store/Records.h"

#include <QDate>
#include <QString>
#include <vector>

// What the books say a batch held at the end of a day, whatever was issued
// later: the count of a stock-take is compared with this, not with the live
// quantity, which moves while the count goes on.
namespace vedaris::ops {

struct BookLine
{
    StockRecord batch;
    double quantity = 0; // ReceivedQuantity less the live issues dated on or before the day
    double sum = 0; // quantity at the batch's UnitPrice
};

enum class BookLines {
    All,
    InStock, // only those whose quantity, to a millionth, is not 0; it is so rounded
};

// Every live batch received on or before `date`, in the order of Base.dat,
// from one pass over Rashod.dat and one over Base.dat. Issues are added up in
// file order, as the integrity check adds them. InStock leaves the emptied
// batches (most of a store's history) undecoded.
std::vector<BookLine> bookQuantities(const QString &dataDir, const QDate &date,
                                     BookLines which = BookLines::All);

// The count sheet's order of `count` batches, `batchAt(i)` the i-th: drug
// names in the list's Russian order, then series; equal ones as they came.
template<class BatchAt> std::vector<size_t> countSheetOrder(size_t count, BatchAt batchAt);
std::vector<size_t> countSheetOrder(const std::vector<std::pair<QString, QString>> &nameAndSeries);

template<class BatchAt> std::vector<size_t> countSheetOrder(size_t count, BatchAt batchAt)
{
    std::vector<std::pair<QString, QString>> keys;
    keys.reserve(count);
    for (size_t i = 0; i < count; ++i) {
        const StockRecord &b = batchAt(i);
        keys.emplace_back(b.DrugName, b.Series);
    }
    return countSheetOrder(keys);
}

} // namespace vedaris::ops
