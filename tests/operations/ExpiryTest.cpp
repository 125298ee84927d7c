// Expiry at a glance: the status figures' thresholds, the batch to issue first,
// and the departments of write-offs.

#include "operations/StockFigures.h"
#include "operations/StockOperations.h"
#include "store/DataFiles.h"
#include "store/ReferenceLists.h"
#include "store/TextFormats.h"
#include "support/RecordBytes.h"
#include "support/TempDataDir.h"

#include <gtest/gtest.h>
#include <optional>
#include <vector>

using namespace vedaris;

namespace {

const QDate Today(2024, 3, 15);
const double T = text::dateToSerial(Today);

StockRecord batch(double expiry, double quantity = 5, double sum = 10, quint8 deleted = 0)
{
    StockRecord r;
    r.DrugName = QStringLiteral("Анальгин");
    r.Unit = QStringLiteral("Таблетки");
    r.ReceiptDate = T - 30;
    r.Quantity = quantity;
    r.UnitPrice = 2;
    r.TotalSum = sum;
    r.ExpiryDate = expiry;
    r.Deleted = deleted;
    return r;
}

} // namespace

TEST(StockFigures, CountBatchesInStockByExpiryAndSumEveryLiveOne)
{
    enum Counted { None, Expired, Soon };
    const struct
    {
        const char *what;
        StockRecord record;
        Counted counted;
        bool inStockSum;
    } cases[] = {
        {"expired yesterday", batch(T - 1), Expired, true},
        {"a time of day yesterday", batch(T - 0.5), Expired, true},
        {"expires today", batch(T), Soon, true},
        {"expires tomorrow", batch(T + 1), Soon, true},
        {"in 90 days", batch(T + 90), Soon, true},
        {"in 90 days and a time of day", batch(T + 90.75), Soon, true},
        {"in 91 days", batch(T + 91), None, true},
        {"no stock left", batch(T - 1, 0, 7), None, true},
        {"negative stock", batch(T - 1, -1), None, true},
        {"a date of 0 is none", batch(0), None, true},
        {"deleted", batch(T - 1, 5, 10, 1), None, false},
        {"deletion mark 2 is live", batch(T + 1, 5, 10, 2), Soon, true},
    };
    ops::StockFigures all;
    ops::StockTotals expected;
    qint64 index = 0;
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        ops::StockFigures one;
        one.set(3, c.record);
        const ops::StockTotals t = one.totals(Today);
        EXPECT_EQ(t.stockSum, c.inStockSum ? c.record.TotalSum : 0);
        EXPECT_EQ(t.expired, c.counted == Expired);
        EXPECT_EQ(t.expiredSum, c.counted == Expired ? c.record.TotalSum : 0);
        EXPECT_EQ(t.soon, c.counted == Soon);
        EXPECT_EQ(t.soonSum, c.counted == Soon ? c.record.TotalSum : 0);
        all.set(index++, c.record);
        expected.stockSum += t.stockSum;
        expected.expired += t.expired;
        expected.expiredSum += t.expiredSum;
        expected.soon += t.soon;
        expected.soonSum += t.soonSum;
    }
    EXPECT_EQ(all.totals(Today), expected);
    // A batch rewritten or deleted changes only its own share.
    all.set(0, batch(T + 200));
    all.remove(2);
    EXPECT_EQ(all.totals(Today).expired, expected.expired - 1);
    EXPECT_EQ(all.totals(Today).soon, expected.soon - 1);
    EXPECT_EQ(all.totals(Today).stockSum, expected.stockSum - 10);
}

TEST(StockFigures, StatusTextRoundsToTheKopeckGroupsThousandsAndDeclinesBatches)
{
    const struct
    {
        ops::StockTotals totals;
        const char *text;
    } cases[] = {
        {{},
         "На складе: 0,00 руб. · просрочено: 0 партий на 0,00 руб. · истекает за 90 дней: 0 на "
         "0,00 руб."},
        {{1234567.891, 1, 0.1 + 0.2, 2, 1e-9},
         "На складе: 1\u00a0234\u00a0567,89 руб. · просрочено: 1 партия на 0,30 руб. · истекает за "
         "90 дней: 2 на "
         "0,00 руб."},
        {{10, 2, -0.001, 11, 5},
         "На складе: 10,00 руб. · просрочено: 2 партии на 0,00 руб. · истекает за 90 дней: 11 на "
         "5,00 руб."},
    };
    for (const auto &c : cases)
        EXPECT_EQ(ops::statusText(c.totals), QString::fromUtf8(c.text));
    const std::pair<int, const char *> words[] = {
        {5, "5 партий"},     {11, "11 партий"},   {14, "14 партий"},    {21, "21 партия"},
        {104, "104 партии"}, {112, "112 партий"}, {1001, "1001 партия"}};
    for (const auto &[n, word] : words) {
        ops::StockTotals t;
        t.expired = n;
        EXPECT_TRUE(ops::statusText(t).contains(
            QStringLiteral("просрочено: %1 на").arg(QString::fromUtf8(word))))
            << n;
    }
}

