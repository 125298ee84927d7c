#pragma once

#include "reports/Workbook.h"

// The workbook saved by libxlsxwriter, the way the program saved it before it
// had its own writer: what the tests hold the program's files to.
namespace vedaris::reports::oracle {

void saveWithLibrary(const Workbook &book, const QString &path);

} // namespace vedaris::reports::oracle
