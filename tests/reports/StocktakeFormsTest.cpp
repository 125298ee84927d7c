// The count sheet, the write-off act, the requisition-invoice and the
// discrepancy list, read back from the saved file's own XML.
#include "reports/StocktakeForms.h"
#include "ReportTestData.h"
#include "SheetXml.h"
#include "reports/Reports.h"
#include "store/CountFile.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace reporttest;
using namespace sheetxml;
using namespace vedaris::reports;

namespace {

QString at(int row, int col)
{
    return columnName(col) + QString::number(row);
}

Sheet saved(const Outcome &out)
{
    EXPECT_FALSE(out.empty()) << out.emptyMessage.toStdString();
    if (out.empty())
        return {};
    QTemporaryDir dir;
    const QString file = dir.filePath("form.xlsx");
    out.workbook->saveXlsx(file);
    return readSheet(file);
}

QString textAt(const Sheet &s, int row, int col)
{
    const FileCell c = s.cells.value(at(row, col));
    return c.number ? QStringLiteral("#") + c.text : c.text;
}

// "#25" for a number, the text for a text, "" for no value.
QStringList rowOf(const Sheet &s, int row, int columns)
{
    QStringList out;
    for (int c = 1; c <= columns; ++c)
        out << textAt(s, row, c);
    return out;
}

int rowWith(const Sheet &s, int col, const QString &text)
{
    for (int row = 1; row < 1000; ++row)
        if (s.cells.value(at(row, col)).text == text)
            return row;
    return 0;
}

bool anyCellStartsWith(const Sheet &s, const QString &text)
{
    for (const FileCell &c : s.cells)
        if (!c.number && c.text.startsWith(text))
            return true;
    return false;
}

QString num(const QDate &d)
{
    return QStringLiteral("#") + QString::number(serial(d));
}

} // namespace

TEST(SumInWords, RublesInWordsAndKopecksInFigures)
{
    const std::pair<double, const char *> cases[] = {
        {0, "Ноль рублей 00 копеек"},
        {0.01, "Ноль рублей 01 копейка"},
        {1, "Один рубль 00 копеек"},
        {2.02, "Два рубля 02 копейки"},
        {5.5, "Пять рублей 50 копеек"},
        {11.11, "Одиннадцать рублей 11 копеек"},
        {14, "Четырнадцать рублей 00 копеек"},
        {21.21, "Двадцать один рубль 21 копейка"},
        {112, "Сто двенадцать рублей 00 копеек"},
        {999.99, "Девятьсот девяносто девять рублей 99 копеек"},
        {1000, "Одна тысяча рублей 00 копеек"},
        {2345.67, "Две тысячи триста сорок пять рублей 67 копеек"},
        {5000, "Пять тысяч рублей 00 копеек"},
        {11000, "Одиннадцать тысяч рублей 00 копеек"},
        {21001, "Двадцать одна тысяча один рубль 00 копеек"},
        {1000000, "Один миллион рублей 00 копеек"},
        {2003004.05, "Два миллиона три тысячи четыре рубля 05 копеек"},
        {1234567890.12,
         "Один миллиард двести тридцать четыре миллиона пятьсот шестьдесят семь тысяч "
         "восемьсот девяносто рублей 12 копеек"},
        {0.999, "Один рубль 00 копеек"},
        {-3.5, "Минус три рубля 50 копеек"},
    };
    for (const auto &[sum, words] : cases)
        EXPECT_EQ(sumInWords(sum), QString::fromUtf8(words)) << sum;
}

