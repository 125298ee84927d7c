#pragma once

#include "Records.h"

namespace vedaris {

// Quantities and sums of the stock account: each product or difference is formed
// in extended precision and rounded once to double, as the old program did, so
// stored values stay bit-identical with files it wrote.
inline double product(double a, double b)
{
    return double(static_cast<long double>(a) * static_cast<long double>(b));
}

inline double difference(double a, double b)
{
    return double(static_cast<long double>(a) - static_cast<long double>(b));
}

// An issue record starts as a copy of its batch's descriptive fields.
inline IssueRecord issueFromBatch(const StockRecord &batch)
{
    IssueRecord r;
    r.DrugName = batch.DrugName;
    r.ReceiptDate = batch.ReceiptDate;
    r.Unit = batch.Unit;
    r.Supplier = batch.Supplier;
    r.ReceiptDocument = batch.ReceiptDocument;
    r.Manufacturer = batch.Manufacturer;
    r.Series = batch.Series;
    return r;
}

} // namespace vedaris
