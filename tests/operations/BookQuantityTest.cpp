// The book quantity of every batch at the end of a day: what was received less
// the live issues dated on or before that day.
#include "operations/BookQuantity.h"
#include "reports/ReportTestData.h"

#include <gtest/gtest.h>

using namespace reporttest;

namespace {

struct Expected
{
    QString name;
    double quantity, sum;
};

struct Case
{
    const char *what;
    QVector<Stock> stock;
    QVector<Issue> issues;
    QDate date;
    QVector<Expected> lines; // in the order of Base.dat
};

} // namespace

TEST(BookQuantity, IsTheReceivedQuantityLessTheLiveIssuesUpToTheDay)
{
    const Stock a{.name = "Анальгин",
                  .received = day(1),
                  .quantity = 4,
                  .price = 2.5,
                  .receivedQuantity = 10};
    const Stock b{.name = "Бинт", .received = day(1), .quantity = 20, .price = 3};
    const Case cases[] = {
        {"no issues", {a, b}, {}, day(10), {{"Анальгин", 10, 25}, {"Бинт", 20, 60}}},
        {"issues on the day count, issues after it do not",
         {a, b},
         {{0, day(10), 2}, {0, day(11), 4}, {1, day(9), 5}},
         day(10),
         {{"Анальгин", 8, 20}, {"Бинт", 15, 45}}},
        {"a write-off is an issue",
         {a},
         {{0, day(5), 3, "Списание: Недостача"}},
         day(10),
         {{"Анальгин", 7, 17.5}}},
        {"a deleted issue does not count",
         {a},
         {{0, day(5), 3, "Хирургия", true}, {0, day(5), 1}},
         day(10),
         {{"Анальгин", 9, 22.5}}},
        {"a batch received after the day is not there yet",
         {a, Stock{.name = "Вата", .received = day(11)}},
         {},
         day(10),
         {{"Анальгин", 10, 25}}},
        {"a batch received on the day is",
         {Stock{.name = "Вата", .received = day(10)}},
         {},
         day(10),
         {{"Вата", 10, 50}}},
        {"a deleted batch is not listed",
         {Stock{.name = "Вата", .deleted = true}, b},
         {},
         day(10),
         {{"Бинт", 20, 60}}},
        {"issued in full is listed at zero", {b}, {{0, day(2), 20}}, day(10), {{"Бинт", 0, 0}}},
        {"the issue's own price does not matter",
         {b},
         {{0, day(2), 1, "Хирургия", false, 100}},
         day(10),
         {{"Бинт", 19, 57}}},
        {"issues find their batch by its id",
         {Stock{.name = "Вата", .id = 7}, Stock{.name = "Бинт", .id = -5}},
         {},
         day(10),
         {{"Вата", 10, 50}, {"Бинт", 10, 50}}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        Data data;
        for (const Stock &s : c.stock)
            data.add(s);
        for (const Issue &i : c.issues)
            data.add(i);
        TempDataDir dir;
        data.writeTo(dir);
        const auto lines = vedaris::ops::bookQuantities(dir.path(), c.date);
        ASSERT_EQ(lines.size(), size_t(c.lines.size()));
        for (qsizetype i = 0; i < c.lines.size(); ++i) {
            EXPECT_EQ(lines[size_t(i)].batch.DrugName, c.lines[i].name);
            EXPECT_DOUBLE_EQ(lines[size_t(i)].quantity, c.lines[i].quantity)
                << c.lines[i].name.toStdString();
            EXPECT_DOUBLE_EQ(lines[size_t(i)].sum, c.lines[i].sum) << c.lines[i].name.toStdString();
        }
    }
}

TEST(BookQuantity, IssuesOfABatchWithAnIdOutsideTheFileStillCount)
{
    Data data;
    data.add(Stock{.name = "Вата", .id = 1000});
    data.add(Stock{.name = "Бинт", .id = -5});
    IssueRecord r = vedaris::issueFromBatch(data.stock[0]);
    r.IssuedQuantity = 3;
    r.IssueDate = serial(day(2));
    r.StockRecordId = 1000;
    data.issues.append(r);
    r.StockRecordId = -5;
    r.IssuedQuantity = 4;
    data.issues.append(r);
    TempDataDir dir;
    data.writeTo(dir);
    const auto lines = vedaris::ops::bookQuantities(dir.path(), day(10));
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_DOUBLE_EQ(lines[0].quantity, 7);
    EXPECT_DOUBLE_EQ(lines[1].quantity, 6);
}
