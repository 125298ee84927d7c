#include "mirror/Mirror.h"
#include "DataGenerator.h"
#include "PgServer.h"
#include "mirror/Pg.h"
#include "operations/StockOperations.h"
#include "reports/Reports.h"
#include "store/DataFiles.h"
#include "store/IntegrityCheck.h"
#include "store/Journal.h"
#include "store/RecordFile.h"
#include "store/Records.h"
#include "store/ReferenceLists.h"
#include "store/TextFormats.h"
#include "support/TempDataDir.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSet>
#include <QTemporaryDir>
#include <QThread>
#include <cmath>
#include <gtest/gtest.h>

using namespace vedaris;

namespace {

struct ToolRun
{
    int exitCode = -1;
    QString out;
    QString err;
    std::string all() const { return (out + err).toStdString(); }
};

ToolRun tool(const QString &name, const QStringList &args)
{
    QProcess p;
    p.start(QStringLiteral(VEDARIS_DIST_DIR "/") + name, args);
    if (!p.waitForFinished(300000) || p.exitStatus() != QProcess::NormalExit)
        return {};
    return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()),
            QString::fromUtf8(p.readAllStandardError())};
}

ToolRun runMirror(const QString &dir, const QString &store, const QString &conninfo,
                  const QStringList &extra = {})
{
    return tool(QStringLiteral("vedaris-mirror"),
                QStringList{"--data", dir, "--store", store, "--to", conninfo} + extra);
}

using Rows = std::vector<QStringList>;

Rows query(const QString &conninfo, const QString &sql, const QStringList &params = {})
{
    pg::Connection db(conninfo);
    const pg::Result r = db.exec(sql, params);
    Rows out;
    for (int i = 0; i < r.rows(); ++i) {
        QStringList row;
        for (int c = 0; c < r.columns(); ++c)
            row << (r.isNull(i, c) ? QStringLiteral("<null>") : r.text(i, c));
        out.push_back(row);
    }
    return out;
}

// Every view of one store, the store column left out, in a fixed order, a
// line per row.
std::string storeViews(const QString &conninfo, const QString &store)
{
    std::string all;
    const QStringList views = {
        "SELECT 'stock', record_id, drug_name, unit, supplier, manufacturer, receipt_document, "
        "series, receipt_date, "
        "expiry_date, quantity, received_quantity, unit_price, total_sum, received_sum FROM "
        "vedaris.stock WHERE store "
        "= $1 ORDER BY 2, 3",
        "SELECT 'issue', record_id, stock_record_id, drug_name, unit, department, issue_date, "
        "quantity, unit_price, "
        "issued_sum FROM vedaris.issues WHERE store = $1 ORDER BY 2",
        "SELECT 'name', entry_id, name, unit FROM vedaris.drug_names WHERE store = $1 ORDER BY 2, "
        "3, 4",
        "SELECT 'supplier', entry_id, name FROM vedaris.suppliers WHERE store = $1 ORDER BY 2, 3",
        "SELECT 'maker', entry_id, name FROM vedaris.manufacturers WHERE store = $1 ORDER BY 2, 3",
        "SELECT 'department', entry_id, name FROM vedaris.departments WHERE store = $1 ORDER BY 2, "
        "3",
        "SELECT 'figures', batches, stock_value, expired_value, expiring_90_value, month_quantity, "
        "month_consumption "
        "FROM vedaris.store_figures('2024-06-15') WHERE store = $1",
        "SELECT 'consumption', department, month, issues, quantity, issued_sum FROM "
        "vedaris.consumption WHERE store = "
        "$1 ORDER BY 2, 3",
    };
    for (const QString &v : views) {
        for (const QStringList &row : query(conninfo, v, {store}))
            all += row.join(QLatin1Char('|')).toStdString() + "\n";
    }
    return all;
}

// What PostgreSQL shows for a stored number: equal when both are the same double.
bool sameNumber(const QString &shown, double stored)
{
    if (std::isnan(stored))
        return shown == QLatin1String("NaN");
    if (std::isinf(stored))
        return shown == (stored > 0 ? QLatin1String("Infinity") : QLatin1String("-Infinity"));
    return std::strtod(shown.toUtf8().constData(), nullptr) == stored;
}

