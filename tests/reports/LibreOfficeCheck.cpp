// Every report as a spreadsheet application reads it: each saved workbook is
// converted to CSV by LibreOffice headless, and every cell of the CSV must
// show the workbook's value (texts as they are, numbers by value, dates as
// dd.mm.yyyy, sums with their two decimals). Not part of `make test`:
// `make check-libreoffice` runs it, and it is skipped without `soffice`.
#include "DataGenerator.h"

#include "reports/Reports.h"
#include "store/TextFormats.h"
#include "support/TempDataDir.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <gtest/gtest.h>

#include <cmath>

using namespace vedaris;
using namespace vedaris::reports;

namespace {

QString soffice()
{
    for (const char *name : {"soffice", "libreoffice"}) {
        const QString found = QStandardPaths::findExecutable(QString::fromLatin1(name));
        if (!found.isEmpty())
            return found;
    }
    return {};
}

// Fields of a CSV of comma-separated, double-quoted fields, UTF-8.
QVector<QStringList> readCsv(const QString &file)
{
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    const QString text = QString::fromUtf8(f.readAll());
    QVector<QStringList> rows(1);
    QString field;
    bool quoted = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (quoted) {
            if (c == u'"' && i + 1 < text.size() && text[i + 1] == u'"') {
                field += u'"';
                ++i;
            } else if (c == u'"') {
                quoted = false;
            } else {
                field += c;
            }
        } else if (c == u'"') {
            quoted = true;
        } else if (c == u',') {
            rows.back() << field;
            field.clear();
        } else if (c == u'\n') {
            rows.back() << field;
            field.clear();
            rows.append(QStringList());
        } else if (c != u'\r') {
            field += c;
        }
    }
    if (!field.isEmpty() || !rows.back().isEmpty())
        rows.back() << field;
    else
        rows.removeLast();
    return rows;
}

// What the cell shows under its number format, for comparison with the CSV.
QString shown(const Workbook &book, int row, int col, bool &numeric, double &number)
{
    const CellValue v = book.value(row, col);
    numeric = false;
    if (const QString *t = std::get_if<QString>(&v))
        return *t;
    if (const double *n = std::get_if<double>(&v)) {
        const QString format = book.format(row, col).numberFormat;
        if (format == QStringLiteral("dd.mm.yyyy"))
            return text::formatDate(text::serialToDate(*n));
        numeric = true;
        number = *n;
        return format == MoneyFormat ? QString::number(*n, 'f', 2) : QString::number(*n, 'g', 15);
    }
    return {};
}

} // namespace

TEST(LibreOffice, EveryReportConvertsToTheSameValues)
{
    const QString office = soffice();
    if (office.isEmpty())
        GTEST_SKIP() << "no soffice (LibreOffice) installed";
    gen::Options o;
    o.seed = 5;
    o.batches = 120;
    o.issues = 600;
    o.departments = 4;
    o.first = QDate(2021, 1, 1);
    o.last = QDate(2021, 12, 31);
    o.hostile = true;
    const gen::Data data = gen::generate(o);
    TempDataDir dir;
    gen::write(data, dir.path());
    ReportParams p;
    p.date = QDate(2100, 1, 1);
    p.start = QDate(2021, 1, 1);
    p.finish = QDate(2021, 12, 31);
    p.department = data.departmentTexts.value(0);
    int report = 0;
    for (ReportKind kind : {ReportKind::Expired, ReportKind::Stock, ReportKind::Consumption,
                            ReportKind::Purchases, ReportKind::Department, ReportKind::Departments,
                            ReportKind::Movement, ReportKind::IssueDates}) {
        const Outcome out = runReport(kind, dir.path(), p);
        ASSERT_FALSE(out.empty()) << out.title.toStdString();
        const Workbook &book = *out.workbook;
        const QString name = QStringLiteral("report%1").arg(++report);
        const QString xlsx = dir.file(name + ".xlsx");
        book.saveXlsx(xlsx);
        // Comma, double quote, UTF-8, from line 1, cells as shown, en-US numbers.
        QProcess convert;
        convert.start(
            office,
            {"--headless", "-env:UserInstallation=file://" + dir.path() + "/office-profile",
             "--convert-to", "csv:Text - txt - csv (StarCalc):44,34,76,1,,1033,false,true,true",
             "--outdir", dir.path(), xlsx});
        ASSERT_TRUE(convert.waitForFinished(180000)) << "soffice did not finish";
        const QVector<QStringList> csv = readCsv(dir.file(name + ".csv"));
        ASSERT_FALSE(csv.isEmpty()) << out.title.toStdString() << ": no CSV\n"
                                    << convert.readAllStandardError().toStdString();

        QStringList differences;
        for (int row = 1; row <= book.lastRow(); ++row)
            for (int col = 1; col <= book.lastColumn(); ++col) {
                bool numeric = false;
                double number = 0;
                const QString expected = shown(book, row, col, numeric, number);
                const QString actual = row <= csv.size() && col <= csv[row - 1].size()
                    ? csv[row - 1][col - 1]
                    : QString();
                bool read = false;
                const double value = actual.toDouble(&read);
                // The general format shows at most about ten significant digits.
                const double slack = std::max(1e-6, 1e-9 * std::fabs(number));
                const bool same =
                    numeric ? read && std::fabs(value - number) <= slack : actual == expected;
                if (!same)
                    differences << QStringLiteral(
                                       "%1%2: \"%3\" in the workbook, \"%4\" in LibreOffice")
                                       .arg(columnName(col))
                                       .arg(row)
                                       .arg(expected, actual);
            }
        EXPECT_TRUE(differences.isEmpty()) << out.title.toStdString() << ":\n"
                                           << differences.mid(0, 10).join(u'\n').toStdString();
    }
}
