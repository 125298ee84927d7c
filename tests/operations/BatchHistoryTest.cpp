#include "operations/BatchHistory.h"
#include "store/DataFiles.h"
#include "store/Error.h"
#include "support/RecordBytes.h"
#include "support/TempDataDir.h"

#include <QDir>
#include <gtest/gtest.h>
#include <limits>

using namespace vedaris;

namespace {

struct Issued
{
    qint32 batch;
    double date;
    const char *department;
    double quantity, sum;
    quint8 mark = 0;
};

struct Case
{
    const char *what;
    double quantity, totalSum; // of batch 0, which received 10 at 2 (20)
    std::vector<Issued> issues;
    QStringList shown; // department and what is left after it, in the card's order
    bool quantityAgrees, sumAgrees, finite = true;
};

constexpr double NaN = std::numeric_limits<double>::quiet_NaN();

const std::vector<Issued> Mixed = {
    {0, 45300, "А", 2, 4},          {0, 45290, "Б", 1, 2}, {1, 45290, "чужая", 5, 10},
    {0, 45290, "удалена", 3, 6, 1}, {0, 45300, "Г", 1, 2}, {0, 45295, "Д", 0.5, 1},
};

const Case Cases[] = {
    {"no issues", 10, 20, {}, {}, true, true},
    {"dates out of file order, a tie, a deleted issue, another batch's",
     5.5,
     11,
     Mixed,
     {"Б 9", "Д 8,5", "А 6,5", "Г 5,5"},
     true,
     true},
    {"a mark other than 1 is live", 9, 18, {{0, 45290, "Е", 1, 2, 2}}, {"Е 9"}, true, true},
    {"decimal roundings stay within the check's tolerance",
     9.7,
     19.4,
     {{0, 45290, "А", 0.1, 0.2}, {0, 45291, "Б", 0.2, 0.4}},
     {"А 9,9", "Б 9,7"},
     true,
     true},
    {"stored quantity damaged", 6, 11, Mixed, {"Б 9", "Д 8,5", "А 6,5", "Г 5,5"}, false, true},
    {"stored sum damaged", 5.5, 12, Mixed, {"Б 9", "Д 8,5", "А 6,5", "Г 5,5"}, true, false},
    {"a number that is no number, a date last",
     8,
     16,
     {{0, NaN, "А", 1, NaN}, {0, 45290, "Б", 1, 2}},
     {"Б 9", "А 8"},
     true,
     true,
     false},
};

} // namespace

TEST(BatchHistory, LiveIssuesByDateWithTheRemainderAfterEachAndTheBalance)
{
    for (const Case &c : Cases) {
        SCOPED_TRACE(c.what);
        StockRecord b;
        b.DrugName = QStringLiteral("Анальгин");
        b.ReceivedQuantity = 10;
        b.UnitPrice = 2;
        b.ReceivedSum = 20;
        b.Quantity = c.quantity;
        b.TotalSum = c.totalSum;
        std::vector<IssueRecord> issues;
        for (const Issued &i : c.issues) {
            IssueRecord r;
            r.StockRecordId = i.batch;
            r.IssueDate = i.date;
            r.Department = QString::fromUtf8(i.department);
            r.IssuedQuantity = i.quantity;
            r.UnitPrice = 2;
            r.IssuedSum = i.sum;
            r.Deleted = i.mark;
            issues.push_back(r);
        }
        TempDataDir dir;
        dir.createEmptyFiles();
        dir.write(files::Base, encodeAll(std::vector<StockRecord>{b, b}, true));
        dir.write(files::Rashod, encodeAll(issues, false));

        const ops::BatchHistory h = ops::readBatchHistory(dir.path(), 0);
        EXPECT_EQ(h.batch.DrugName, b.DrugName);
        QStringList shown;
        for (const ops::BatchIssue &i : h.issues)
            shown << i.department + QLatin1Char(' ')
                    + QString::number(i.remaining).replace('.', ',');
        EXPECT_EQ(shown, c.shown);
        EXPECT_EQ(h.finite, c.finite);
        if (c.finite) {
            EXPECT_EQ(h.quantityAgrees, c.quantityAgrees);
            EXPECT_EQ(h.sumAgrees, c.sumAgrees);
        }
    }
}

TEST(BatchHistory, AnUnreadableFileOrABatchPastTheEndThrows)
{
    TempDataDir dir;
    dir.createEmptyFiles();
    dir.write(files::Base, encodeAll(std::vector<StockRecord>(1), true));
    EXPECT_THROW(ops::readBatchHistory(dir.path(), 1), Error);
    EXPECT_NO_THROW(ops::readBatchHistory(dir.path(), 0));
    QFile::remove(dir.file(files::Rashod));
    ASSERT_TRUE(QDir(dir.path()).mkdir(files::Rashod));
    EXPECT_THROW(ops::readBatchHistory(dir.path(), 0), Error);
}
