#pragma once

#include "reports/Workbook.h"

#include <QDate>
#include <QString>
#include <QVector>

// The consolidated workbook of several stores: per store and overall, the stock
// value, what of it has expired by the date and what expires within the 90
// days after it, and the consumption of the date's month. The figures come
// from the stores' mirror in PostgreSQL; this builds only the sheet.
namespace vedaris::reports {

struct ConsolidatedLine
{
    QString store;
    double stockValue = 0;
    double expiredValue = 0;
    double expiringValue = 0;
    double monthConsumption = 0;
};

inline const QString NoStores = QStringLiteral("В базе нет ни одного склада!");

Workbook consolidatedWorkbook(const QDate &date, const QVector<ConsolidatedLine> &lines);

} // namespace vedaris::reports
