#pragma once

#include "reports/ReportData.h"
#include "reports/ReportEngine.h"

// What the reports share of their columns: the header texts, and the columns of
// the two department reports.
namespace vedaris::reports {

namespace header {
inline const QString Number = QStringLiteral("№");
inline const QString Name = QStringLiteral("Наименование");
inline const QString Supplier = QStringLiteral("Фирма-поставщик");
inline const QString Document = QStringLiteral("Назв. документа");
inline const QString Manufacturer = QStringLiteral("Фирма-изготовитель");
inline const QString Series = QStringLiteral("Серия препарата");
inline const QString Received = QStringLiteral("Дата получ.");
inline const QString Expiry = QStringLiteral("Срок годн.");
inline const QString Issued = QStringLiteral("Дата расх.");
inline const QString Unit = QStringLiteral("Ед.измерения");
inline const QString Quantity = QStringLiteral("Колич.");
inline const QString Price = QStringLiteral("Цена за ед.");
inline const QString Sum = QStringLiteral("Общая сумма");
} // namespace header

// The same taken by a line that refers to its stock line instead of holding a copy.
struct StockShare
{
    const StockRecord *stock = nullptr;
    double quantity = 0;
    double sum = 0;
};

// The stock line a report's line is or refers to.
inline const StockRecord &stockOf(const StockRecord &r)
{
    return r;
}

inline const StockRecord &stockOf(const IssuedLine &l)
{
    return l.stock;
}

inline const StockRecord &stockOf(const StockShare &l)
{
    return *l.stock;
}

// Column A: the running number.
template<class Line> Column<Line> numbered()
{
    return {header::Number, 3, {}};
}

// Columns of the stock line's own fields, for lines that are one or carry one.
template<class Line>
Column<Line> stockText(const QString &title, double width, QString StockRecord::*field,
                       Total total = Total::None)
{
    return {title, width, [field](const Line &l) { return textCell(stockOf(l).*field); }, total};
}

template<class Line>
Column<Line> stockDate(const QString &title, double width, double StockRecord::*field)
{
    return {title, width, [field](const Line &l) { return dateCell(stockOf(l).*field); }};
}

template<class Line>
Column<Line> stockNumber(const QString &title, double width, double StockRecord::*field,
                         Total total = Total::None)
{
    return {title, width, [field](const Line &l) { return numberCell(stockOf(l).*field); }, total};
}

// What was issued of a stock line.
template<class Line>
Column<Line> issued(const QString &title, double width, double Line::*field, Total total)
{
    return {title, width, [field](const Line &l) { return numberCell(l.*field); }, total};
}

// A stock line with what one department took of it; the two department
// reports differ only in the width of the quantity column.
Columns<IssuedLine> departmentColumns(double quantityWidth);

Columns<StockShare> departmentShareColumns(double quantityWidth);

QString periodText(const QDate &start, const QDate &finish); // "с 01.02.2024 по 29.02.2024 года"

} // namespace vedaris::reports
