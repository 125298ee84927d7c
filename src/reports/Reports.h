#pragma once

#include "reports/ReportData.h"
#include "reports/ReportEngine.h"

// The eight reports. Each is a layout and a function that writes the rows of its
// data pass into the sheet; runReport joins them to the one-pass readers, and
// also runs the three accounting documents of StocktakeForms.h.
namespace vedaris::reports {

enum class ReportKind {
    Expired,
    Stock,
    Consumption,
    Purchases,
    Department,
    Departments,
    Movement,
    IssueDates,
    Inventory, // the count sheet at `date` (blind: without the book columns)
    WriteOffAct, // the write-offs of the period
    Requisition, // the issues of the period to `department`
    Deletions, // the batches and issues deleted in the period, from the history
    Discrepancies, // the differences of the folder's stock-take
};

namespace messages {
inline const QString NoExpired = QStringLiteral("На указанную дату нет просроченных медикаментов!");
inline const QString NoStock = QStringLiteral("База данных пуста!");
inline const QString NoConsumption =
    QStringLiteral("За этот период нет израсходованных медикаментов!");
inline const QString NoPurchases = QStringLiteral("За этот период нет приобретённых медикаментов!");
inline const QString NoDepartmentConsumption =
    QStringLiteral("За этот период нет расхода по отделениям!");
inline const QString NoMovement = QStringLiteral("За этот период нет информации о движении!");
} // namespace messages

Layout expiredLayout(const QDate &date);
Layout stockLayout(const QDate &today);
Layout consumptionLayout(const QDate &start, const QDate &finish);
Layout purchasesLayout(const QDate &start, const QDate &finish);
Layout departmentLayout(const QDate &start, const QDate &finish, const QString &department);
Layout departmentsLayout(const QDate &start, const QDate &finish);
Layout movementLayout(const QDate &start, const QDate &finish);
Layout issueDatesLayout(const QDate &start, const QDate &finish);

Outcome expiredReport(const ReportParams &params, const QVector<StockRecord> &lines);
Outcome stockReport(const ReportParams &params, const QVector<StockRecord> &lines);
Outcome consumptionReport(const ReportParams &params, const QVector<IssuedLine> &lines);
Outcome purchasesReport(const ReportParams &params, const QVector<StockRecord> &lines);
Outcome departmentReport(const ReportParams &params, const QVector<IssuedLine> &lines);
Outcome departmentsReport(const ReportParams &params, const QVector<DepartmentBlock> &blocks);
Outcome departmentsReport(const ReportParams &params, DepartmentLines lines);
Outcome movementReport(const ReportParams &params, const QVector<MovementLine> &lines);
Outcome issueDatesReport(const ReportParams &params, const QVector<IssueBlock> &blocks);

// Makes a built report easier to read and print without changing what it says:
// the quantities and sums it added up rounded to what the data can hold (sums
// to the kopeck, quantities to a millionth), so that a balance of nothing
// reads 0 and not 7,3E-12; sums shown with two decimals; every column at least
// as wide as its heading; the table's header repeated atop every printed page.
// runReport does it to every report.
void presentForReading(Workbook &book, ReportKind kind);

// Reads the data folder (read-only) and builds the report. A data file that
// cannot be opened or read throws vedaris::Error.
Outcome runReport(ReportKind kind, const QString &dataDir, const ReportParams &params,
                  const Progress &progress = {});

} // namespace vedaris::reports