QString shownDate(double serial)
{
    if (!std::isfinite(serial) || serial < -693593 || serial >= 2958466)
        return QStringLiteral("<null>");
    return QDate(1899, 12, 30).addDays(qint64(std::floor(serial))).toString(Qt::ISODate);
}

QString shownText(QString text)
{
    return text.replace(QChar(0), QChar(0xFFFD));
}

// The first line where two listings differ, or nothing when they agree.
std::string firstDifference(const std::string &a, const std::string &b)
{
    const QStringList la = QString::fromStdString(a).split('\n'),
                      lb = QString::fromStdString(b).split('\n');
    for (qsizetype i = 0; i < std::max(la.size(), lb.size()); ++i) {
        const QString x = la.value(i, "<end>"), y = lb.value(i, "<end>");
        if (x != y)
            return QStringLiteral("line %1:\n  %2\n  %3").arg(i).arg(x, y).toStdString();
    }
    return {};
}

QByteArray fileBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void copyFiles(const QString &from, const QString &to)
{
    QDir().mkpath(to);
    for (const QString &name : files::All) {
        QFile::remove(files::path(to, name));
        ASSERT_TRUE(QFile::copy(files::path(from, name), files::path(to, name)));
    }
}

gen::Options smallStore(std::uint64_t seed)
{
    gen::Options o;
    o.seed = seed;
    o.batches = 300;
    o.issues = 3000;
    o.hostile = true;
    return o;
}

// The awkward store, less the second live entry of exactly the same text that
// hostile lists may hold: vedaris-check reports one, and the mirror's clean
// runs need a store it passes.
gen::Data smallData(std::uint64_t seed)
{
    gen::Data d = gen::generate(smallStore(seed));
    const auto dropRepeats = [](auto &entries, auto key) {
        QSet<QString> seen;
        for (auto &e : entries) {
            if (e.Deleted != 0)
                continue;
            const QString k = key(e);
            if (seen.contains(k))
                e.Deleted = 1;
            else
                seen.insert(k);
        }
    };
    dropRepeats(d.names, [](const DrugNameEntry &e) { return e.Name + QChar(0x1f) + e.Unit; });
    for (auto *list : {&d.suppliers, &d.manufacturers, &d.departments})
        dropRepeats(*list, [](const ReferenceEntry &e) { return e.Name; });
    return d;
}

class Mirror : public ::testing::Test
{
protected:
    void SetUp() override { db = PgServer::shared().conninfo(PgServer::shared().newDatabase()); }
    QString db;
};

ops::BatchInput batch(const QString &name, const QString &quantity, const QDate &expiry)
{
    ops::BatchInput in;
    in.drugName = name;
    in.manufacturer = QStringLiteral("Фармстандарт");
    in.supplier = QStringLiteral("Аптечный склад №1");
    in.receiptDocument = QStringLiteral("Накл. 17\t\\ \"в кавычках\"");
    in.series = QStringLiteral("AB-12");
    in.receiptDate = QDate(2024, 6, 1);
    in.unit = QStringLiteral("уп.");
    in.quantityText = quantity;
    in.priceText = QStringLiteral("12,35");
    in.expiryDate = expiry;
    return in;
}

} // namespace

