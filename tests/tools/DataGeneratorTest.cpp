#include "DataGenerator.h"

#include "operations/StockOperations.h"
#include "store/DataFiles.h"
#include "store/RecordFile.h"
#include "store/StockArithmetic.h"
#include "store/TextFormats.h"
#include "support/TempDataDir.h"

#include <gtest/gtest.h>

#include <map>

using namespace vedaris;

namespace {

template<class Record> std::vector<Record> readAll(const QString &dir, const QString &name)
{
    std::vector<Record> out;
    TypedFile<Record> f(files::path(dir, name), RecordFile::ReadOnly);
    f.forEach([&](qint64, const Record &r) {
        out.push_back(r);
        return true;
    });
    return out;
}

struct Case
{
    const char *name;
    gen::Options options;
};

gen::Options options(quint64 seed, int batches, int issues, bool hostile)
{
    gen::Options o;
    o.seed = seed;
    o.batches = batches;
    o.issues = issues;
    o.drugNames = 40;
    o.suppliers = 6;
    o.manufacturers = 8;
    o.departments = 7;
    o.hostile = hostile;
    o.deletedBatchShare = 0.1;
    o.failedIssueShare = 0.05;
    return o;
}

void PrintTo(const Case &c, std::ostream *os)
{
    *os << c.name;
}

class GeneratedFiles : public ::testing::TestWithParam<Case>
{ };

// What the program's own operations would have left in the files, read back from
// the files themselves.
TEST_P(GeneratedFiles, KeepTheRulesOfTheOperations)
{
    const gen::Options o = GetParam().options;
    TempDataDir dir;
    gen::write(gen::generate(o), dir.path());

    const auto stock = readAll<StockRecord>(dir.path(), files::Base);
    const auto issues = readAll<IssueRecord>(dir.path(), files::Rashod);
    const auto names = readAll<DrugNameEntry>(dir.path(), files::NamePreparat);
    ASSERT_EQ(int(stock.size()), o.batches);
    ASSERT_EQ(int(issues.size()), o.batches > 0 ? o.issues : 0);
    for (size_t i = 0; i < names.size(); ++i)
        EXPECT_EQ(names[i].EntryId, qint32(i));
    for (const QString &file : {files::FirmaPostav, files::Izgotovitel, files::Otdelenie}) {
        const auto entries = readAll<ReferenceEntry>(dir.path(), file);
        EXPECT_FALSE(entries.empty()) << qPrintable(file);
        for (size_t i = 0; i < entries.size(); ++i)
            EXPECT_EQ(entries[i].EntryId, qint32(i));
    }

    const double last = text::dateToSerial(o.last);
    std::map<qint32, double> left; // quantity of each batch after its live issues, in file order
    int deletedIssues = 0, emptied = 0;
    for (size_t i = 0; i < issues.size(); ++i) {
        const IssueRecord &is = issues[i];
        ASSERT_GE(is.StockRecordId, 0);
        ASSERT_LT(is.StockRecordId, qint32(stock.size()));
        const StockRecord &b = stock[size_t(is.StockRecordId)];
        SCOPED_TRACE(i);
        EXPECT_TRUE(is.Deleted == 0 || is.Deleted == 1);
        EXPECT_GE(is.IssueDate, b.ReceiptDate);
        EXPECT_LE(is.IssueDate, last);
        EXPECT_GT(is.IssuedQuantity, 0);
        EXPECT_EQ(is.IssuedSum, product(is.UnitPrice, is.IssuedQuantity));
        EXPECT_EQ(is.UnitPrice, b.UnitPrice);
        EXPECT_EQ(is.DrugName, b.DrugName);
        EXPECT_EQ(is.Unit, b.Unit);
        EXPECT_EQ(is.Series, b.Series);
        EXPECT_EQ(is.ReceiptDate, b.ReceiptDate);
        if (b.Deleted) {
            EXPECT_EQ(is.Deleted, 1) << "an issue of a deleted batch stays live";
        }
        deletedIssues += is.Deleted;
        if (is.Deleted)
            continue;
        auto [it, fresh] = left.try_emplace(is.StockRecordId, b.ReceivedQuantity);
        const double available = ops::shownValue(it->second);
        EXPECT_LE(is.IssuedQuantity, available);
        it->second = double(static_cast<long double>(available)
                            - static_cast<long double>(is.IssuedQuantity));
    }
    int deletedBatches = 0;
    for (size_t i = 0; i < stock.size(); ++i) {
        const StockRecord &b = stock[i];
        SCOPED_TRACE(i);
        EXPECT_EQ(b.RecordId, qint32(i));
        EXPECT_TRUE(b.Deleted == 0 || b.Deleted == 1);
        EXPECT_EQ(b.ReceivedSum, product(b.ReceivedQuantity, b.UnitPrice));
        EXPECT_EQ(b.TotalSum, product(b.UnitPrice, b.Quantity));
        EXPECT_LE(b.ReceiptDate, b.ExpiryDate);
        if (i > 0) {
            EXPECT_GE(b.ReceiptDate, stock[i - 1].ReceiptDate);
        }
        deletedBatches += b.Deleted;
        if (b.Deleted)
            continue;
        const auto it = left.find(b.RecordId);
        EXPECT_EQ(b.Quantity, it == left.end() ? b.ReceivedQuantity : it->second);
        EXPECT_GE(b.Quantity, 0);
        emptied += b.Quantity == 0;
    }
    if (o.issues >= 1000) { // the shares are visible at this size
        EXPECT_GT(deletedBatches, 0);
        EXPECT_GT(deletedIssues, 0);
        EXPECT_GT(emptied, 0);
    }
}

INSTANTIATE_TEST_SUITE_P(Sizes, GeneratedFiles,
                         ::testing::Values(Case{"Plain", options(1, 300, 3000, false)},
                                           Case{"Hostile", options(2, 300, 3000, true)},
                                           Case{"Tiny", options(3, 2, 5, true)},
                                           Case{"NoIssues", options(4, 10, 0, false)},
                                           Case{"NoBatches", options(5, 0, 10, false)}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST(DataGenerator, SameSeedSameBytesOtherSeedOtherBytes)
{
    TempDataDir a, b, c;
    gen::write(gen::generate(options(7, 100, 800, true)), a.path());
    gen::write(gen::generate(options(7, 100, 800, true)), b.path());
    gen::write(gen::generate(options(8, 100, 800, true)), c.path());
    for (const QString &f : {files::Base, files::Rashod, files::NamePreparat, files::Otdelenie}) {
        EXPECT_EQ(a.read(f), b.read(f)) << qPrintable(f);
        EXPECT_NE(a.read(f), c.read(f)) << qPrintable(f);
    }
}

TEST(DataGenerator, HostileDataHoldsCaseVariantsAndUnlistedDepartments)
{
    const gen::Data d = gen::generate(options(9, 200, 2000, true));
    bool caseVariant = false;
    for (const auto &x : d.departments)
        for (const auto &y : d.departments)
            caseVariant |= x.Name != y.Name && x.Name.compare(y.Name, Qt::CaseInsensitive) == 0;
    EXPECT_TRUE(caseVariant);
    bool unlisted = false, empty = false;
    for (size_t i = 0; i < d.issues.size(); ++i) {
        const QString dep = d.issueRecord(i).Department;
        empty |= dep.isEmpty();
        unlisted |= dep == QStringLiteral("Склад");
    }
    EXPECT_TRUE(unlisted);
    EXPECT_TRUE(empty);
}

} // namespace
