// The stock-take: the count laid over the book quantities, the draft, and the
// posting that brings the books in line with the count.
#include "operations/Stocktake.h"
#include "operations/Undo.h"
#include "reports/ReportTestData.h"
#include "store/CountFile.h"
#include "store/Error.h"
#include "store/History.h"
#include "store/IntegrityCheck.h"
#include "store/RecordFile.h"
#include "store/ReferenceLists.h"

#include <QMap>
#include <gtest/gtest.h>

using namespace reporttest;
using namespace vedaris;

namespace {

const QDate D = day(10);

// A consistent folder: every batch's quantity is what its live issues left.
// Batch 2 is deleted (its slot free), so is the second issue slot.
struct Folder
{
    TempDataDir dir;
    Data data;
    qint32 analgin, bint, vata, iod;

    Folder()
    {
        analgin = data.add(
            Stock{.name = "Анальгин", .quantity = 5, .price = 2.5, .receivedQuantity = 10});
        bint = data.add(Stock{
            .name = "Бинт", .quantity = 15, .price = 3, .receivedQuantity = 20, .series = "B2"});
        data.add(Stock{.name = "Удалённый", .deleted = true});
        vata = data.add(Stock{.name = "Вата", .quantity = 7, .price = 1});
        iod = data.add(Stock{.name = "Йод", .quantity = 4, .price = 10});
        data.add(Issue{analgin, day(5), 2});
        data.add(Issue{bint, day(4), 1, "Хирургия", true});
        data.add(Issue{analgin, day(15), 3}); // after the count's day
        data.add(Issue{bint, day(3), 5});
        data.addDepartment(QStringLiteral("Хирургия"));
        data.writeTo(dir);
    }

    QString path() const { return dir.path(); }

    // The draft with `counts` typed against the rows of the day.
    void count(const QMap<qint32, QString> &counts) const
    {
        std::vector<ops::CountRow> rows = ops::countRows(path(), count::Count{D, false, {}});
        for (ops::CountRow &r : rows)
            r.counted = counts.value(r.book.batch.RecordId);
        count::save(path(), ops::draftOf(D, rows));
    }

    // The book quantity at D of every name and series: a surplus batch adds to its batch's line.
    QMap<QString, double> bookAtD() const
    {
        QMap<QString, double> out;
        for (const ops::BookLine &l : ops::bookQuantities(path(), D))
            out[l.batch.DrugName + "/" + l.batch.Series] += l.quantity;
        return out;
    }
};

} // namespace

TEST(Stocktake, RowsAreTheBookLinesOfTheDayWithTheDraftsCounts)
{
    Folder f;
    f.count({{f.analgin, "6"}, {f.bint, "18"}});
    const std::optional<count::Count> draft = count::read(f.path());
    ASSERT_TRUE(draft);
    EXPECT_FALSE(draft->posted);
    EXPECT_EQ(draft->lines.size(), 2u);

    const std::vector<ops::CountRow> rows = ops::countRows(f.path(), *draft);
    ASSERT_EQ(rows.size(), 4u); // by name: Анальгин, Бинт, Вата, Йод
    struct Expected
    {
        const char *name;
        double book;
        const char *counted;
        double difference, sum;
    };
    const Expected expected[] = {{"Анальгин", 8, "6", -2, -5},
                                 {"Бинт", 15, "18", 3, 9},
                                 {"Вата", 7, "", 0, 0},
                                 {"Йод", 4, "", 0, 0}};
    for (size_t i = 0; i < rows.size(); ++i) {
        SCOPED_TRACE(expected[i].name);
        EXPECT_EQ(rows[i].book.batch.DrugName, QString::fromUtf8(expected[i].name));
        EXPECT_EQ(rows[i].book.quantity, expected[i].book);
        EXPECT_EQ(rows[i].counted, QString::fromUtf8(expected[i].counted));
        EXPECT_EQ(rows[i].difference(), expected[i].difference);
        EXPECT_EQ(rows[i].differenceSum(), expected[i].sum);
    }

    // A count whose batch's slot now holds another drug does not carry over.
    count::Count stale = *draft;
    stale.lines[0].drugName = QStringLiteral("Другой");
    EXPECT_EQ(ops::countRows(f.path(), stale)[0].counted, QString());
}

