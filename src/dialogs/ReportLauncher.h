#pragma once

#include "reports/ReportData.h"
#include "reports/ReportFiles.h"
#include "reports/Reports.h"

#include <QString>
#include <functional>

class QWidget;

namespace vedaris {

// The message for any failure of building or handing over a workbook.
inline const QString NoSpreadsheetMessage = QStringLiteral("Возможно, у Вас не установлен MSExcel");

// Where a running report shows how far it has read: `percent` from 0 when it
// starts, `finished` once when it ends, whatever the outcome. Either may be empty.
struct ReportProgress
{
    std::function<void(int percent)> percent;
    std::function<void()> finished;
};

// Runs a report for the desktop: its progress shown while it reads, then the
// finished workbook saved under the reports folder and handed to the desktop's
// spreadsheet application (when none opens it, the message names the saved
// file and offers to open its folder), or the report's message when there is
// nothing to report. A data file that cannot be read is shown as that error. Messages go
// over `parent`. Catches every failure. A report asked for while one runs is
// ignored.
void produceReport(QWidget *parent, const QString &dataDir, reports::ReportKind kind,
                   const reports::ReportParams &params, const ReportProgress &progress);

// The stock availability report, which starts without a parameter dialog.
void runStockAvailabilityReport(QWidget *parent, const QString &dataDir,
                                const ReportProgress &progress);

bool reportRunning();

} // namespace vedaris