TEST_F(Mirror, FirstLoadEqualsTheFilesEveryLiveRecordEveryField)
{
    TempDataDir dir;
    const gen::Data data = smallData(7);
    gen::write(data, dir.path());
    const QByteArray baseBefore = fileBytes(dir.file(files::Base));

    const ToolRun run = runMirror(dir.path(), QStringLiteral("Аптека ЦРБ"), db);
    ASSERT_EQ(run.exitCode, 0) << run.all();
    EXPECT_TRUE(run.out.contains(QStringLiteral("загружен полностью"))) << run.all();
    EXPECT_EQ(fileBytes(dir.file(files::Base)), baseBefore);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 6)
        << "the mirror must write nothing into the folder";

    const Rows stock = query(
        db,
        "SELECT record_id, drug_name, unit, supplier, manufacturer, receipt_document, series, "
        "receipt_date, expiry_date, quantity, received_quantity, unit_price, total_sum, "
        "received_sum, store FROM vedaris.stock ORDER BY record_id");
    size_t i = 0;
    for (const StockRecord &r : data.stock) {
        if (r.Deleted == 1)
            continue;
        ASSERT_LT(i, stock.size());
        const QStringList &row = stock[i++];
        EXPECT_EQ(row[0].toInt(), r.RecordId);
        EXPECT_EQ(row[1], shownText(r.DrugName));
        EXPECT_EQ(row[2], shownText(r.Unit));
        EXPECT_EQ(row[3], shownText(r.Supplier));
        EXPECT_EQ(row[4], shownText(r.Manufacturer));
        EXPECT_EQ(row[5], shownText(r.ReceiptDocument));
        EXPECT_EQ(row[6], shownText(r.Series));
        EXPECT_EQ(row[7], shownDate(r.ReceiptDate));
        EXPECT_EQ(row[8], shownDate(r.ExpiryDate));
        const double numbers[] = {r.Quantity, r.ReceivedQuantity, r.UnitPrice, r.TotalSum,
                                  r.ReceivedSum};
        for (int n = 0; n < 5; ++n)
            EXPECT_TRUE(sameNumber(row[9 + n], numbers[n]))
                << row[9 + n].toStdString() << " vs " << numbers[n];
        EXPECT_EQ(row[14], QStringLiteral("Аптека ЦРБ"));
    }
    EXPECT_EQ(i, stock.size());

    const Rows issues = query(
        db,
        "SELECT record_id, stock_record_id, drug_name, unit, department, issue_date, quantity, "
        "unit_price, issued_sum FROM vedaris.issues ORDER BY record_id");
    i = 0;
    for (size_t slot = 0; slot < data.issues.size(); ++slot) {
        const IssueRecord r = data.issueRecord(slot);
        if (r.Deleted == 1)
            continue;
        ASSERT_LT(i, issues.size());
        const QStringList &row = issues[i++];
        EXPECT_EQ(row[0].toLongLong(), qint64(slot));
        EXPECT_EQ(row[1].toInt(), r.StockRecordId);
        EXPECT_EQ(row[2], shownText(r.DrugName));
        EXPECT_EQ(row[3], shownText(r.Unit));
        EXPECT_EQ(row[4], shownText(r.Department));
        EXPECT_EQ(row[5], shownDate(r.IssueDate));
        EXPECT_TRUE(sameNumber(row[6], r.IssuedQuantity));
        EXPECT_TRUE(sameNumber(row[7], r.UnitPrice));
        EXPECT_TRUE(sameNumber(row[8], r.IssuedSum));
    }
    EXPECT_EQ(i, issues.size());

    const std::pair<const char *, const std::vector<ReferenceEntry> *> lists[] = {
        {"suppliers", &data.suppliers},
        {"manufacturers", &data.manufacturers},
        {"departments", &data.departments}};
    for (const auto &[view, entries] : lists) {
        const Rows rows =
            query(db,
                  QStringLiteral("SELECT entry_id, name FROM vedaris.%1 ORDER BY entry_id, name")
                      .arg(view));
        Rows expected;
        for (const ReferenceEntry &e : *entries)
            if (e.Deleted != 1)
                expected.push_back({QString::number(e.EntryId), shownText(e.Name)});
        std::sort(expected.begin(), expected.end(), [](const QStringList &a, const QStringList &b) {
            return a[0].toInt() != b[0].toInt() ? a[0].toInt() < b[0].toInt() : a[1] < b[1];
        });
        EXPECT_EQ(rows, expected) << view;
    }
    EXPECT_EQ(query(db, "SELECT count(*) FROM vedaris.drug_names")[0][0].toLongLong(),
              std::count_if(data.names.begin(), data.names.end(),
                            [](const DrugNameEntry &e) { return e.Deleted != 1; }));

    // Nothing changed: nothing written, and it says so.
    const Rows loadedAt = query(db, "SELECT last_loaded, xmin::text FROM vedaris.stores");
    const ToolRun again = runMirror(dir.path(), QStringLiteral("Аптека ЦРБ"), db);
    EXPECT_EQ(again.exitCode, 0) << again.all();
    EXPECT_TRUE(again.out.contains(QStringLiteral("изменений нет, в базу ничего не записано")))
        << again.all();
    EXPECT_EQ(query(db, "SELECT last_loaded, xmin::text FROM vedaris.stores"), loadedAt);
}

