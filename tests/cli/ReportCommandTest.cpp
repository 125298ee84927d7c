// vedaris-report run as a user runs it.

#include "reports/ReportTestData.h"
#include "store/History.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QtEndian>
#include <gtest/gtest.h>
#include <limits>

using namespace reporttest;

namespace {

struct Result
{
    int exitCode = -1;
    QString out;
    QString err;
};

Result runCommand(const QStringList &args)
{
    QProcess p;
    p.start(QStringLiteral(VEDARIS_DIST_DIR "/vedaris-report"), args);
    EXPECT_TRUE(p.waitForFinished(60000));
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
            QString::fromUtf8(p.readAllStandardOutput()),
            QString::fromUtf8(p.readAllStandardError())};
}

Data sample()
{
    Data d;
    d.addDepartment("Хирургия");
    d.addName("Бинт", "шт");
    d.add(Stock{.name = "Бинт", .received = day(10), .expiry = day(1, 1, 2030)});
    d.add(Issue{0, day(12), 2, "Хирургия"});
    d.add(Issue{0, day(13), 1, "Списание: Недостача"});
    return d;
}

QStringList dataFiles(const QString &dir)
{
    return QDir(dir).entryList(QDir::Files, QDir::Name);
}

} // namespace

TEST(ReportCommand, HelpPrintsUsage)
{
    const Result r = runCommand({"--help"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_TRUE(r.out.startsWith(QStringLiteral("Использование: vedaris-report")))
        << qPrintable(r.out);
    EXPECT_TRUE(r.out.contains("issue-dates"));
    EXPECT_TRUE(r.out.contains(QStringLiteral("Код выхода")));
}

// The three programs read their command line one way, and say what is wrong
// in Russian with where the help is.
TEST(ReportCommand, TheProgramsShareOneCommandLine)
{
    struct Case
    {
        const char *program;
        QStringList args;
        const char *message; // nullptr: --help, exit 0
    };
    const Case cases[] = {
        {"vedaris-report", {"--data"}, "после --data нужно значение"},
        {"vedaris-check", {"--data"}, "после --data нужно значение"},
        {"vedaris", {"--data"}, "после --data нужно значение"},
        {"vedaris-report",
         {"--data=", "--output", "x.xlsx", "stock"},
         "после --data нужно значение"},
        {"vedaris-check", {"--data", "--help"}, "после --data нужно значение"},
        {"vedaris-check", {"--colour"}, "неизвестный параметр --colour"},
        {"vedaris", {"--colour"}, "неизвестный параметр --colour"},
        {"vedaris-check", {"--data", "a", "--data", "b"}, "параметр --data указан дважды"},
        {"vedaris-check", {"папка"}, "лишний аргумент папка"},
        {"vedaris-report", {"--help"}, nullptr},
        {"vedaris-check", {"--help"}, nullptr},
        {"vedaris", {"-h"}, nullptr},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.program) + " " + c.args.join(' ').toStdString());
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        p.setProcessEnvironment(env);
        p.start(QStringLiteral(VEDARIS_DIST_DIR "/") + QString::fromLatin1(c.program), c.args);
        ASSERT_TRUE(p.waitForFinished(30000));
        // Windows ends the lines it prints with CR LF.
        const QString out = QString::fromUtf8(p.readAllStandardOutput()).remove(u'\r');
        const QString err = QString::fromUtf8(p.readAllStandardError()).remove(u'\r');
        if (!c.message) {
            EXPECT_EQ(p.exitCode(), 0);
            EXPECT_TRUE(out.startsWith(QStringLiteral("Использование: %1").arg(c.program)))
                << qPrintable(out);
            EXPECT_TRUE(out.contains(QStringLiteral("--data ПАПКА"))) << qPrintable(out);
            continue;
        }
        EXPECT_EQ(p.exitCode(), 2);
        EXPECT_TRUE(err.contains(QStringLiteral("%1: %2\nСправка: %1 --help\n")
                                     .arg(c.program, QString::fromUtf8(c.message))))
            << qPrintable(err);
    }
}