TEST(EarlierBatch, TheEarliestLiveSiblingInStockThatHasNotExpired)
{
    // Record 0 is the batch the issue dialog opens on, expiring in 200 days
    // unless the case says otherwise; the others are its would-be siblings.
    struct Sibling
    {
        double expiry;
        double quantity = 5;
        const char *name = "Анальгин";
        const char *unit = "Таблетки";
        quint8 deleted = 0;
        double received = T - 30;
    };
    const struct
    {
        const char *what;
        std::vector<Sibling> siblings;
        std::optional<qint32> expected;
        double ownExpiry = T + 200;
    } cases[] = {
        {"alone", {}, std::nullopt},
        {"a later sibling", {{T + 300}}, std::nullopt},
        {"the same day", {{T + 200}}, std::nullopt},
        {"an earlier one", {{T + 100}}, 1},
        {"one expiring today", {{T}}, 1},
        {"an expired one", {{T - 1}}, std::nullopt},
        {"one without stock", {{T + 100, 0}}, std::nullopt},
        {"a deleted one", {{T + 100, 5, "Анальгин", "Таблетки", 1}}, std::nullopt},
        {"another unit", {{T + 100, 5, "Анальгин", "таблетки"}}, std::nullopt},
        {"another name by case", {{T + 100, 5, "анальгин"}}, std::nullopt},
        {"another name by a trailing blank", {{T + 100, 5, "Анальгин "}}, std::nullopt},
        {"a date of 0", {{0}}, std::nullopt},
        {"the earliest of two", {{T + 150}, {T + 100}, {T - 5}}, 2},
        {"a tie goes to the earlier receipt",
         {{T + 100, 5, "Анальгин", "Таблетки", 0, T - 10},
          {T + 100, 5, "Анальгин", "Таблетки", 0, T - 40}},
         2},
        {"then to the lower record", {{T + 120}, {T + 100}, {T + 100}}, 2},
        {"its own batch expired", {{T - 20}, {T + 5}}, std::nullopt, T - 10},
        {"its own date 0", {{T + 100}}, std::nullopt, 0},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<StockRecord> records{batch(c.ownExpiry)};
        for (const Sibling &s : c.siblings) {
            StockRecord r = batch(s.expiry, s.quantity, 10, s.deleted);
            r.DrugName = QString::fromUtf8(s.name);
            r.Unit = QString::fromUtf8(s.unit);
            r.ReceiptDate = s.received;
            r.Series = QStringLiteral("С-%1").arg(records.size());
            records.push_back(r);
        }
        TempDataDir dir;
        dir.createEmptyFiles();
        dir.write(files::Base, encodeAll(records, true));
        const auto earlier = ops::earlierBatch(dir.path(), 0, records[0], Today);
        ASSERT_EQ(earlier.has_value(), c.expected.has_value());
        if (earlier) {
            EXPECT_EQ(earlier->recordId, *c.expected);
            EXPECT_EQ(earlier->batch.Series, records[size_t(*c.expected)].Series);
        }
    }
}

TEST(WriteOff, GoesToItsReasonsDepartmentAddedOnFirstUseThroughTheDuplicateTest)
{
    const struct
    {
        const char *what;
        std::vector<std::pair<const char *, quint8>> before; // name, deletion mark
        const char *department; // the issue's
        QStringList after; // live entries in file order
    } cases[] = {
        {"first use", {}, "Списание: Прочее", {"Списание: Прочее"}},
        {"a repeat use",
         {{"Хирургия", 0}, {"Списание: Прочее", 0}},
         "Списание: Прочее",
         {"Хирургия", "Списание: Прочее"}},
        {"an entry the duplicate test takes for it",
         {{"списание:прочее", 0}},
         "списание:прочее",
         {"списание:прочее"}},
        {"a deleted entry's slot is reused",
         {{"Списание: Прочее", 1}, {"Хирургия", 0}},
         "Списание: Прочее",
         {"Списание: Прочее", "Хирургия"}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        TempDataDir dir;
        dir.createEmptyFiles();
        dir.write(files::Base, encodeAll(std::vector<StockRecord>{batch(T - 3, 7.5, 15)}, true));
        std::vector<ReferenceEntry> entries;
        for (const auto &[name, deleted] : c.before) {
            ReferenceEntry e;
            e.Name = QString::fromUtf8(name);
            e.EntryId = qint32(entries.size());
            e.Deleted = deleted;
            entries.push_back(e);
        }
        dir.write(files::Otdelenie, encodeAll(entries, false));

        const auto stored =
            ops::storeWriteOff(dir.path(), 0, ops::readBatch(dir.path(), 0), QStringLiteral("2,5"),
                               QStringLiteral("Прочее"), Today);
        EXPECT_EQ(stored.issue.Department, QString::fromUtf8(c.department));
        EXPECT_EQ(ReferenceList(dir.path(), RefKind::Departments).liveNames(), c.after);
        const auto issues = decodeAll<IssueRecord>(dir.read(files::Rashod));
        ASSERT_EQ(issues.size(), 1u);
        EXPECT_EQ(issues[0].Department, QString::fromUtf8(c.department));
        EXPECT_EQ(issues[0].IssuedQuantity, 2.5);
        EXPECT_EQ(issues[0].IssuedSum, 5);
        EXPECT_EQ(issues[0].IssueDate, T);
        const StockRecord after = decodeAll<StockRecord>(dir.read(files::Base)).at(0);
        EXPECT_EQ(after.Quantity, 5);
        EXPECT_EQ(after.TotalSum, 10);
        EXPECT_EQ(stockRowCells(stored.row())[stockcol::Quantity], QStringLiteral("5"));
    }
}