// Each step changes the store through the program's own operations (or puts a
// backup back); after each, the incremental mirror must show what a fresh load
// of the same files shows.
TEST_F(Mirror, IncrementalRunsAgreeWithAFreshLoad)
{
    TempDataDir dir;
    gen::write(smallData(11), dir.path());
    QTemporaryDir backup;
    copyFiles(dir.path(), backup.path());
    const QString store = QStringLiteral("inc");
    ASSERT_EQ(runMirror(dir.path(), store, db).exitCode, 0);

    auto liveBatch = [&](int nth) {
        std::vector<qint32> ids;
        TypedFile<StockRecord> base(dir.file(files::Base), RecordFile::ReadOnly);
        base.forEach([&](qint64, const StockRecord &r) {
            if (r.Deleted != 1 && r.Quantity > 1)
                ids.push_back(r.RecordId);
            return true;
        });
        return ids.at(size_t(nth));
    };
    auto editable = [&]() {
        qint32 id = -1;
        TypedFile<StockRecord> base(dir.file(files::Base), RecordFile::ReadOnly);
        base.forEach([&](qint64, const StockRecord &r) {
            if (r.Deleted != 1 && ops::readForEdit(dir.path(), r.RecordId)) {
                id = r.RecordId;
                return false;
            }
            return true;
        });
        return id;
    };

    struct Step
    {
        const char *name;
        std::function<void()> change;
        std::function<void(const mirror::Outcome &)> expect;
    };
    qint32 reusedSlot = -1;
    const std::vector<Step> steps = {
        {"receipts",
         [&] {
             for (int n = 0; n < 3; ++n)
                 ops::storeReceipt(dir.path(),
                                   batch(QStringLiteral("Новый препарат %1").arg(n),
                                         QStringLiteral("40"), QDate(2024, 8, 1)));
         },
         {}},
        {"issues",
         [&] {
             for (int n = 0; n < 4; ++n) {
                 const qint32 id = liveBatch(n);
                 ops::storeIssue(dir.path(), id, ops::readBatch(dir.path(), id),
                                 QStringLiteral("1"), QStringLiteral("Хирургия"),
                                 QDate(2024, 6, 10));
             }
         },
         {}},
        {"edit",
         [&] {
             const qint32 id = editable();
             ASSERT_GE(id, 0);
             ops::storeEdit(
                 dir.path(), id,
                 batch(QStringLiteral("Исправленное имя"), QStringLiteral("7"), QDate(2025, 1, 1)));
         },
         {}},
        {"deletions",
         [&] {
             reusedSlot = liveBatch(5);
             ops::deleteBatch(dir.path(), reusedSlot);
             ops::deleteBatch(dir.path(), liveBatch(6));
         },
         [](const mirror::Outcome &o) { EXPECT_GE(o.files[0].deleted, 2); }},
        {"slot reuse",
         [&] {
             const auto stored = ops::storeReceipt(
                 dir.path(),
                 batch(QStringLiteral("В чужой ячейке"), QStringLiteral("5"), QDate(2024, 7, 1)));
             ASSERT_LE(stored.record.RecordId, reusedSlot)
                 << "a receipt takes the first deleted slot";
             reusedSlot = stored.record.RecordId;
             ops::storeIssue(dir.path(), reusedSlot, ops::readBatch(dir.path(), reusedSlot),
                             QStringLiteral("2"), QStringLiteral("Терапия"), QDate(2024, 6, 12));
         },
         [&](const mirror::Outcome &o) { EXPECT_GE(o.files[0].reused, 1); }},
        {"reference lists",
         [&] {
             ReferenceList(dir.path(), RefKind::Departments).add(QStringLiteral("Новое отделение"));
             ReferenceList suppliers(dir.path(), RefKind::Suppliers);
             suppliers.remove(suppliers.liveRows().first().entryId);
         },
         {}},
        {"restored backup", [&] { copyFiles(backup.path(), dir.path()); }, {}},
        {"no change", [] {}, [](const mirror::Outcome &o) { EXPECT_FALSE(o.wrote); }},
    };

    int n = 0;
    for (const Step &step : steps) {
        SCOPED_TRACE(step.name);
        step.change();
        mirror::Options options;
        options.dataDir = dir.path();
        options.store = store;
        options.conninfo = db;
        const mirror::Outcome out = mirror::run(options);
        if (step.expect)
            step.expect(out);
        else
            EXPECT_TRUE(out.wrote);
        const QString fresh = QStringLiteral("fresh%1").arg(++n);
        const ToolRun f = runMirror(dir.path(), fresh, db);
        ASSERT_TRUE(f.exitCode == 0 || f.exitCode == 2) << f.all();
        EXPECT_EQ(firstDifference(storeViews(db, store), storeViews(db, fresh)), "");
        if (std::string(step.name) == "slot reuse") {
            // The old batch of the slot stays as history beside the new one.
            const Rows rows = query(
                db,
                "SELECT generation, current, live FROM vedaris.stock_records WHERE store = $1 "
                "AND slot = $2 ORDER BY generation",
                {store, QString::number(reusedSlot)});
            ASSERT_EQ(rows.size(), 2u);
            EXPECT_EQ(rows[0], (QStringList{"0", "f", "f"}));
            EXPECT_EQ(rows[1], (QStringList{"1", "t", "t"}));
        }
    }
}