TEST(StocktakeForms, CountSheetListsTheBookQuantityAtTheDayInTheListsOrder)
{
    Data data;
    const qint32 b2 = data.add(Stock{.name = "Бинт", .quantity = 20, .price = 3, .series = "S2"});
    const qint32 a = data.add(Stock{
        .name = "анальгин", .unit = "уп", .quantity = 10, .price = 2.5, .expiry = day(1, 6, 2026)});
    data.add(Stock{.name = "Бинт", .quantity = 5, .price = 4, .series = "S1"});
    const qint32 gone = data.add(Stock{.name = "Аспирин", .quantity = 3});
    data.add(Stock{.name = "Вата", .received = day(20)}); // after the day
    data.add(Stock{.name = "Йод", .deleted = true});
    data.add(Issue{a, day(5), 4});
    data.add(Issue{a, day(15), 6}); // after the day
    data.add(Issue{b2, day(6), 1, "Списание: Недостача"});
    data.add(Issue{b2, day(6), 5, "Хирургия", true});
    data.add(Issue{gone, day(3), 3});
    TempDataDir dir;
    data.writeTo(dir);

    const QStringList headers = {"№ п/п",
                                 "Наименование",
                                 "Ед. изм.",
                                 "Серия",
                                 "Срок годности",
                                 "Цена",
                                 "Фактическое наличие: количество",
                                 "Фактическое наличие: сумма",
                                 "По данным учёта: количество",
                                 "По данным учёта: сумма"};
    for (const bool blind : {false, true}) {
        SCOPED_TRACE(blind ? "blind" : "with the book");
        const Sheet s = saved(inventoryForm(dir.path(), day(10), blind));
        const int h = rowWith(s, 1, "№ п/п");
        ASSERT_GT(h, 0);
        EXPECT_EQ(rowOf(s, h, 10), headers);
        const QString expiry = num(day(1, 1, 2030));
        auto book = [&](const char *q, const char *sum) {
            return blind ? QStringList{"", ""} : QStringList{q, sum};
        };
        EXPECT_EQ(rowOf(s, h + 1, 10),
                  QStringList({"#1", "анальгин", "уп", "S1", num(day(1, 6, 2026)), "#2.5", "", ""})
                      + book("#6", "#15"));
        EXPECT_EQ(rowOf(s, h + 2, 10),
                  QStringList({"#2", "Бинт", "шт", "S1", expiry, "#4", "", ""})
                      + book("#5", "#20"));
        EXPECT_EQ(rowOf(s, h + 3, 10),
                  QStringList({"#3", "Бинт", "шт", "S2", expiry, "#3", "", ""})
                      + book("#19", "#57"));
        EXPECT_EQ(rowOf(s, h + 4, 10),
                  QStringList({"", "ИТОГО:", "", "", "", "", "", ""}) + book("#30", "#92"));
        EXPECT_EQ(textAt(s, h + 5, 1), "");
        EXPECT_EQ(rowWith(s, 1, "Итого по описи: количество порядковых номеров 3"), h + 6);
        EXPECT_EQ(
            anyCellStartsWith(s, "на сумму по данным учёта: 92 (Девяносто два рубля 00 копеек)"),
            !blind);
        EXPECT_TRUE(anyCellStartsWith(s, "УТВЕРЖДАЮ"));
        EXPECT_TRUE(anyCellStartsWith(s, "Форма по ОКУД 0504087"));
        EXPECT_TRUE(anyCellStartsWith(s, "ИНВЕНТАРИЗАЦИОННАЯ ОПИСЬ"));
        EXPECT_TRUE(anyCellStartsWith(s, "медикаментов на 10.02.2024"));
        EXPECT_TRUE(anyCellStartsWith(s, "Комиссия: председатель ____"));
        EXPECT_TRUE(anyCellStartsWith(s, "Председатель комиссии  ____"));
    }

    const Outcome none = inventoryForm(dir.path(), day(1, 1, 2020), false);
    EXPECT_TRUE(none.empty());
    EXPECT_EQ(none.emptyMessage, messages::NoBookStock);

    // Printed, the table fits one page across and its heading tops every page.
    QTemporaryDir out;
    const QString file = out.filePath("form.xlsx");
    inventoryForm(dir.path(), day(10), false).workbook->saveXlsx(file);
    const int h = rowWith(readSheet(file), 1, "№ п/п");
    const QByteArray sheet = member(file, "xl/worksheets/sheet1.xml");
    EXPECT_TRUE(sheet.contains("<sheetPr><pageSetUpPr fitToPage=\"1\"/></sheetPr>"));
    EXPECT_TRUE(sheet.contains("<pageSetup fitToHeight=\"0\" orientation=\"landscape\"/>"));
    EXPECT_TRUE(member(file, "xl/workbook.xml")
                    .contains(QStringLiteral("!$%1:$%1</definedName>").arg(h).toUtf8()));
}

