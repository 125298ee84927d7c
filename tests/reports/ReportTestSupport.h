#pragma once

#include "ReportTestData.h"
#include "reports/Reports.h"

#include <gtest/gtest.h>

namespace reporttest {

using namespace vedaris::reports;

inline Outcome run(ReportKind kind, const Data &data, const ReportParams &params)
{
    TempDataDir dir;
    data.writeTo(dir);
    return runReport(kind, dir.path(), params);
}

inline ReportParams periodParams(const QDate &start, const QDate &finish,
                                 const QString &department = {})
{
    ReportParams p;
    p.start = start;
    p.finish = finish;
    p.department = department;
    return p;
}

inline ReportParams dateParams(const QDate &date)
{
    ReportParams p;
    p.date = date;
    return p;
}

inline double num(const Workbook &book, int row, int col)
{
    const CellValue v = book.value(row, col);
    const double *n = std::get_if<double>(&v);
    EXPECT_NE(n, nullptr) << "no number at " << qPrintable(columnName(col)) << row;
    return n ? *n : -999999;
}

inline QString txt(const Workbook &book, int row, int col)
{
    const CellValue v = book.value(row, col);
    const QString *t = std::get_if<QString>(&v);
    EXPECT_NE(t, nullptr) << "no text at " << qPrintable(columnName(col)) << row;
    return t ? *t : QStringLiteral("<none>");
}

inline bool blank(const Workbook &book, int row, int col)
{
    return std::holds_alternative<std::monostate>(book.value(row, col));
}

// A date cell: the day serial, shown as a date.
inline void expectDate(const Workbook &book, int row, int col, const QDate &date)
{
    EXPECT_EQ(num(book, row, col), serial(date)) << qPrintable(columnName(col)) << row;
    EXPECT_EQ(book.format(row, col).numberFormat, QStringLiteral("dd.mm.yyyy"));
}

// Column `col` from `first` down to the first blank cell.
inline QStringList column(const Workbook &book, int col, int first)
{
    QStringList out;
    for (int r = first; !blank(book, r, col); ++r)
        out << txt(book, r, col);
    return out;
}

} // namespace reporttest
