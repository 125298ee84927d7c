// The stock list's model: its cells are the rows the list always showed, its
// header orders come from the values, and its figures are those of the file.

#include "operations/StockModel.h"
#include "store/TextFormats.h"

#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <map>
#include <vector>

using namespace vedaris;

namespace {

const QDate Today(2024, 3, 15);
const double T = text::dateToSerial(Today);
const double NaN = std::numeric_limits<double>::quiet_NaN();
const double Inf = std::numeric_limits<double>::infinity();

// Every kind of cell a stored record can give: texts empty, Latin, Cyrillic
// and mixed case; dates of 0, with a time of day, impossible and not a number;
// numbers whole, fractional, tiny, huge, negative and not finite.
std::vector<StockRecord> sweep()
{
    const QString names[] = {"Анальгин", "анальгин",  "Zinc",  "zinc", "",    "Ёд",
                             "Бром",     "  Аспирин", "10 мг", "9 мг", "Ять", "ёд"};
    const QString texts[] = {"", "Фарм", "farm", "Farm", "Я", "а", "1", "Z"};
    const double dates[] = {T, T - 400.25, 0, T + 90.75, NaN, 3e6, T + 1, -700000, T};
    const double numbers[] = {0, 10.5, 1e-6, 9, 89, 2.5e20, -3, NaN, Inf, 100, 0.1 + 0.2};
    std::vector<StockRecord> out;
    for (int i = 0; i < 60; ++i) {
        StockRecord r;
        r.DrugName = names[i % 12];
        r.Supplier = texts[i % 8];
        r.ReceiptDocument = texts[(i + 3) % 8];
        r.Manufacturer = texts[(i * 5) % 8];
        r.Series = i % 5 ? texts[(i + 1) % 8] + QString::number(i % 4) : QString();
        r.Unit = texts[(i * 3 + 2) % 8];
        r.ReceiptDate = dates[i % 9];
        r.ExpiryDate = dates[(i * 4 + 1) % 9];
        r.Quantity = numbers[i % 11];
        r.UnitPrice = numbers[(i * 7 + 3) % 11];
        r.TotalSum = numbers[(i * 5 + 1) % 11];
        r.RecordId = i;
        out.push_back(r);
    }
    return out;
}

void fill(StockModel &model, const std::vector<StockRecord> &records)
{
    model.setHeaders(QStringList(stockcol::Count, QString()));
    model.beginFill(qint64(records.size()));
    for (const StockRecord &r : records)
        model.addFilled(r.RecordId, r);
    model.endFill();
}

std::vector<qint32> shownSlots(const StockModel &model)
{
    std::vector<qint32> out;
    for (int row = 0; row < model.rowCount(); ++row)
        out.push_back(model.slot(row));
    return out;
}

} // namespace

TEST(StockModel, CellsAreTheRowsTextsOfEveryRecord)
{
    StockModel model;
    const std::vector<StockRecord> records = sweep();
    fill(model, records);
    ASSERT_EQ(model.rowCount(), int(records.size()));
    for (int row = 0; row < model.rowCount(); ++row) {
        const StockRecord &r = records[size_t(model.slot(row))];
        EXPECT_EQ(model.cells(row), stockRowCells(r)) << row;
        EXPECT_EQ(model.searchKey(row), text::searchKey(r.DrugName));
    }
    // A receipt's row shows the quantity and price as typed.
    StockRow typed{7, records[7], QStringLiteral("10,50"), QStringLiteral("3,0")};
    const int at = model.insertSorted(0, typed);
    EXPECT_EQ(model.cells(at), stockRowCells(typed));
    EXPECT_EQ(model.cell(at, stockcol::Quantity), QStringLiteral("10,50"));
}

// Caption order: Russian, case deciding only between equal names, batches of
// one name in the order read; a new row goes where a sort would put it.
TEST(StockModel, RowsComeInCaptionOrderAndNewRowsKeepIt)
{
    StockModel model;
    const std::vector<StockRecord> records = sweep();
    fill(model, records);
    // `bySlot`: batches of one name in the order they were read.
    const auto inOrder = [&model](bool bySlot) {
        for (int row = 1; row < model.rowCount(); ++row) {
            const int c =
                text::compareRussian(model.record(row - 1).DrugName, model.record(row).DrugName);
            if (c > 0 || (bySlot && c == 0 && model.slot(row - 1) > model.slot(row)))
                return false;
        }
        return true;
    };
    EXPECT_TRUE(inOrder(true));
    StockRecord added = records[2];
    added.DrugName = QStringLiteral("Бром");
    model.insertSorted(0, {100, added});
    EXPECT_TRUE(model.inCaptionOrder());
    const int at = model.rowOf(100);
    EXPECT_EQ(model.record(at).DrugName, QStringLiteral("Бром"));
    EXPECT_NE(model.record(at - 1).DrugName, QStringLiteral("Бром")); // first of its name
    // After a header sort a new row puts the list back into caption order.
    model.sortByColumn(stockcol::Series, false);
    EXPECT_FALSE(model.inCaptionOrder());
    model.insertSorted(5, {101, added});
    EXPECT_TRUE(model.inCaptionOrder());
    model.removeAt(model.rowOf(100));
    model.removeAt(model.rowOf(101));
    EXPECT_EQ(model.rowOf(100), -1);
    EXPECT_TRUE(inOrder(false));
}