TEST(ReportCommand, WritesEveryReport)
{
    TempDataDir data;
    sample().writeTo(data);
    const QStringList before = dataFiles(data.path());
    QTemporaryDir outDir;
    const QList<QStringList> reports = {
        {"expired", "--date", "2030-01-01"},
        {"stock"},
        {"stock", "--date", "15.02.2024"},
        {"consumption", "--start", "01.02.2024", "--finish", "29.02.2024"},
        {"purchases", "--start", "01.02.2024", "--finish", "2024-02-10"},
        {"department", "--start", "01.02.2024", "--finish", "29.02.2024", "--department",
         "Хирургия"},
        {"departments", "--start=01.02.2024", "--finish=29.02.2024"},
        {"movement", "--start", "01.02.2024", "--finish", "29.02.2024"},
        {"issue-dates", "--start", "12.02.2024", "--finish", "12.02.2024"},
        {"inventory", "--date", "15.02.2024"},
        {"inventory", "--blind", "--date", "15.02.2024"},
        {"inventory", "--date", "15.02.2024", "--blind"},
        {"write-off-act", "--start", "01.02.2024", "--finish", "29.02.2024"},
        {"requisition", "--department", "Хирургия", "--start", "12.02.2024", "--finish",
         "12.02.2024"},
    };
    for (const QStringList &report : reports) {
        SCOPED_TRACE(qPrintable(report.join(' ')));
        const QString file = outDir.filePath(report[0] + ".xlsx");
        QFile::remove(file);
        const Result r = runCommand(QStringList{"--data", data.path(), "--output", file} + report);
        EXPECT_EQ(r.exitCode, 0) << qPrintable(r.err);
        EXPECT_EQ(r.err, QString()) << "sound data gives no warning";
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        EXPECT_EQ(f.read(2), QByteArray("PK"));
    }
    EXPECT_EQ(dataFiles(data.path()), before);
    EXPECT_EQ(data.read("Base.dat"), [] {
        TempDataDir fresh;
        sample().writeTo(fresh);
        return fresh.read("Base.dat");
    }());
}

