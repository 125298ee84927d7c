#pragma once

#include "reports/ReportData.h"
#include "reports/Reports.h"

#include <QString>

namespace vedaris {

class Forms;

// The message for any failure of building or handing over a workbook.
inline const QString NoSpreadsheetMessage = QStringLiteral("Возможно, у Вас не установлен MSExcel");

// Runs a report for the desktop: the main window's progress bar while it reads,
// then the finished workbook saved under the reports folder and handed to the
// desktop's spreadsheet application, or the report's message when there is
// nothing to report. A data file that cannot be read is shown as that error.
// Catches every failure. A report asked for while one runs is ignored.
void produceReport(Forms &forms, reports::ReportKind kind, const reports::ReportParams &params);

// The stock availability report, which starts without a parameter dialog.
void runStockAvailabilityReport(Forms &forms);

bool reportRunning();

// Where finished workbooks go: a folder of the user's temporary files unless set.
QString reportsFolder();
void setReportsFolder(const QString &folder); // empty restores the default

} // namespace vedaris