TEST(Stocktake, PostingWritesOffShortagesReceivesSurplusesAndTheBooksAtTheDayShowTheCount)
{
    Folder f;
    f.count({{f.analgin, "6"}, {f.bint, "18"}, {f.vata, "7"}});
    const ops::Posted posted = ops::postCount(f.path());
    EXPECT_EQ(posted.shortages, 1);
    EXPECT_EQ(posted.surpluses, 1);
    EXPECT_EQ(posted.shortageSum, 5);
    EXPECT_EQ(posted.surplusSum, 9);

    // Counted lines at the count's quantity, the uncounted one as it was,
    // whatever was issued after the day.
    const QMap<QString, double> book = f.bookAtD();
    EXPECT_EQ(book.value("Анальгин/S1"), 6);
    EXPECT_EQ(book.value("Бинт/B2"), 18);
    EXPECT_EQ(book.value("Вата/S1"), 7);
    EXPECT_EQ(book.value("Йод/S1"), 4);

    TypedFile<StockRecord> base(files::path(f.path(), files::Base), RecordFile::ReadOnly);
    const StockRecord a = base.read(f.analgin);
    EXPECT_EQ(a.Quantity, 3); // 5 live less the shortage of 2
    EXPECT_EQ(a.TotalSum, 7.5);
    // The surplus took the free slot: the same batch but for document, date and quantity.
    const StockRecord s = base.read(2);
    const StockRecord b = base.read(f.bint);
    EXPECT_EQ(s.Deleted, 0);
    EXPECT_EQ(s.RecordId, 2);
    EXPECT_EQ(s.ReceiptDocument, QStringLiteral("Излишки по инвентаризации от 10.02.2024"));
    EXPECT_EQ(s.ReceiptDate, serial(D));
    EXPECT_EQ(s.Quantity, 3);
    EXPECT_EQ(s.ReceivedQuantity, 3);
    EXPECT_EQ(s.TotalSum, 9);
    EXPECT_EQ(s.ReceivedSum, 9);
    for (auto field : {&StockRecord::DrugName, &StockRecord::Unit, &StockRecord::Series,
                       &StockRecord::Supplier, &StockRecord::Manufacturer})
        EXPECT_EQ(s.*field, b.*field);
    EXPECT_EQ(s.ExpiryDate, b.ExpiryDate);
    EXPECT_EQ(s.UnitPrice, b.UnitPrice);
    EXPECT_EQ(b.Quantity, 15);

    // The shortage is a write-off dated the day, in the deleted issue's slot.
    TypedFile<IssueRecord> rashod(files::path(f.path(), files::Rashod), RecordFile::ReadOnly);
    const IssueRecord w = rashod.read(1);
    EXPECT_EQ(w.Deleted, 0);
    EXPECT_EQ(w.Department, QStringLiteral("Списание: Недостача"));
    EXPECT_EQ(w.IssueDate, serial(D));
    EXPECT_EQ(w.IssuedQuantity, 2);
    EXPECT_EQ(w.IssuedSum, 5);
    EXPECT_EQ(w.StockRecordId, f.analgin);
    EXPECT_TRUE(
        ReferenceList(f.path(), RefKind::Departments).liveNames().contains("Списание: Недостача"));
    for (const check::Finding &x : check::run(f.path()).findings)
        ADD_FAILURE() << x.line().toStdString();

    // The count stays, posted, with its lines as they stood, and is not posted twice.
    const std::optional<count::Count> kept = count::read(f.path());
    ASSERT_TRUE(kept);
    EXPECT_TRUE(kept->posted);
    const std::vector<ops::CountRow> rows = ops::countRows(f.path(), *kept);
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[0].book.quantity, 8);
    EXPECT_EQ(rows[0].difference(), -2);
    EXPECT_EQ(rows[1].difference(), 3);
    const QByteArray files = f.dir.read(files::Base) + f.dir.read(files::Rashod);
    EXPECT_THROW(ops::postCount(f.path()), Error);
    EXPECT_EQ(f.dir.read(files::Base) + f.dir.read(files::Rashod), files);

    // The history names the posting; its undo is refused, for the count stays posted.
    const std::optional<history::Entry> last = ops::lastUndoable(f.path());
    ASSERT_TRUE(last);
    EXPECT_EQ(last->kind, history::kind::Stocktake);
    const ops::UndoResult undo = ops::undoLast(f.path());
    EXPECT_FALSE(undo.done);
    EXPECT_TRUE(undo.text.contains(QStringLiteral("новая инвентаризация")))
        << undo.text.toStdString();
    EXPECT_EQ(f.dir.read(files::Base) + f.dir.read(files::Rashod), files);
}