TEST(StocktakeForms, WriteOffActGroupsThePeriodsWriteOffsByReason)
{
    Data data;
    const qint32 a =
        data.add(Stock{.name = "Анальгин", .quantity = 10, .price = 2.5, .series = "A1"});
    const qint32 b =
        data.add(Stock{.name = "Бинт", .quantity = 20, .price = 3, .expiry = day(1, 3, 2025)});
    const qint32 gone = data.add(Stock{.name = "Йод", .deleted = true});
    data.add(Issue{b, day(12), 2, "Списание: Недостача"});
    data.add(Issue{a, day(11), 1, "Списание: Истёк срок годности"});
    data.add(Issue{a, day(10), 3, "Списание: Недостача"});
    data.add(Issue{a, day(11), 4, "Хирургия"}); // not a write-off
    data.add(Issue{a, day(9), 1, "Списание: Недостача"}); // before the period
    data.add(Issue{a, day(12), 1, "Списание: Недостача", true}); // deleted
    data.add(Issue{gone, day(12), 1, "Списание: Недостача"}); // of a deleted batch
    TempDataDir dir;
    data.writeTo(dir);

    const Sheet s = saved(writeOffActForm(dir.path(), day(10), day(12)));
    const int h = rowWith(s, 1, "№ п/п");
    ASSERT_GT(h, 0);
    EXPECT_EQ(rowOf(s, h, 8),
              QStringList({"№ п/п", "Наименование", "Ед. изм.", "Серия", "Срок годности",
                           "Количество", "Цена", "Сумма"}));
    const QString expiry = num(day(1, 1, 2030));
    const QStringList rows[] = {
        {"Причина списания: Истёк срок годности", "", "", "", "", "", "", ""},
        {"#1", "Анальгин", "шт", "A1", expiry, "#1", "#2.5", "#2.5"},
        {"", "Итого по причине:", "", "", "", "#1", "", "#2.5"},
        {"Причина списания: Недостача", "", "", "", "", "", "", ""},
        {"#2", "Анальгин", "шт", "A1", expiry, "#3", "#2.5", "#7.5"},
        {"#3", "Бинт", "шт", "S1", num(day(1, 3, 2025)), "#2", "#3", "#6"},
        {"", "Итого по причине:", "", "", "", "#5", "", "#13.5"},
        {"", "ИТОГО:", "", "", "", "#6", "", "#16"},
        {"", "", "", "", "", "", "", ""},
        {"Всего списано на сумму: 16 (Шестнадцать рублей 00 копеек)", "", "", "", "", "", "", ""},
    };
    for (int i = 0; i < int(std::size(rows)); ++i)
        EXPECT_EQ(rowOf(s, h + 1 + i, 8), rows[i]) << "row " << h + 1 + i;
    EXPECT_TRUE(s.merges.contains(at(h + 1, 1) + ":" + at(h + 1, 8)));
    EXPECT_TRUE(anyCellStartsWith(s, "УТВЕРЖДАЮ"));
    EXPECT_TRUE(anyCellStartsWith(s, "Форма по ОКУД 0504230"));
    EXPECT_TRUE(anyCellStartsWith(s, "за период с 10.02.2024 по 12.02.2024"));

    const Outcome none = writeOffActForm(dir.path(), day(1), day(8));
    EXPECT_TRUE(none.empty());
    EXPECT_EQ(none.emptyMessage, messages::NoWriteOffs);
}

