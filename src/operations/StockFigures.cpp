#include "StockFigures.h"

#include "store/Records.h"
#include "store/TextFormats.h"

#include <QLocale>
#include <cmath>

namespace vedaris::ops {

namespace {

Expiry expiryOnDay(double expirySerial, double today)
{
    if (expirySerial == 0 || std::isnan(expirySerial))
        return Expiry::NoDate;
    const double day = std::floor(expirySerial); // a time of day is still that day
    if (day < today)
        return Expiry::Expired;
    return day <= today + SoonDays ? Expiry::Soon : Expiry::Later;
}

// Rubles grouped by thousands with two decimals: "1 234 567,80".
QString money(double sum)
{
    if (!std::isfinite(sum))
        return text::formatNumber(sum);
    return QLocale(QLocale::Russian, QLocale::Russia).toString(text::roundSum(sum), 'f', 2);
}

QString batches(int n)
{
    const int tens = n % 100, units = n % 10;
    const char *word = tens >= 11 && tens <= 14 ? "партий"
        : units == 1                            ? "партия"
        : units >= 2 && units <= 4              ? "партии"
                                                : "партий";
    return QString::number(n) + QLatin1Char(' ') + QString::fromUtf8(word);
}

} // namespace

Expiry expiryOn(double expirySerial, const QDate &today)
{
    return expiryOnDay(expirySerial, text::dateToSerial(today));
}

void StockFigures::reserve(qint64 records)
{
    if (records > 0)
        m_batches.reserve(size_t(records));
}

void StockFigures::set(qint64 index, const StockRecord &batch)
{
    if (index < 0)
        return;
    if (size_t(index) >= m_batches.size())
        m_batches.resize(size_t(index) + 1);
    m_batches[size_t(index)] = {batch.TotalSum, batch.ExpiryDate, batch.Quantity > 0,
                                batch.Deleted != 1};
}

void StockFigures::remove(qint64 index)
{
    if (index >= 0 && size_t(index) < m_batches.size())
        m_batches[size_t(index)].live = false;
}

StockTotals StockFigures::totals(const QDate &today) const
{
    const double day = text::dateToSerial(today);
    StockTotals t;
    for (const Batch &b : m_batches) {
        if (!b.live)
            continue;
        t.stockSum += b.totalSum;
        if (!b.inStock)
            continue;
        switch (expiryOnDay(b.expiry, day)) {
        case Expiry::Expired:
            ++t.expired;
            t.expiredSum += b.totalSum;
            break;
        case Expiry::Soon:
            ++t.soon;
            t.soonSum += b.totalSum;
            break;
        case Expiry::NoDate:
        case Expiry::Later:
            break;
        }
    }
    return t;
}

QString statusText(const StockTotals &t)
{
    return QStringLiteral("На складе: %1 руб. · просрочено: %2 на %3 руб. · истекает за %4 дней: "
                          "%5 на %6 руб.")
        .arg(money(t.stockSum), batches(t.expired), money(t.expiredSum), QString::number(SoonDays),
             QString::number(t.soon), money(t.soonSum));
}

} // namespace vedaris::ops