TEST(Stocktake, PostingIsRefusedWithNothingWritten)
{
    struct Case
    {
        const char *what;
        QMap<qint32, QString> counts; // by record; none: no draft at all
        const char *reason;
    };
    const Case cases[] = {
        {"no draft", {}, "инвентаризация не начата"},
        // 5 left after 3 were issued after the day: a shortage of 8 cannot be written off.
        {"a shortage beyond what the batch still holds",
         {{0, "0"}},
         "после 10.02.2024 выдано больше"},
        {"a count that is no number", {{0, "1,2,3"}}, ""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        Folder f;
        if (!c.counts.isEmpty())
            f.count(c.counts);
        QMap<QString, QByteArray> before;
        for (const QString &name : files::All)
            before[name] = f.dir.read(name);
        try {
            ops::postCount(f.path());
            ADD_FAILURE() << "posted";
        } catch (const Error &e) {
            EXPECT_TRUE(e.message().contains(QString::fromUtf8(c.reason)))
                << e.message().toStdString();
        }
        for (const QString &name : files::All)
            EXPECT_EQ(f.dir.read(name), before[name]) << name.toStdString();
        if (!c.counts.isEmpty()) {
            EXPECT_FALSE(count::read(f.path())->posted);
        }
    }
}

TEST(CountFile, RoundTripsEveryFieldAndRefusesWhatIsNotACount)
{
    count::Count c;
    c.date = day(31, 12, 2026);
    c.posted = true;
    c.lines.push_back({7, QStringLiteral("Анальгин \"форте\"\t№1"), QStringLiteral("уп"),
                       QStringLiteral("A-1"), 46000.0, 12.34, 5.5, QStringLiteral("5,25")});
    c.lines.push_back({0, {}, {}, {}, 0, 0, 0, {}});
    const count::Count back = count::decode(count::encode(c), "x");
    EXPECT_EQ(back.date, c.date);
    EXPECT_TRUE(back.posted);
    ASSERT_EQ(back.lines.size(), 2u);
    const count::Line &l = back.lines[0];
    EXPECT_EQ(l.recordId, 7);
    EXPECT_EQ(l.drugName, c.lines[0].drugName);
    EXPECT_EQ(l.unit, QStringLiteral("уп"));
    EXPECT_EQ(l.series, QStringLiteral("A-1"));
    EXPECT_EQ(l.expiry, 46000.0);
    EXPECT_EQ(l.price, 12.34);
    EXPECT_EQ(l.book, 5.5);
    EXPECT_EQ(l.counted, QStringLiteral("5,25"));

    for (const char *bad :
         {"", "{", "[]", "{\"format\":\"other\"}",
          "{\"format\":\"vedaris-count\",\"version\":2,\"date\":\"2026-01-01\"}",
          "{\"format\":\"vedaris-count\",\"version\":1}",
          "{\"format\":\"vedaris-count\",\"version\":1,\"date\":\"2026-01-01\",\"lines\":[{}]}"})
        EXPECT_THROW(count::decode(QByteArray(bad), "x"), Error) << bad;
}
