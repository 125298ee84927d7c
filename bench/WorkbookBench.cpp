// The workbook at the largest report size: 100,000 rows of 12 columns, built the
// way the reports build it (row font, values, the whole table re-bordered after
// every row), then sorted and saved.
#include "reports/Workbook.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

using namespace vedaris::reports;

namespace {

constexpr int firstRow = 5;

Workbook buildReport(int rows)
{
    Workbook book;
    book.setSheetName("Отчёт");
    for (int c = 1; c <= 12; ++c)
        book.setColumnWidth(c, 12);
    book.setBold(Range::parse("A1:L4"));
    book.merge(Range::parse("A1:L1"));
    book.setValue(1, 1, "Отчёт");
    int row = firstRow;
    for (; row < firstRow + rows; ++row) {
        book.setFontSize(Range::rows(row, row), 10);
        book.setValue(row, 1, QString::number(row - 4));
        book.setValue(row, 2, QStringLiteral("Препарат %1").arg((row * 7919) % 5000));
        for (int c = 3; c <= 8; ++c)
            book.setValue(row, c, QStringLiteral("Фирма %1").arg(row % 97 + c));
        book.setValue(row, 9, "шт.");
        book.setValue(row, 10, double(row % 100));
        book.setValue(row, 11, row * 0.25);
        book.setValue(row, 12, row * 2.5);
        book.setBorders(Range::parse(QStringLiteral("A4:L%1").arg(row)));
    }
    book.setBold(Range::rows(row, row));
    book.setValue(row, 9, "ИТОГО:");
    book.setBorders(Range::parse(QStringLiteral("I%1:L%1").arg(row)));
    return book;
}

void sortReport(Workbook &book, int rows)
{
    book.sort(Range::corners("B5", QStringLiteral("L%1").arg(firstRow + rows)), 2);
}

void BM_BuildReport(benchmark::State &state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(buildReport(int(state.range(0))));
}

void BM_SortReport(benchmark::State &state)
{
    for (auto _ : state) {
        state.PauseTiming();
        Workbook book = buildReport(int(state.range(0)));
        state.ResumeTiming();
        sortReport(book, int(state.range(0)));
    }
}

void BM_SaveXlsx(benchmark::State &state)
{
    QTemporaryDir dir;
    Workbook book = buildReport(int(state.range(0)));
    sortReport(book, int(state.range(0)));
    for (auto _ : state)
        book.saveXlsx(dir.filePath("report.xlsx"));
}

} // namespace

BENCHMARK(BM_BuildReport)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_SortReport)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_SaveXlsx)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(3);

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
