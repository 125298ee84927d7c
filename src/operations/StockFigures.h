#pragma once

#include <QDate>
#include <QString>
#include <vector>

namespace vedaris {

struct StockRecord;

namespace ops {

// Where a batch's expiry date stands on a day. A date of 0 is how older files
// stored none: such a batch is neither expired nor expiring.
enum class Expiry { NoDate, Expired, Soon, Later };
// Soon: from today to this many days ahead, both included.
inline constexpr int SoonDays = 90;
Expiry expiryOn(double expirySerial, const QDate &today);

// The status bar's figures.
struct StockTotals
{
    double stockSum = 0; // TotalSum of every live batch
    // Live batches in stock (Quantity > 0) by their expiry, with their TotalSum.
    int expired = 0;
    double expiredSum = 0;
    int soon = 0;
    double soonSum = 0;

    bool operator==(const StockTotals &) const = default;
};

// What each batch adds to the figures, by record number: the list's fill sets
// every record as it reads it, and the main window each batch an operation
// wrote, so the figures never need Base.dat read again. The totals are summed
// in record order, so they come out as a fresh fill of the same file gives them.
class StockFigures
{
public:
    void clear() { m_batches.clear(); }
    void reserve(qint64 records);
    // `batch` as record `index` now holds it; a deleted one counts no more.
    void set(qint64 index, const StockRecord &batch);
    void remove(qint64 index);
    StockTotals totals(const QDate &today) const;

private:
    struct Batch
    {
        double totalSum = 0;
        double expiry = 0;
        bool inStock = false;
        bool live = false;
    };
    std::vector<Batch> m_batches;
};

// "На складе: X руб. · просрочено: N партий на Y руб. · истекает за 90 дней:
// M на Z руб.", the sums to the kopeck, grouped by thousands.
QString statusText(const StockTotals &totals);

} // namespace ops
} // namespace vedaris