TEST(ReportCommand, DamagedNumbersAndDatesGiveOneWarningAndTheWorkbook)
{
    TempDataDir data;
    Data d = sample();
    d.add(Stock{.name = "Йод", .price = std::numeric_limits<double>::quiet_NaN()});
    d.writeTo(data);
    QByteArray base = data.read("Base.dat");
    qToLittleEndian(1e300, base.data() + 560 + 544); // the second batch's expiry date
    data.write("Base.dat", base);
    QTemporaryDir outDir;
    const QString file = outDir.filePath("stock.xlsx");

    const Result r = runCommand({"--data", data.path(), "--output", file, "stock"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.err.count('\n'), 1) << qPrintable(r.err);
    EXPECT_TRUE(r.err.startsWith(
        QStringLiteral("vedaris-report: предупреждение: в данных встретились не числа "
                       "или невозможные даты (повреждённые записи): 4;")))
        << qPrintable(r.err);
    EXPECT_TRUE(QFile::exists(file));
}

TEST(ReportCommand, NothingToReportLeavesNoFile)
{
    TempDataDir data;
    sample().writeTo(data);
    QTemporaryDir outDir;
    const QString file = outDir.filePath("r.xlsx");
    struct Case
    {
        QStringList args;
        QString message;
    };
    const Case cases[] = {
        {{"expired", "--date", "01.01.2024"}, "На указанную дату нет просроченных медикаментов!"},
        {{"consumption", "--start", "13.02.2024", "--finish", "11.02.2024"},
         "За этот период нет израсходованных медикаментов!"},
        {{"department", "--start", "01.02.2024", "--finish", "29.02.2024", "--department",
          "хирургия"},
         "За этот период нет израсходованных медикаментов!"},
        {{"departments", "--start", "01.03.2024", "--finish", "31.03.2024"},
         "За этот период нет расхода по отделениям!"},
        {{"inventory", "--date", "09.02.2024"},
         "На эту дату по данным учёта на складе нет медикаментов!"},
        {{"inventory", "--date", "09.02.2024", "--blind"},
         "На эту дату по данным учёта на складе нет медикаментов!"},
        {{"write-off-act", "--start", "01.02.2024", "--finish", "12.02.2024"},
         "За этот период нет списанных медикаментов!"},
        {{"requisition", "--department", "Терапия", "--start", "01.02.2024", "--finish",
          "29.02.2024"},
         "За этот период нет расхода в это отделение!"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(qPrintable(c.args.join(' ')));
        const Result r = runCommand(QStringList{"--data", data.path(), "--output", file} + c.args);
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_EQ(r.err.trimmed(), c.message);
        EXPECT_FALSE(QFile::exists(file));
    }
}

TEST(ReportCommand, BadUsageAndFailuresExitTwoWithoutAFile)
{
    TempDataDir data;
    sample().writeTo(data);
    TempDataDir noRashod;
    sample().writeTo(noRashod);
    QFile::remove(noRashod.file("Rashod.dat"));
    QTemporaryDir outDir;
    const QString file = outDir.filePath("r.xlsx");
    struct Case
    {
        QStringList args;
        const char *inMessage;
    };
    const QStringList period{"--start", "01.02.2024", "--finish", "29.02.2024"};
    const Case cases[] = {
        {{"--data", data.path(), "--output", file}, "не указан отчёт"},
        {{"--data", data.path(), "--output", file, "everything"}, "неизвестный отчёт «everything»"},
        {{"--data", data.path(), "stock"}, "--output"},
        {{"--data", data.path(), "--output", file, "expired"}, "--date"},
        {{"--data", data.path(), "--output", file, "expired", "--date", "31.02.2024"}, "не дата"},
        {{"--data", data.path(), "--output", file, "stock", "--start", "01.02.2024"},
         "не принимает --start"},
        {{"--data", data.path(), "--output", file, "movement", "--start", "01.02.2024"},
         "--finish"},
        {{"--data", data.path(), "--output", file, "stock", "--colour", "red"},
         "неизвестный параметр --colour"},
        {{"--data", data.path(), "--output", file, "inventory", "--blind"},
         "отчёту inventory нужен --date"},
        {{"--data", data.path(), "--output", file, "stock", "--blind"}, "не принимает --blind"},
        {QStringList{"--data", data.path(), "--output", file, "write-off-act", "--start",
                     "01.02.2024"},
         "--finish"},
        {QStringList{"--data", data.path(), "--output", file, "requisition"} + period,
         "отчёту requisition нужен --department"},
        {QStringList{"--data", noRashod.path(), "--output", file, "consumption"} + period,
         "Rashod.dat"},
        {QStringList{"--data", noRashod.path() + "/none", "--output", file, "stock"}, "Base.dat"},
        {QStringList{"--data", data.path(), "--output", outDir.filePath("no/such/dir/r.xlsx"),
                     "stock"},
         "r.xlsx"},
        // The consolidated workbook reads the mirror's database, never a data folder.
        {{"--output", file, "consolidated", "--date", "01.02.2024"}, "--from"},
        {{"--from", "dbname=x", "--output", file, "consolidated"}, "--date"},
        {{"--from", "dbname=x", "--output", file, "consolidated", "--date", "01.02.2024", "--data",
          data.path()},
         "не принимает --data"},
        {{"--from", "dbname=x", "--data", data.path(), "--output", file, "stock"},
         "не принимает --from"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(qPrintable(c.args.join(' ')));
        const Result r = runCommand(c.args);
        EXPECT_EQ(r.exitCode, 2);
        EXPECT_TRUE(r.err.contains(QString::fromUtf8(c.inMessage))) << qPrintable(r.err);
        EXPECT_FALSE(QFile::exists(file));
    }
    EXPECT_FALSE(QFile::exists(noRashod.file("Rashod.dat")));
    EXPECT_EQ(QDir(outDir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
              QStringList());
}

// The deletion report reads the history; its entry is laid out here by hand.
TEST(ReportCommand, DeletionsFromTheHistory)
{
    TempDataDir data;
    sample().writeTo(data);
    namespace history = vedaris::history;
    const QByteArray base = data.read("Base.dat");
    QByteArray deleted = base;
    deleted[556] = 1;
    data.write("Base.dat", deleted);
    history::Entry e;
    e.number = 1;
    e.when = QDateTime(QDate(2024, 3, 5), QTime(10, 0));
    e.kind = history::kind::Delete;
    e.sentence = QStringLiteral("Удаление записи \"Бинт\" не было завершено и отменено.");
    e.lengths = {{"Base.dat", base.size(), base.size()}};
    e.records = {{"Base.dat", 0, base.left(560), deleted.left(560)}};
    data.write(history::FileName, history::encode(e, true));

    QTemporaryDir outDir;
    const QString file = outDir.filePath("deletions.xlsx");
    const Result r = runCommand({"--data", data.path(), "--output", file, "deletions", "--start",
                                 "01.03.2024", "--finish", "31.03.2024"});
    EXPECT_EQ(r.exitCode, 0) << qPrintable(r.err);
    EXPECT_TRUE(QFile::exists(file));
    const QString none = outDir.filePath("none.xlsx");
    const Result empty = runCommand({"--data", data.path(), "--output", none, "deletions",
                                     "--start", "06.03.2024", "--finish", "31.03.2024"});
    EXPECT_EQ(empty.exitCode, 1);
    EXPECT_EQ(empty.err.trimmed(), QStringLiteral("За этот период не удалено ни одной партии!"));
    EXPECT_FALSE(QFile::exists(none));
    const Result usage =
        runCommand({"--data", data.path(), "--output", none, "deletions", "--start", "06.03.2024"});
    EXPECT_EQ(usage.exitCode, 2);
}
