#include "operations/StockOperations.h"
#include "operations/StockRow.h"
#include "store/Error.h"
#include "store/Records.h"
#include "store/TextFormats.h"
#include "support/CaseNames.h"
#include "support/RecordBytes.h"
#include "support/TempDataDir.h"

#include <QFile>
#include <QLocale>
#include <gtest/gtest.h>
#include <vector>

using namespace vedaris;

namespace {

StockRecord batch(const QString &name, double quantity, double price, quint8 deleted = 0)
{
    StockRecord r;
    r.DrugName = name;
    r.ReceiptDate = 45292;
    r.Unit = QStringLiteral("Таблетки");
    r.Supplier = QStringLiteral("Поставщик");
    r.ReceiptDocument = QStringLiteral("Накл. 7");
    r.Manufacturer = QStringLiteral("Изготовитель");
    r.Series = QStringLiteral("С-1");
    r.Quantity = r.ReceivedQuantity = quantity;
    r.UnitPrice = price;
    r.TotalSum = r.ReceivedSum = quantity * price;
    r.ExpiryDate = 46000;
    r.Deleted = deleted;
    return r;
}

IssueRecord issueOf(qint32 stockId, double quantity, quint8 deleted = 0)
{
    IssueRecord r;
    r.DrugName = QStringLiteral("Выдано");
    r.Department = QStringLiteral("Хирургия");
    r.IssuedQuantity = quantity;
    r.StockRecordId = stockId;
    r.Deleted = deleted;
    return r;
}

struct Files : TempDataDir
{
    Files(const std::vector<StockRecord> &stock = {}, const std::vector<IssueRecord> &issues = {})
    {
        createEmptyFiles();
        write(QStringLiteral("Base.dat"), encodeAll(stock, true));
        write(QStringLiteral("Rashod.dat"), encodeAll(issues, false));
    }
    QByteArray base() const { return read(QStringLiteral("Base.dat")); }
    QByteArray rashod() const { return read(QStringLiteral("Rashod.dat")); }
    std::vector<StockRecord> stock() const { return decodeAll<StockRecord>(base()); }
    std::vector<IssueRecord> issues() const { return decodeAll<IssueRecord>(rashod()); }
    void truncateBase(qint64 records) const
    {
        QFile f(file(QStringLiteral("Base.dat")));
        ASSERT_TRUE(f.resize(records * StockRecord::Size));
    }
};

ops::BatchInput input(const QString &quantity, const QString &price,
                      const QString &name = QStringLiteral("Анальгин"))
{
    ops::BatchInput in;
    in.drugName = name;
    in.manufacturer = QStringLiteral("Изготовитель");
    in.supplier = QStringLiteral("Поставщик");
    in.receiptDocument = QStringLiteral("Накл. 12");
    in.series = QStringLiteral("АБ-3");
    in.receiptDate = QDate(2024, 1, 1);
    in.unit = QStringLiteral("Ампулы");
    in.quantityText = quantity;
    in.priceText = price;
    in.expiryDate = QDate(2026, 6, 30);
    return in;
}

std::vector<StockRecord> withDeleted(const std::vector<int> &deletedFlags)
{
    std::vector<StockRecord> out;
    for (int d : deletedFlags)
        out.push_back(batch(QStringLiteral("Старый"), 1, 1, quint8(d)));
    return out;
}

// The shortest text that reads back as the same double, for case names.
std::string exact(double d)
{
    return QString::number(d, 'g', QLocale::FloatingPointShortest).toStdString();
}

// --- receipt -------------------------------------------------------------

struct SlotCase
{
    std::vector<int> deleted;
    std::vector<qint32> expected; // of successive receipts
    qint64 finalCount;
};

void PrintTo(const SlotCase &c, std::ostream *os)
{
    *os << "deleted " << testing::PrintToString(c.deleted) << " receipts to "
        << testing::PrintToString(c.expected);
}

class ReceiptSlots : public testing::TestWithParam<SlotCase>
{ };

TEST_P(ReceiptSlots, ReuseFirstDeletedSlotElseAppend)
{
    const SlotCase &c = GetParam();
    Files files(withDeleted(c.deleted));
    for (qint32 expected : c.expected) {
        const auto stored =
            ops::storeReceipt(files.path(), input(QStringLiteral("1"), QStringLiteral("1")));
        EXPECT_EQ(stored.record.RecordId, expected);
        EXPECT_EQ(stockRowCells(stored.row())[stockcol::RecordId], QString::number(expected));
        const auto onDisk = files.stock();
        ASSERT_GT(qint64(onDisk.size()), expected);
        EXPECT_EQ(onDisk[expected].RecordId, expected);
        EXPECT_EQ(onDisk[expected].Deleted, 0);
        EXPECT_EQ(onDisk[expected].DrugName, QStringLiteral("Анальгин"));
    }
    EXPECT_EQ(files.base().size(), c.finalCount * StockRecord::Size);
}

INSTANTIATE_TEST_SUITE_P(Slots, ReceiptSlots,
                         testing::Values(SlotCase{{}, {0, 1}, 2}, SlotCase{{0, 0, 0}, {3}, 4},
                                         SlotCase{{0, 0, 1, 0, 1}, {2, 4, 5}, 6},
                                         SlotCase{{1, 1}, {0, 1, 2}, 3}),
                         PrintedName());

TEST(Receipt, AppendOverIncompleteTail)
{
    Files files(withDeleted({0}));
    files.write(QStringLiteral("Base.dat"), files.base() + QByteArray(100, 'x'));
    const auto stored =
        ops::storeReceipt(files.path(), input(QStringLiteral("1"), QStringLiteral("1")));
    EXPECT_EQ(stored.record.RecordId, 1);
    EXPECT_EQ(files.base().size(), 2 * StockRecord::Size);
}

struct SumCase
{
    const char *quantity, *price, *sumText;
};

void PrintTo(const SumCase &c, std::ostream *os)
{
    *os << c.quantity << " at " << c.price << " is " << c.sumText;
}

class ReceiptSums : public testing::TestWithParam<SumCase>
{ };

TEST_P(ReceiptSums, BothSumsAreTheRoundedProduct)
{
    const SumCase &c = GetParam();
    Files files;
    const auto stored = ops::storeReceipt(
        files.path(), input(QString::fromUtf8(c.quantity), QString::fromUtf8(c.price)));
    const StockRecord r = files.stock().at(0);
    EXPECT_EQ(text::formatNumber(r.TotalSum), QString::fromUtf8(c.sumText));
    EXPECT_EQ(r.TotalSum, r.ReceivedSum);
    EXPECT_EQ(r.Quantity, r.ReceivedQuantity);
    EXPECT_EQ(r.Quantity, text::parseNumber(QString::fromUtf8(c.quantity)));
    EXPECT_EQ(r.UnitPrice, text::parseNumber(QString::fromUtf8(c.price)));
    EXPECT_EQ(stockRowCells(stored.row())[stockcol::TotalSum], QString::fromUtf8(c.sumText));
    // quantity and price stay as typed in the row
    EXPECT_EQ(stockRowCells(stored.row())[stockcol::Quantity], QString::fromUtf8(c.quantity));
    EXPECT_EQ(stockRowCells(stored.row())[stockcol::UnitPrice], QString::fromUtf8(c.price));
}

INSTANTIATE_TEST_SUITE_P(Sums, ReceiptSums,
                         testing::Values(SumCase{"3", "0,1", "0,3"}, SumCase{"0", "12,5", "0"},
                                         SumCase{"10,50", "2", "21"}, SumCase{"2,5", "1,2", "3"},
                                         SumCase{"0,1", "0,2", "0,02"}),
                         PrintedName());

TEST(Receipt, RowShowsTheTextsAsStored)
{
    Files files;
    ops::BatchInput in = input(QStringLiteral("10,50"), QStringLiteral("3"));
    in.supplier = QString(60, QChar(u'Ф'));
    in.unit = QString(40, QChar(u'u'));
    in.drugName = QStringLiteral("Нурофен\u4E2D ") + QString(300, QChar(u'n'));
    in.series = QStringLiteral("x\u03A9y");
    const auto stored = ops::storeReceipt(files.path(), in);
    const StockRecord onDisk = files.stock().at(0);

    EXPECT_EQ(onDisk.Supplier, QString(50, QChar(u'Ф')));
    EXPECT_EQ(onDisk.Unit.size(), 30);
    EXPECT_EQ(onDisk.DrugName.size(), 255);
    EXPECT_EQ(onDisk.DrugName.left(9), QStringLiteral("Нурофен? "));
    EXPECT_EQ(onDisk.Series, QStringLiteral("x?y"));

    // What the row shows is what the next start will read from the file.
    QStringList expected = stockRowCells(onDisk);
    expected[stockcol::Quantity] = QStringLiteral("10,50");
    expected[stockcol::UnitPrice] = QStringLiteral("3");
    EXPECT_EQ(stockRowCells(stored.row()), expected);
    EXPECT_EQ(stockRowCells(stored.row())[stockcol::ReceiptDate], QStringLiteral("01.01.2024"));
    EXPECT_EQ(stockRowCells(stored.row())[stockcol::ExpiryDate], QStringLiteral("30.06.2026"));
    EXPECT_EQ(stockRowCells(stored.row()).size(), 13);
}

TEST(Receipt, DatesAreStoredAsWholeDaySerials)
{
    Files files;
    ops::storeReceipt(files.path(), input(QStringLiteral("1"), QStringLiteral("1")));
    const QByteArray bytes = files.base();
    // 01.01.2024 is the serial 45292.
    EXPECT_EQ(bytes.mid(256, 8), QByteArray::fromHex("00000000801DE640"));
}

// --- conversion failures write nothing ------------------------------------

struct BadNumberCase
{
    const char *quantity, *price, *offending;
};

void PrintTo(const BadNumberCase &c, std::ostream *os)
{
    *os << "quantity " << c.quantity << " price " << c.price;
}

class BadNumbers : public testing::TestWithParam<BadNumberCase>
{ };

TEST_P(BadNumbers, ReceiptAndEditWriteNothing)
{
    const BadNumberCase &c = GetParam();
    Files files(withDeleted({0, 1}));
    const QByteArray before = files.base();
    const auto in = input(QString::fromUtf8(c.quantity), QString::fromUtf8(c.price));
    const QString message = QStringLiteral("'%1' is not a valid floating point value")
                                .arg(QString::fromUtf8(c.offending));
    try {
        ops::storeReceipt(files.path(), in);
        ADD_FAILURE() << "receipt stored";
    } catch (const Error &e) {
        EXPECT_EQ(e.message(), message);
    }
    try {
        ops::storeEdit(files.path(), 0, in);
        ADD_FAILURE() << "edit stored";
    } catch (const Error &e) {
        EXPECT_EQ(e.message(), message);
    }
    EXPECT_EQ(files.base(), before);
}

INSTANTIATE_TEST_SUITE_P(Texts, BadNumbers,
                         testing::Values(BadNumberCase{"1,2,3", "1", "1,2,3"},
                                         BadNumberCase{",", "1", ","},
                                         BadNumberCase{"5", ",,", ",,"},
                                         BadNumberCase{"1,2,", "1", "1,2,"}),
                         PrintedName());

TEST(Issue, BadQuantityWritesNothing)
{
    Files files({batch(QStringLiteral("А"), 10, 2)}, {issueOf(0, 1)});
    const QByteArray base = files.base(), rashod = files.rashod();
    const StockRecord b = ops::readBatch(files.path(), 0);
    EXPECT_THROW(ops::checkIssue(b, QStringLiteral("1,,2")), Error);
    EXPECT_THROW(ops::storeIssue(files.path(), 0, b, QStringLiteral("1,,2"), {}, QDate(2024, 5, 1)),
                 Error);
    EXPECT_EQ(files.base(), base);
    EXPECT_EQ(files.rashod(), rashod);
}

// --- issue -----------------------------------------------------------------

struct IssueCase
{
    double remaining, price;
    const char *issued;
    const char *issuedSum, *newQuantity, *newValue; // as number texts
};

void PrintTo(const IssueCase &c, std::ostream *os)
{
    *os << c.issued << " of " << exact(c.remaining) << " at " << exact(c.price);
}

class IssueAmounts : public testing::TestWithParam<IssueCase>
{ };

TEST_P(IssueAmounts, LowersTheBatchAndRecordsTheIssue)
{
    const IssueCase &c = GetParam();
    StockRecord b = batch(QStringLiteral("Б"), c.remaining, c.price);
    b.ReceivedQuantity = 20;
    b.ReceivedSum = 20 * c.price;
    Files files({batch(QStringLiteral("А"), 1, 1), b});
    const StockRecord read = ops::readBatch(files.path(), 1);
    ASSERT_EQ(ops::checkIssue(read, QString::fromUtf8(c.issued)), ops::IssueVerdict::Ok);
    const auto result = ops::storeIssue(files.path(), 1, read, QString::fromUtf8(c.issued),
                                        QStringLiteral("Терапия"), QDate(2024, 5, 1));

    const auto issues = files.issues();
    ASSERT_EQ(issues.size(), 1u);
    const IssueRecord &i = issues[0];
    EXPECT_EQ(i.IssuedQuantity, text::parseNumber(QString::fromUtf8(c.issued)));
    EXPECT_EQ(text::formatNumber(i.IssuedSum), QString::fromUtf8(c.issuedSum));
    EXPECT_EQ(i.UnitPrice, c.price);
    EXPECT_EQ(i.StockRecordId, 1);
    EXPECT_EQ(i.Department, QStringLiteral("Терапия"));
    EXPECT_EQ(i.IssueDate, text::dateToSerial(QDate(2024, 5, 1)));
    EXPECT_EQ(i.DrugName, QStringLiteral("Б"));
    EXPECT_EQ(i.Series, b.Series);
    EXPECT_EQ(i.ReceiptDate, b.ReceiptDate);
    EXPECT_EQ(i.Deleted, 0);

    const StockRecord after = files.stock().at(1);
    EXPECT_EQ(text::formatNumber(after.Quantity), QString::fromUtf8(c.newQuantity));
    EXPECT_EQ(text::formatNumber(after.TotalSum), QString::fromUtf8(c.newValue));
    EXPECT_EQ(after.ReceivedQuantity, 20);
    EXPECT_EQ(after.ReceivedSum, 20 * c.price);
    EXPECT_EQ(after.RecordId, 1);
    EXPECT_EQ(after.DrugName, QStringLiteral("Б"));

    EXPECT_EQ(stockRowCells(result.row())[stockcol::Quantity], QString::fromUtf8(c.newQuantity));
    EXPECT_EQ(stockRowCells(result.row())[stockcol::TotalSum], QString::fromUtf8(c.newValue));
    EXPECT_EQ(stockRowCells(result.row())[stockcol::RecordId], QStringLiteral("1"));
    EXPECT_EQ(result.issueSlot, 0);
}

INSTANTIATE_TEST_SUITE_P(Amounts, IssueAmounts,
                         testing::Values(IssueCase{7.5, 2, "2,5", "5", "5", "10"},
                                         IssueCase{10, 3, "10", "30", "0", "0"},
                                         IssueCase{1, 0.1, "0,7", "0,07", "0,3", "0,03"},
                                         // the shown 0,3 is what the issue works from
                                         IssueCase{0.30000000000000004, 1, "0,3", "0,3", "0", "0"}),
                         PrintedName());

struct VerdictCase
{
    double remaining;
    const char *issued;
    ops::IssueVerdict verdict;
};

void PrintTo(const VerdictCase &c, std::ostream *os)
{
    const char *verdict = c.verdict == ops::IssueVerdict::Ok ? "Ok"
        : c.verdict == ops::IssueVerdict::Empty              ? "Empty"
                                                             : "OutOfRange";
    *os << "issue " << (*c.issued ? c.issued : "nothing") << " of " << exact(c.remaining) << " "
        << verdict;
}

class IssueChecks : public testing::TestWithParam<VerdictCase>
{ };

TEST_P(IssueChecks, Verdict)
{
    const VerdictCase &c = GetParam();
    EXPECT_EQ(
        ops::checkIssue(batch(QStringLiteral("А"), c.remaining, 1), QString::fromUtf8(c.issued)),
        c.verdict);
}

INSTANTIATE_TEST_SUITE_P(Verdicts, IssueChecks,
                         testing::Values(VerdictCase{10, "10", ops::IssueVerdict::Ok},
                                         VerdictCase{10, "0,5", ops::IssueVerdict::Ok},
                                         VerdictCase{10, "10,5", ops::IssueVerdict::OutOfRange},
                                         VerdictCase{10, "0", ops::IssueVerdict::OutOfRange},
                                         VerdictCase{0, "1", ops::IssueVerdict::OutOfRange},
                                         VerdictCase{0, "0", ops::IssueVerdict::OutOfRange},
                                         VerdictCase{10, "", ops::IssueVerdict::Empty}),
                         PrintedName());

TEST(Issue, ConversionFailureNamesTheText)
{
    for (const char *bad : {",", "1,2,3"}) {
        try {
            ops::checkIssue(batch(QStringLiteral("А"), 10, 1), QString::fromUtf8(bad));
            ADD_FAILURE() << bad;
        } catch (const Error &e) {
            EXPECT_EQ(e.message(),
                      QStringLiteral("'%1' is not a valid floating point value")
                          .arg(QString::fromUtf8(bad)));
        }
    }
}

struct IssueSlotCase
{
    std::vector<int> deleted;
    qint64 slot;
};

void PrintTo(const IssueSlotCase &c, std::ostream *os)
{
    *os << "deleted " << testing::PrintToString(c.deleted) << " slot " << c.slot;
}

class IssueSlots : public testing::TestWithParam<IssueSlotCase>
{ };

TEST_P(IssueSlots, ReuseFirstDeletedIssueSlot)
{
    const IssueSlotCase &c = GetParam();
    std::vector<IssueRecord> issues;
    for (int d : c.deleted)
        issues.push_back(issueOf(5, 1, quint8(d)));
    Files files({batch(QStringLiteral("А"), 10, 1)}, issues);
    const auto result = ops::storeIssue(files.path(), 0, ops::readBatch(files.path(), 0),
                                        QStringLiteral("1"), {}, QDate(2024, 5, 1));
    EXPECT_EQ(result.issueSlot, c.slot);
    const auto after = files.issues();
    EXPECT_EQ(after.size(), std::max(c.deleted.size(), size_t(c.slot + 1)));
    EXPECT_EQ(after.at(size_t(c.slot)).StockRecordId, 0);
    EXPECT_EQ(after.at(size_t(c.slot)).Deleted, 0);
    EXPECT_EQ(after.at(size_t(c.slot)).Department, QString()); // none chosen
}

INSTANTIATE_TEST_SUITE_P(Slots, IssueSlots,
                         testing::Values(IssueSlotCase{{0, 1, 0, 0}, 1},
                                         IssueSlotCase{{0, 0, 0, 0}, 4}, IssueSlotCase{{}, 0},
                                         IssueSlotCase{{0, 0, 1, 1}, 2}),
                         PrintedName());

TEST(Issue, WritesBackTheBatchAsReadAtPrepare)
{
    Files files({batch(QStringLiteral("А"), 10, 2)});
    const StockRecord read = ops::readBatch(files.path(), 0);
    // The dialog is modal: nothing else changes Base.dat in between, so the
    // record read then is the one written back, whatever the file holds now.
    files.write(QStringLiteral("Base.dat"),
                encodeAll(std::vector{batch(QStringLiteral("Другой"), 99, 9)}, true));
    ops::storeIssue(files.path(), 0, read, QStringLiteral("4"), {}, QDate(2024, 5, 1));
    const StockRecord after = files.stock().at(0);
    EXPECT_EQ(after.DrugName, QStringLiteral("А"));
    EXPECT_EQ(after.Quantity, 6);
    EXPECT_EQ(after.TotalSum, 12);
}

TEST(Issue, FailedBatchRewriteTakesTheIssueBack)
{
    std::vector<IssueRecord> issues{issueOf(0, 1), issueOf(3, 1, 1), issueOf(2, 1)};
    Files files({batch(QStringLiteral("А"), 1, 1), batch(QStringLiteral("Б"), 1, 1),
                 batch(QStringLiteral("В"), 10, 2)},
                issues);
    const StockRecord read = ops::readBatch(files.path(), 2);
    // The batch's slot is gone by the time the issue is saved.
    files.truncateBase(1);
    const QByteArray base = files.base();
    EXPECT_THROW(ops::storeIssue(files.path(), 2, read, QStringLiteral("3"), {}, QDate(2024, 5, 1)),
                 Error);

    EXPECT_EQ(files.base(), base);
    const auto after = files.issues();
    ASSERT_EQ(after.size(), 3u);
    EXPECT_EQ(after[1].Deleted, 1); // the reused slot is free again
    int liveForBatch = 0;
    for (const IssueRecord &i : after)
        liveForBatch += i.Deleted == 0 && i.StockRecordId == 2;
    EXPECT_EQ(liveForBatch, 1); // only the earlier one
}

TEST(Issue, MissingBatchFileWritesNoIssue)
{
    Files files({batch(QStringLiteral("А"), 10, 2)});
    const StockRecord read = ops::readBatch(files.path(), 0);
    ASSERT_TRUE(QFile::remove(files.file(QStringLiteral("Base.dat"))));
    EXPECT_THROW(ops::storeIssue(files.path(), 0, read, QStringLiteral("3"), {}, QDate(2024, 5, 1)),
                 Error);
    EXPECT_TRUE(files.rashod().isEmpty());
}

// --- edit ------------------------------------------------------------------

TEST(Edit, RefusedWhileALiveIssueExists)
{
    Files files({batch(QStringLiteral("А"), 10, 1), batch(QStringLiteral("Б"), 10, 1),
                 batch(QStringLiteral("В"), 10, 1)},
                {issueOf(0, 1), issueOf(1, 1, 1), issueOf(2, 1, 1), issueOf(2, 1)});
    EXPECT_FALSE(ops::readForEdit(files.path(), 0).has_value());
    EXPECT_FALSE(ops::readForEdit(files.path(), 2).has_value());
    const auto editable = ops::readForEdit(files.path(), 1); // its only issue is deleted
    ASSERT_TRUE(editable.has_value());
    EXPECT_EQ(editable->DrugName, QStringLiteral("Б"));
}

TEST(Edit, ReusedSlotIsEditableAgain)
{
    Files files({batch(QStringLiteral("А"), 10, 1), batch(QStringLiteral("Б"), 10, 1)},
                {issueOf(1, 1), issueOf(0, 1), issueOf(1, 2)});
    ASSERT_FALSE(ops::readForEdit(files.path(), 1).has_value());
    ops::deleteBatch(files.path(), 1);
    const auto stored =
        ops::storeReceipt(files.path(), input(QStringLiteral("4"), QStringLiteral("1")));
    ASSERT_EQ(stored.record.RecordId, 1);
    const auto editable = ops::readForEdit(files.path(), 1);
    ASSERT_TRUE(editable.has_value());
    EXPECT_EQ(editable->DrugName, QStringLiteral("Анальгин"));
}

TEST(Edit, RewritesEveryFieldInPlace)
{
    StockRecord old = batch(QStringLiteral("Старое"), 10, 3);
    old.ReceivedQuantity = 15;
    Files files({batch(QStringLiteral("А"), 1, 1), old, batch(QStringLiteral("В"), 1, 1)});
    const QByteArray before = files.base();
    ops::BatchInput in = input(QStringLiteral("12"), QStringLiteral("3"), QStringLiteral("Новое"));
    in.manufacturer = QString(55, QChar(u'И'));
    const auto stored = ops::storeEdit(files.path(), 1, in);

    const auto after = files.stock();
    ASSERT_EQ(after.size(), 3u);
    const StockRecord &r = after[1];
    EXPECT_EQ(r.DrugName, QStringLiteral("Новое"));
    EXPECT_EQ(r.Quantity, 12);
    EXPECT_EQ(r.ReceivedQuantity, 12);
    EXPECT_EQ(r.TotalSum, 36);
    EXPECT_EQ(r.ReceivedSum, 36);
    EXPECT_EQ(r.RecordId, 1);
    EXPECT_EQ(r.Deleted, 0);
    EXPECT_EQ(r.Unit, QStringLiteral("Ампулы"));
    EXPECT_EQ(r.ReceiptDate, text::dateToSerial(QDate(2024, 1, 1)));
    EXPECT_EQ(r.Manufacturer, QString(50, QChar(u'И')));
    EXPECT_EQ(stockRowCells(stored.row())[stockcol::Manufacturer], QString(50, QChar(u'И')));
    EXPECT_EQ(stockRowCells(stored.row())[stockcol::Quantity], QStringLiteral("12"));
    EXPECT_EQ(stockRowCells(stored.row())[stockcol::TotalSum], QStringLiteral("36"));
    EXPECT_EQ(stockRowCells(stored.row())[stockcol::RecordId], QStringLiteral("1"));
    // the neighbours are untouched
    EXPECT_EQ(files.base().left(StockRecord::Size), before.left(StockRecord::Size));
    EXPECT_EQ(files.base().mid(2 * StockRecord::Size), before.mid(2 * StockRecord::Size));
}

// --- delete ----------------------------------------------------------------

TEST(Delete, MarksTheBatchAndEveryIssueOfIt)
{
    std::vector<IssueRecord> issues{issueOf(1, 1), issueOf(0, 1), issueOf(1, 2, 1),
                                    issueOf(2, 1), issueOf(1, 3), issueOf(1, 4)};
    Files files({batch(QStringLiteral("А"), 1, 1), batch(QStringLiteral("Б"), 1, 1),
                 batch(QStringLiteral("В"), 1, 1), batch(QStringLiteral("Г"), 1, 1)},
                issues);
    QByteArray expectedRashod = files.rashod();
    for (int i : {0, 2, 4, 5})
        expectedRashod[i * IssueRecord::Size + IssueRecord::DeletedOffset] = 1;
    QByteArray expectedBase = files.base();
    expectedBase[1 * StockRecord::Size + StockRecord::DeletedOffset] = 1;

    ops::deleteBatch(files.path(), 1);
    EXPECT_EQ(files.rashod(), expectedRashod);
    EXPECT_EQ(files.base(), expectedBase);

    const auto next =
        ops::storeReceipt(files.path(), input(QStringLiteral("1"), QStringLiteral("1")));
    EXPECT_EQ(next.record.RecordId, 1);
    EXPECT_EQ(files.base().size(), 4 * StockRecord::Size);
}

TEST(Delete, BatchWithoutIssuesLeavesRashodAlone)
{
    Files files({batch(QStringLiteral("А"), 1, 1)}, {issueOf(3, 1), issueOf(4, 1, 1)});
    const QByteArray rashod = files.rashod();
    ops::deleteBatch(files.path(), 0);
    EXPECT_EQ(files.rashod(), rashod);
    EXPECT_EQ(files.stock().at(0).Deleted, 1);
}

TEST(Delete, FailedBatchMarkRestoresTheIssues)
{
    Files files({batch(QStringLiteral("А"), 1, 1), batch(QStringLiteral("Б"), 1, 1),
                 batch(QStringLiteral("В"), 1, 1)},
                {issueOf(2, 1), issueOf(0, 1), issueOf(2, 2, 1), issueOf(2, 3)});
    const QByteArray rashod = files.rashod();
    files.truncateBase(2); // the batch's record is gone: marking it fails
    EXPECT_THROW(ops::deleteBatch(files.path(), 2), Error);
    EXPECT_EQ(files.rashod(), rashod);
}

} // namespace