TEST_F(Mirror, ARunDuringAnOperationWaitsThenRefuses)
{
    TempDataDir dir;
    gen::write(smallData(3), dir.path());
    dir.write(Transaction::FileName, QByteArray("journal of an operation under way"));

    const ToolRun refused = runMirror(dir.path(), QStringLiteral("s"), db);
    EXPECT_EQ(refused.exitCode, 2);
    EXPECT_TRUE(refused.err.contains(QStringLiteral("журнал незавершённой операции")))
        << refused.all();
    EXPECT_TRUE(refused.err.contains(QStringLiteral("повторяю чтение")))
        << "it waits before refusing";
    EXPECT_TRUE(query(db, "SELECT 1 FROM pg_namespace WHERE nspname = 'vedaris'").empty())
        << "nothing at all may be written, not even the schema";

    // The operation ends while the mirror waits: it then loads.
    QProcess p;
    p.start(QStringLiteral(VEDARIS_DIST_DIR "/vedaris-mirror"),
            {"--data", dir.path(), "--store", "s", "--to", db});
    ASSERT_TRUE(p.waitForStarted());
    QThread::msleep(1500);
    QFile::remove(dir.file(Transaction::FileName));
    ASSERT_TRUE(p.waitForFinished(60000));
    EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
    EXPECT_GT(query(db, "SELECT count(*) FROM vedaris.stock WHERE store = 's'")[0][0].toInt(), 0);
}

TEST_F(Mirror, TwoStoresInOneDatabaseAndANameTakenByAnotherFolder)
{
    TempDataDir a, b;
    gen::write(smallData(21), a.path());
    gen::write(smallData(22), b.path());
    ASSERT_EQ(runMirror(a.path(), "A", db).exitCode, 0);
    ASSERT_EQ(runMirror(b.path(), "B", db).exitCode, 0);
    const std::string viewsA = storeViews(db, "A");
    const std::string viewsB = storeViews(db, "B");
    EXPECT_NE(viewsA, viewsB);

    // B's folder under A's name: refused, A untouched; --replace takes it over.
    const ToolRun taken = runMirror(b.path(), "A", db);
    EXPECT_EQ(taken.exitCode, 2);
    EXPECT_TRUE(taken.err.contains(QStringLiteral("уже загружен в эту базу из другой папки")))
        << taken.all();
    EXPECT_EQ(firstDifference(storeViews(db, "A"), viewsA), "");
    const ToolRun replaced = runMirror(b.path(), "A", db, {"--replace"});
    EXPECT_EQ(replaced.exitCode, 0) << replaced.all();
    EXPECT_EQ(firstDifference(storeViews(db, "A"), viewsB), "");
    EXPECT_EQ(firstDifference(storeViews(db, "B"), viewsB), "");
}