TEST(StocktakeForms, RequisitionListsTheIssuesToOneDepartment)
{
    Data data;
    const qint32 a = data.add(Stock{.name = "Анальгин", .quantity = 10, .price = 2.5});
    const qint32 b = data.add(Stock{.name = "Бинт", .quantity = 20, .price = 3, .series = "B7"});
    data.add(Issue{b, day(11), 2});
    data.add(Issue{a, day(10), 3});
    data.add(Issue{a, day(10), 1, "Терапия"});
    data.add(Issue{a, day(10), 1, "хирургия"}); // another name
    data.add(Issue{a, day(13), 1}); // after the period
    data.add(Issue{a, day(11), 1, "Хирургия", true});
    TempDataDir dir;
    data.writeTo(dir);

    const Sheet s = saved(requisitionForm(dir.path(), "Хирургия", day(10), day(12)));
    const int h = rowWith(s, 1, "№ п/п");
    ASSERT_GT(h, 0);
    const QStringList rows[] = {
        {"№ п/п", "Наименование", "Ед. изм.", "Серия", "Количество", "Цена", "Сумма"},
        {"#1", "Анальгин", "шт", "S1", "#3", "#2.5", "#7.5"},
        {"#2", "Бинт", "шт", "B7", "#2", "#3", "#6"},
        {"", "ИТОГО:", "", "", "#5", "", "#13.5"},
        {"", "", "", "", "", "", ""},
        {"Всего отпущено на сумму: 13,5 (Тринадцать рублей 50 копеек)", "", "", "", "", "", ""},
    };
    for (int i = 0; i < int(std::size(rows)); ++i)
        EXPECT_EQ(rowOf(s, h + i, 7), rows[i]) << "row " << h + i;
    EXPECT_TRUE(anyCellStartsWith(s, "Получатель: Хирургия"));
    EXPECT_TRUE(anyCellStartsWith(s, "Форма по ОКУД 0504204"));
    EXPECT_TRUE(anyCellStartsWith(s, "ТРЕБОВАНИЕ-НАКЛАДНАЯ"));
    EXPECT_TRUE(anyCellStartsWith(s, "УТВЕРЖДАЮ"));

    const Outcome none = requisitionForm(dir.path(), "Терапия", day(11), day(12));
    EXPECT_TRUE(none.empty());
    EXPECT_EQ(none.emptyMessage, messages::NoRequisition);
}

namespace {

// Анальгин 8 at the day (3 more issued after it), Бинт 15, Вата 7; the
// commission finds 6, 18 and 7.
struct CountedFolder
{
    TempDataDir dir;
    CountedFolder()
    {
        Data data;
        const qint32 a = data.add(
            Stock{.name = "Анальгин", .quantity = 5, .price = 2.5, .receivedQuantity = 10});
        const qint32 b = data.add(Stock{
            .name = "Бинт", .quantity = 15, .price = 3, .receivedQuantity = 20, .series = "B2"});
        data.add(Stock{.name = "Вата", .quantity = 7, .price = 1});
        data.add(Issue{a, day(5), 2});
        data.add(Issue{a, day(15), 3});
        data.add(Issue{b, day(3), 5});
        data.writeTo(dir);
        std::vector<vedaris::ops::CountRow> rows =
            vedaris::ops::countRows(dir.path(), vedaris::count::Count{day(10), false, {}});
        const char *counts[] = {"6", "18", "7"};
        for (size_t i = 0; i < rows.size(); ++i)
            rows[i].counted = QString::fromUtf8(counts[i]);
        vedaris::count::save(dir.path(), vedaris::ops::draftOf(day(10), rows));
    }
};

} // namespace