// --- the stock list's read ----------------------------------------------------

TEST(StockRead, LiveBatchesInFileOrderWithTheShareReadAfterEachRecord)
{
    struct Case
    {
        std::vector<int> deleted;
        int tailBytes; // an incomplete record at the end
        QStringList ids; // of the rows, in the order they came
        std::vector<int> percents;
    };
    // Three hundred records tell each percent once, from 0 after the first.
    Case many{std::vector<int>(300, 0), 0, {}, {}};
    for (int i = 0; i < 300; ++i)
        many.ids << QString::number(i);
    for (int p = 0; p <= 100; ++p)
        many.percents.push_back(p);
    const Case cases[] = {
        {{}, 0, {}, {}},
        {{1, 1, 1}, 0, {}, {33, 66, 100}},
        {{0, 1, 0, 0}, 100, {"0", "2", "3"}, {25, 50, 75, 100}},
        {{0, 0, 0, 0, 0, 0, 0, 0},
         0,
         {"0", "1", "2", "3", "4", "5", "6", "7"},
         {12, 25, 37, 50, 62, 75, 87, 100}},
        many,
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << c.deleted.size() << " records");
        Files files(withDeleted(c.deleted));
        files.write(QStringLiteral("Base.dat"), files.base() + QByteArray(c.tailBytes, 'x'));
        QStringList ids;
        std::vector<int> percents;
        ops::readStock(
            files.path(),
            [&](qint64, const StockRecord &r) { ids << stockRowCells(r)[stockcol::RecordId]; },
            [&](int percent) { percents.push_back(percent); });
        EXPECT_EQ(ids, c.ids);
        EXPECT_EQ(percents, c.percents);
        EXPECT_EQ(ops::stockRecordCount(files.path()), qint64(c.deleted.size()));
    }
}