// The search finds the first row from the top whose name begins with the key,
// also after a header sort and for a name whose rows are all gone.
TEST(StockModel, SearchFindsTheFirstRowWhoseNameBeginsWithTheKey)
{
    StockModel model;
    fill(model, sweep());
    const auto firstRow = [&model](const QString &key) {
        for (int row = 0; row < model.rowCount(); ++row)
            if (text::searchKey(model.record(row).DrugName).startsWith(key))
                return row;
        return -1;
    };
    const QString keys[] = {"ана", "zi", "аспирин", "ё", "1", "9 мг", "нет такого", "я"};
    for (const bool sorted : {false, true}) {
        if (sorted)
            model.sortByColumn(stockcol::Series, true);
        for (const QString &key : keys)
            EXPECT_EQ(model.findCaption(key), firstRow(key)) << key.toStdString();
    }
    for (int row = model.rowCount() - 1; row >= 0; --row)
        if (model.record(row).DrugName == QStringLiteral("9 мг"))
            model.removeAt(row);
    EXPECT_EQ(model.findCaption(QStringLiteral("9 мг")), -1);
}

TEST(StockModel, HeaderSortsTextsByCodePageDatesByDayNumbersByValue)
{
    enum Kind { Text, Date, Number };
    const struct
    {
        int column;
        Kind kind;
    } columns[] = {
        {stockcol::DrugName, Text},     {stockcol::ReceiptDate, Date},
        {stockcol::Supplier, Text},     {stockcol::ReceiptDocument, Text},
        {stockcol::Manufacturer, Text}, {stockcol::Series, Text},
        {stockcol::Unit, Text},         {stockcol::Quantity, Number},
        {stockcol::UnitPrice, Number},  {stockcol::TotalSum, Number},
        {stockcol::ExpiryDate, Date},
    };
    const std::vector<StockRecord> records = sweep();
    for (const auto &c : columns) {
        SCOPED_TRACE(c.column);
        StockModel model;
        fill(model, records);
        // A text's code page key; a date's day; a number's value; none for an
        // empty cell, no date or a number that is not finite.
        const auto key = [&](int row) -> std::optional<std::pair<QByteArray, double>> {
            const StockRecord &r = model.record(row);
            const QString cell = model.cell(row, c.column);
            if (c.kind == Text)
                return cell.isEmpty() ? std::nullopt
                                      : std::optional(std::pair(text::codePageKey(cell), 0.0));
            if (c.kind == Date) {
                const QDate d = text::serialToDate(
                    c.column == stockcol::ReceiptDate ? r.ReceiptDate : r.ExpiryDate);
                return d.isValid() ? std::optional(std::pair(QByteArray(), double(d.toJulianDay())))
                                   : std::nullopt;
            }
            const double v = c.column == stockcol::Quantity ? r.Quantity
                : c.column == stockcol::UnitPrice           ? r.UnitPrice
                                                            : r.TotalSum;
            return std::isfinite(v) ? std::optional(std::pair(QByteArray(), v)) : std::nullopt;
        };
        model.sortByColumn(c.column, false);
        int lastValid = -1;
        for (int row = 0; row < model.rowCount(); ++row) {
            const auto k = key(row);
            if (!k)
                continue;
            EXPECT_EQ(lastValid, row - 1) << "a valid cell after an empty one at " << row;
            if (lastValid >= 0) {
                EXPECT_LE(*key(lastValid), *k) << row;
            }
            lastValid = row;
        }
        EXPECT_LT(lastValid, model.rowCount() - 1) << "the sweep has cells that go last";
        const std::vector<qint32> ascending = shownSlots(model);
        model.sortByCaption();
        model.sortByColumn(c.column, true);
        std::vector<qint32> descending = shownSlots(model);
        std::reverse(descending.begin(), descending.end());
        EXPECT_EQ(descending, ascending);
    }
}

// The figures of the rows are those of the file the rows came from, through
// receipts, issues, edits and deletions.
TEST(StockModel, FiguresAreThoseOfTheRecordsAfterEveryChange)
{
    std::vector<StockRecord> records = sweep();
    for (size_t i = 0; i < records.size(); ++i) {
        records[i].ExpiryDate = T + double(int(i % 7) * 40 - 100);
        records[i].TotalSum = 0.1 * double(i) + 0.2; // sums that round
    }
    std::map<qint32, StockRecord> file;
    for (const StockRecord &r : records)
        file[r.RecordId] = r;
    StockModel model;
    fill(model, records);
    const auto expected = [&file] {
        ops::StockFigures figures;
        for (const auto &[slot, r] : file)
            figures.set(slot, r);
        return figures.totals(Today);
    };
    EXPECT_EQ(model.totals(Today), expected());
    // What the status bar reads when it hears of a change.
    ops::StockTotals heard;
    const auto listen = [&] { heard = model.totals(Today); };
    QObject::connect(&model, &QAbstractItemModel::rowsInserted, listen);
    QObject::connect(&model, &QAbstractItemModel::rowsRemoved, listen);
    for (int step = 0; step < 40; ++step) {
        SCOPED_TRACE(step);
        const int row = (step * 13) % model.rowCount();
        const qint32 slot = model.slot(row);
        switch (step % 4) {
        case 0: { // an issue rewrites the batch
            StockRecord r = model.record(row);
            r.Quantity = step % 8 ? 1 : 0;
            r.TotalSum = 0.01 * step;
            file[slot] = r;
            model.replace(row, {slot, r});
            break;
        }
        case 1: // a deletion
            file.erase(slot);
            model.removeAt(row);
            break;
        case 2: { // a receipt into a new slot
            StockRecord r = records[size_t(step)];
            r.RecordId = qint32(records.size()) + step;
            file[r.RecordId] = r;
            model.insertSorted(0, {r.RecordId, r, QStringLiteral("1,0")});
            break;
        }
        case 3: // a header sort changes nothing
            model.sortByColumn(stockcol::TotalSum, step % 8 == 3);
            break;
        }
        EXPECT_EQ(model.totals(Today), expected());
        EXPECT_EQ(heard, expected());
        EXPECT_EQ(model.rowCount(), int(file.size()));
    }
}
