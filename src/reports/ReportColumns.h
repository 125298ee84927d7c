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

// A stock line with what one department took of it; the two department
// reports differ only in the width of the quantity column.
Columns<IssuedLine> departmentColumns(double quantityWidth);

// The same taken by a line that refers to its stock line instead of holding a copy.
struct StockShare
{
    const StockRecord *stock = nullptr;
    double quantity = 0;
    double sum = 0;
};
Columns<StockShare> departmentShareColumns(double quantityWidth);

QString periodText(const QDate &start, const QDate &finish); // "с 01.02.2024 по 29.02.2024 года"

} // namespace vedaris::reports
