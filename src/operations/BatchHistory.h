#pragma once

#include "store/Records.h"

#include <QString>
#include <vector>

// The batch card of the view window: a batch with its live issues and whether
// what it received less what they took is what it still holds.
namespace vedaris::ops {

struct BatchIssue
{
    double date = 0; // day serial
    QString department;
    double quantity = 0;
    double sum = 0;
    double remaining = 0; // ReceivedQuantity less this issue and every one listed before it
};

struct BatchHistory
{
    StockRecord batch;
    std::vector<BatchIssue> issues; // by date; the same date keeps the file's order
    // Over the issues in file order, as the integrity check adds them up.
    long double issuedQuantity = 0;
    long double issuedSum = 0;
    // Every number of the batch and of its issues is finite; otherwise there is
    // nothing to weigh (the check reports such numbers by themselves).
    bool finite = true;
    bool quantityAgrees = true; // Quantity = ReceivedQuantity − issuedQuantity
    bool sumAgrees = true; // TotalSum = ReceivedSum − issuedSum
};

// Batch `recordId` as Base.dat holds it and its live issues, from one block scan
// of Rashod.dat.
BatchHistory readBatchHistory(const QString &dataDir, qint32 recordId);

} // namespace vedaris::ops