TEST_F(Mirror, BadInputIsRefusedInRussianAndWritesNothing)
{
    TempDataDir dir;
    gen::write(smallData(5), dir.path());
    const PgServer &server = PgServer::shared();
    const QString dbName = db.section(QStringLiteral("dbname="), 1).section(QLatin1Char(' '), 0, 0);

    struct Case
    {
        const char *name;
        QString conninfo;
        QString message;
    };
    const Case cases[] = {
        {"unreachable",
         QStringLiteral("host=%1/none dbname=x user=vedaris").arg(server.socketDir()),
         QStringLiteral("сервер недоступен")},
        {"wrong password", server.conninfo(dbName, QStringLiteral("wrong")),
         QStringLiteral("сервер не принял имя пользователя или пароль")},
        {"no such database", server.conninfo(QStringLiteral("nosuchdb")),
         QStringLiteral("нет такой базы данных")},
    };
    for (const Case &c : cases) {
        const ToolRun r = runMirror(dir.path(), "s", c.conninfo);
        EXPECT_EQ(r.exitCode, 2) << c.name;
        EXPECT_TRUE(r.err.contains(c.message)) << c.name << ": " << r.all();
        EXPECT_FALSE(r.err.contains(QStringLiteral("wrong"))) << "the password is never shown";
    }

    EXPECT_EQ(runMirror(dir.path(), "s", QString()).exitCode, 2);

    // The consolidated workbook of a database no mirror has loaded yet.
    QTemporaryDir out;
    const ToolRun empty = tool(
        "vedaris-report",
        {"--from", db, "consolidated", "--date", "01.02.2024", "--output", out.filePath("c.xlsx")});
    EXPECT_EQ(empty.exitCode, 2);
    EXPECT_TRUE(empty.err.contains(QStringLiteral("нет схемы vedaris"))) << empty.all();
    EXPECT_FALSE(QFile::exists(out.filePath("c.xlsx")));

    // A schema from a newer version.
    ASSERT_EQ(runMirror(dir.path(), "s", db).exitCode, 0);
    query(db, "UPDATE vedaris.schema_info SET version = 99");
    const ToolRun newer = runMirror(dir.path(), "other", db);
    EXPECT_EQ(newer.exitCode, 2);
    EXPECT_TRUE(newer.err.contains(QStringLiteral("более новой версией"))) << newer.all();
    EXPECT_TRUE(query(db, "SELECT 1 FROM vedaris.stores WHERE store = 'other'").empty());
}

TEST_F(Mirror, DamagedRecordsAreLoadedAsTheyAreAndCountedAsTheCheckWordsThem)
{
    TempDataDir dir;
    gen::write(smallData(9), dir.path());
    // Record 2 gets a deletion mark of 7, a NaN quantity, a text whose length
    // byte runs past its field and a zero byte in its name; a half record ends the file.
    QByteArray base = fileBytes(dir.file(files::Base));
    char *rec = base.data() + 2 * StockRecord::Size;
    rec[layout::Stock::Deleted] = 7;
    const double nan = std::nan("");
    std::memcpy(rec + layout::Stock::Quantity, &nan, 8);
    rec[layout::Stock::Unit.offset] = char(200);
    rec[layout::Stock::DrugName.offset + 2] = 0;
    base.append(QByteArray(100, 'x'));
    dir.write(files::Base, base);

    const check::Result checked = check::run(dir.path());
    ASSERT_FALSE(checked.findings.isEmpty());
    const ToolRun run = runMirror(dir.path(), "damaged", db);
    EXPECT_EQ(run.exitCode, 2);
    for (const check::Finding &f : checked.findings)
        EXPECT_TRUE(run.err.contains(f.line())) << f.line().toStdString();
    EXPECT_TRUE(
        run.err.contains(QStringLiteral("найдено нарушений: %1").arg(checked.findings.size())))
        << run.all();

    const Rows row = query(db,
                           "SELECT quantity, unit, drug_name FROM vedaris.stock WHERE store = "
                           "'damaged' AND record_id = 2");
    ASSERT_EQ(row.size(), 1u) << "a mark of 7 counts as live, as the program reads it";
    EXPECT_EQ(row[0][0], QStringLiteral("NaN"));
    EXPECT_EQ(row[0][1].size(), 30) << "the length byte is cut to the field";
    EXPECT_TRUE(row[0][2].contains(QChar(0xFFFD)));
    EXPECT_EQ(
        query(db, "SELECT findings FROM vedaris.stores WHERE store = 'damaged'")[0][0].toInt(),
        checked.findings.size());

    // Unchanged: nothing written, the same findings told again.
    const ToolRun again = runMirror(dir.path(), "damaged", db);
    EXPECT_EQ(again.exitCode, 2);
    EXPECT_TRUE(again.out.contains(QStringLiteral("изменений нет")));
    EXPECT_TRUE(again.err.contains(checked.findings.first().line()));
}