TEST(StocktakeForms, DiscrepancyListShowsShortageAndSurplusOfTheDraftAndOfThePostedCount)
{
    CountedFolder f;
    for (const bool posted : {false, true}) {
        SCOPED_TRACE(posted ? "posted" : "draft");
        if (posted)
            vedaris::ops::postCount(f.dir.path());
        const Sheet s = saved(runReport(ReportKind::Discrepancies, f.dir.path(), {}));
        const int h = rowWith(s, 1, "№ п/п");
        ASSERT_GT(h, 0);
        const QStringList rows[] = {
            {"№ п/п", "Наименование", "Ед. изм.", "Серия", "Цена", "По данным учёта: количество",
             "Фактическое наличие: количество", "Недостача: количество", "Недостача: сумма",
             "Излишки: количество", "Излишки: сумма"},
            {"#1", "Анальгин", "шт", "S1", "#2.5", "#8", "#6", "#2", "#5", "", ""},
            {"#2", "Бинт", "шт", "B2", "#3", "#15", "#18", "", "", "#3", "#9"},
            {"", "ИТОГО:", "", "", "", "", "", "#2", "#5", "#3", "#9"},
            {"", "", "", "", "", "", "", "", "", "", ""},
            {"Недостача на сумму: 5 (Пять рублей 00 копеек)", "", "", "", "", "", "", "", "", "",
             ""},
            {"Излишки на сумму: 9 (Девять рублей 00 копеек)", "", "", "", "", "", "", "", "", "",
             ""},
        };
        for (int i = 0; i < int(std::size(rows)); ++i)
            EXPECT_EQ(rowOf(s, h + i, 11), rows[i]) << "row " << h + i;
        EXPECT_TRUE(anyCellStartsWith(s, "Форма по ОКУД 0504092"));
        EXPECT_TRUE(anyCellStartsWith(s, "ВЕДОМОСТЬ РАСХОЖДЕНИЙ"));
        EXPECT_EQ(anyCellStartsWith(s, "медикаментов на 10.02.2024 (результаты проведены)"),
                  posted);
        EXPECT_TRUE(anyCellStartsWith(s, "УТВЕРЖДАЮ"));
    }

    TempDataDir empty;
    Data{}.writeTo(empty);
    EXPECT_EQ(runReport(ReportKind::Discrepancies, empty.path(), {}).emptyMessage,
              messages::NoCount);
}

TEST(StocktakeForms, AfterPostingTheCountSheetAtTheDayShowsTheCountedQuantities)
{
    CountedFolder f;
    vedaris::ops::postCount(f.dir.path());
    const Sheet s = saved(inventoryForm(f.dir.path(), day(10), false));
    const int h = rowWith(s, 1, "№ п/п");
    ASSERT_GT(h, 0);
    // The surplus is a batch of its own beside the one it was found with.
    const QString expiry = num(day(1, 1, 2030));
    const QStringList rows[] = {
        {"#1", "Анальгин", "шт", "S1", expiry, "#2.5", "", "", "#6", "#15"},
        {"#2", "Бинт", "шт", "B2", expiry, "#3", "", "", "#15", "#45"},
        {"#3", "Бинт", "шт", "B2", expiry, "#3", "", "", "#3", "#9"},
        {"#4", "Вата", "шт", "S1", expiry, "#1", "", "", "#7", "#7"},
        {"", "ИТОГО:", "", "", "", "", "", "", "#31", "#76"},
    };
    for (int i = 0; i < int(std::size(rows)); ++i)
        EXPECT_EQ(rowOf(s, h + 1 + i, 10), rows[i]) << "row " << h + 1 + i;
}

TEST(StocktakeForms, CountSheetShowsWhatIssuesLeaveToAMillionth)
{
    Data data;
    // 1 - 0,7 - 0,3 leaves 5,55E-17 in doubles: an emptied batch, not a line.
    const qint32 gone =
        data.add(Stock{.name = "Анальгин", .quantity = 0, .price = 2, .receivedQuantity = 1});
    const qint32 left =
        data.add(Stock{.name = "Бинт", .quantity = 0.3, .price = 10, .receivedQuantity = 1});
    data.add(Issue{gone, day(2), 0.7});
    data.add(Issue{gone, day(3), 0.3});
    data.add(Issue{left, day(2), 0.1});
    data.add(Issue{left, day(3), 0.6});
    TempDataDir dir;
    data.writeTo(dir);
    const Sheet s = saved(inventoryForm(dir.path(), day(10), false));
    const int h = rowWith(s, 1, "№ п/п");
    ASSERT_GT(h, 0);
    EXPECT_EQ(
        rowOf(s, h + 1, 10),
        QStringList({"#1", "Бинт", "шт", "S1", num(day(1, 1, 2030)), "#10", "", "", "#0.3", "#3"}));
    EXPECT_EQ(textAt(s, h + 2, 2), "ИТОГО:");
}
