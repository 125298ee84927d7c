#pragma once

#include "operations/Stocktake.h"
#include "reports/ReportEngine.h"

#include <QDate>
#include <QString>

// The store's accounting documents in the spirit of the state institutions'
// forms: the count sheet of a stock-take (ф. 0504087), the write-off act
// (ф. 0504230) and the requisition-invoice (ф. 0504204). Each has a heading
// with "УТВЕРЖДАЮ", the institution, the responsible person and the commission
// as lines to fill on paper, its table, the totals in figures and words, and
// signature lines.
namespace vedaris::reports {

namespace messages {
inline const QString NoBookStock =
    QStringLiteral("На эту дату по данным учёта на складе нет медикаментов!");
inline const QString NoWriteOffs = QStringLiteral("За этот период нет списанных медикаментов!");
inline const QString NoRequisition = QStringLiteral("За этот период нет расхода в это отделение!");
inline const QString NoDiscrepancies =
    QStringLiteral("Расхождений фактического наличия с данными учёта нет!");
inline const QString NoCount = QStringLiteral("Инвентаризация не начата!");
} // namespace messages

// "Одна тысяча двести тридцать четыре рубля 56 копеек": the sum rounded to
// kopecks, rubles in words, kopecks in two figures.
QString sumInWords(double sum);

// The department prefix of a write-off; the rest of the name is its reason.
inline const QString WriteOffPrefix = QStringLiteral("Списание: ");

// "Инвентаризационная опись": every batch with a book quantity other than 0 at
// the end of `date`, by drug name in the list's order, then series. The blind
// sheet, for the counting commission, leaves the book columns empty.
Outcome inventoryForm(const QString &dataDir, const QDate &date, bool blind);
// "Акт о списании": the write-offs of the period, grouped by reason.
Outcome writeOffActForm(const QString &dataDir, const QDate &start, const QDate &finish);
// "Требование-накладная": the issues of the period to `department` (compared exactly).
Outcome requisitionForm(const QString &dataDir, const QString &department, const QDate &start,
                        const QDate &finish);

// "Ведомость расхождений" (ф. 0504092): the lines of a count whose counted
// quantity differs from the book's, with the shortage or surplus in quantity
// and sum, and their totals. Lines not counted yet are no difference.
Outcome discrepancyForm(const QDate &date, bool posted, const std::vector<ops::CountRow> &rows);
// The same for the stock-take kept in the data folder, a draft or the last posted.
Outcome discrepancyForm(const QString &dataDir);

} // namespace vedaris::reports