namespace {

// The money total ("ИТОГО:" row, last number) of one of the store's own reports.
double reportTotal(reports::ReportKind kind, const QString &dir,
                   const reports::ReportParams &params)
{
    const reports::Outcome out = reports::runReport(kind, dir, params);
    if (out.empty())
        return 0;
    const reports::Workbook &book = *out.workbook;
    for (int row = book.lastRow(); row >= 1; --row) {
        bool totals = false;
        for (int col = 1; col <= book.lastColumn(); ++col) {
            const auto v = book.value(row, col);
            if (const QString *s = std::get_if<QString>(&v);
                s && s->startsWith(QStringLiteral("ИТОГО")))
                totals = true;
        }
        if (!totals)
            continue;
        for (int col = book.lastColumn(); col >= 1; --col) {
            const auto v = book.value(row, col);
            if (const double *d = std::get_if<double>(&v))
                return *d;
        }
    }
    ADD_FAILURE() << "no totals row";
    return 0;
}

bool near(double a, double b)
{
    return std::fabs(a - b) <= 1e-6 * std::max({1.0, std::fabs(a), std::fabs(b)});
}

} // namespace

TEST_F(Mirror, ConsolidatedFiguresEqualEachStoresOwnReports)
{
    TempDataDir a, b;
    gen::Options oa = smallStore(31), ob = smallStore(32);
    oa.hostile = ob.hostile = false;
    oa.first = ob.first = QDate(2023, 1, 1);
    oa.last = ob.last = QDate(2024, 12, 31);
    gen::write(gen::generate(oa), a.path());
    gen::write(gen::generate(ob), b.path());
    ASSERT_EQ(runMirror(a.path(), "A", db).exitCode, 0);
    ASSERT_EQ(runMirror(b.path(), "B", db).exitCode, 0);

    for (const QDate &day : {QDate(2024, 3, 15), QDate(2024, 11, 30)}) {
        SCOPED_TRACE(day.toString(Qt::ISODate).toStdString());
        const QVector<mirror::StoreFigures> figures = mirror::consolidated(db, day);
        ASSERT_EQ(figures.size(), 2);
        for (const mirror::StoreFigures &f : figures) {
            const QString dir = f.store == "A" ? a.path() : b.path();
            reports::ReportParams p;
            p.date = day;
            EXPECT_TRUE(near(f.stockValue, reportTotal(reports::ReportKind::Stock, dir, p)));
            EXPECT_TRUE(near(f.expiredValue, reportTotal(reports::ReportKind::Expired, dir, p)));
            p.date = day.addDays(90);
            EXPECT_TRUE(near(f.expiringValue,
                             reportTotal(reports::ReportKind::Expired, dir, p) - f.expiredValue));
            p.start = QDate(day.year(), day.month(), 1);
            p.finish = QDate(day.year(), day.month(), day.daysInMonth());
            EXPECT_TRUE(
                near(f.monthConsumption, reportTotal(reports::ReportKind::Consumption, dir, p)))
                << f.monthConsumption;
            EXPECT_GT(f.monthConsumption, 0);
        }
        // The per-department view adds up to the same month.
        const Rows month = query(
            db,
            "SELECT store, sum(issued_sum) FROM vedaris.consumption WHERE month = $1 GROUP BY "
            "store ORDER BY store",
            {QDate(day.year(), day.month(), 1).toString(Qt::ISODate)});
        ASSERT_EQ(month.size(), 2u);
        for (int s = 0; s < 2; ++s)
            EXPECT_TRUE(near(month[size_t(s)][1].toDouble(), figures[s].monthConsumption));
    }

    // The workbook of the same figures, from the command line.
    QTemporaryDir out;
    const QString xlsx = out.filePath("consolidated.xlsx");
    const ToolRun report = tool(
        "vedaris-report", {"--from", db, "consolidated", "--date", "15.03.2024", "--output", xlsx});
    EXPECT_EQ(report.exitCode, 0) << report.all();
    EXPECT_GT(QFileInfo(xlsx).size(), 0);
}
