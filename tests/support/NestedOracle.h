#pragma once

#include "reports/Reports.h"

// The eight reports done the slow, literal way: every report re-reads the issue
// file for each stock record (and the stock file for each department or drug
// name), reopening the file for each pass, and writes its sheet call by call
// as the report descriptions go. The fast one-pass reports must build the same
// workbooks. Only the deliberate mends of the fast reports are copied: record
// texts are written as text, the issue-dates block is written into its first
// row, and the movement report lists each name and unit once.
namespace vedaris::oracle {

reports::Outcome run(reports::ReportKind kind, const QString &dataDir,
                     const reports::ReportParams &params);

// The first difference between two workbooks ("" when they are the same):
// sheet name, widths, page setup, merges, and every cell's value (numbers bit
// for bit) and format.
QString difference(const reports::Workbook &expected, const reports::Workbook &actual);

} // namespace vedaris::oracle
