// The program's own .xlsx writer held to libxlsxwriter: for every report over
// generated stores and several periods, and for workbooks built by hand, the
// unzipped parts of the two files are equal byte for byte. The one
// normalisation: the creation and modification stamps in docProps/core.xml,
// which name the second the file was written, are blanked in both.
#include "DataGenerator.h"

#include "reports/Reports.h"
#include "support/TempDataDir.h"
#include "support/XlsxOracle.h"
#include "support/ZipParts.h"

#include <QRegularExpression>
#include <gtest/gtest.h>

#include <limits>
#include <map>

using namespace vedaris;
using namespace vedaris::reports;

namespace {

// Every part of the file by name, the stamps blanked.
std::map<QString, QByteArray> parts(const QString &file)
{
    std::map<QString, QByteArray> out;
    const QMap<QString, QByteArray> read = zipparts::read(file);
    EXPECT_FALSE(read.isEmpty()) << file.toStdString();
    for (auto it = read.cbegin(); it != read.cend(); ++it) {
        const QString &member = it.key();
        QByteArray content = it.value();
        if (member == "docProps/core.xml")
            content =
                QString::fromUtf8(content)
                    .replace(QRegularExpression(R"(\d{4}-\d\d-\d\dT\d\d:\d\d:\d\dZ)"), "STAMP")
                    .toUtf8();
        out[member] = content;
    }
    return out;
}

// The first difference between the two files' parts, empty when they agree.
std::string difference(const Workbook &book, const QString &dir)
{
    const QString ours = dir + "/ours.xlsx";
    const QString theirs = dir + "/library.xlsx";
    book.saveXlsx(ours);
    oracle::saveWithLibrary(book, theirs);
    const auto a = parts(ours);
    const auto b = parts(theirs);
    std::string out;
    for (const auto &[name, content] : b) {
        const auto it = a.find(name);
        if (it == a.end()) {
            out += "missing part " + name.toStdString() + "\n";
            continue;
        }
        if (it->second == content)
            continue;
        qsizetype at = 0;
        while (at < content.size() && at < it->second.size() && content[at] == it->second[at])
            ++at;
        out += name.toStdString() + " differs at byte " + std::to_string(at) + ":\n  ours:    "
            + it->second.mid(std::max<qsizetype>(0, at - 80), 200).toStdString() + "\n  library: "
            + content.mid(std::max<qsizetype>(0, at - 80), 200).toStdString() + "\n";
    }
    for (const auto &[name, content] : a)
        if (!b.count(name))
            out += "extra part " + name.toStdString() + "\n";
    return out;
}

Workbook handMade()
{
    Workbook book;
    book.setSheetName("Отчёт");
    book.setColumnWidth(1, 4);
    book.setColumnWidth(2, 30.5);
    book.setColumnWidth(4, 0.5);
    book.setColumnWidth(5, 8.43);
    book.setBold(Range::parse("A1:C4"));
    book.setFontSize(Range::parse("A1:C2"), 14);
    book.merge(Range::parse("A1:C1"));
    book.setHorizontalAlignment(Range::parse("A1:C2"), HAlign::Center);
    book.setValue(1, 1, "Отчёт <&> \"кавычки\"");
    book.setValue(4, 1, "№");
    book.setValue(4, 2, "Наименование");
    book.setValue(4, 3, "Колич.");
    for (int row = 5; row <= 7; ++row) {
        book.setFontSize(Range::rows(row, row), 10);
        book.setValue(row, 1, QString::number(row - 4));
        book.setValue(row, 2, QStringLiteral("Препарат %1").arg(8 - row));
        book.setValue(row, 3, row * 1.5 + 0.1);
        book.setValue(row, 4, QStringLiteral("0%1.0%1.2024").arg(row));
        book.setBorders(Range::parse(QStringLiteral("A4:C%1").arg(row)));
    }
    book.setText(8, 2, "0012");
    book.setText(8, 3, QString(" ведущий пробел"));
    book.setText(8, 4, QString::fromUtf16(u"упр\u0001\u001f\tтаб\r\n"));
    book.setText(8, 5, QString::fromUtf16(u"до\u0000после", 9));
    book.setValue(10, 2, "блок");
    book.merge(Range::parse("B9:B10"));
    book.setVerticalAlignment(Range::parse("B9:C10"), VAlign::Center);
    book.setWrap(Range::parse("C9:C10"));
    book.setValue(9, 3, std::numeric_limits<double>::quiet_NaN());
    book.setValue(10, 3, -std::numeric_limits<double>::infinity());
    book.setValue(11, 1, 1e20);
    book.setValue(11, 2, -1.5e-7);
    book.setValue(11, 3, -0.0);
    book.setValue(11, 4, 0.1 + 0.2);
    book.setNumberFormat(Range::parse("A11:B11"), "0.00");
    book.setBold(Range::rows(13, 13));
    book.pageSetup().zoom = 75;
    book.pageSetup().leftMargin = 36;
    book.pageSetup().orientation = PageSetup::Landscape;
    return book;
}

} // namespace

TEST(XlsxOracle, HandMadeWorkbooksMatchTheLibrary)
{
    TempDataDir dir;
    Workbook empty;
    Workbook one;
    one.setValue(3, 2, 1.0);
    Workbook rowOnly;
    rowOnly.setFontSize(Range::rows(2, 2), 10);
    Workbook merges;
    merges.setBorders(Range::parse("A1:F3"));
    merges.setBold(Range::parse("A1:C2"));
    for (const char *m : {"A1:A2", "B1:B2", "C1:C2", "D1:E1", "F1:F3"})
        merges.merge(Range::parse(m));
    merges.setValue(1, 1, "первая");
    merges.setValue(1, 2, 2.5);
    merges.setValue(1, 4, "над двумя");
    merges.setValue(3, 1, "после");
    Workbook portrait = handMade();
    portrait.pageSetup().zoom = 100;
    portrait.pageSetup().orientation = PageSetup::Portrait;
    Workbook fitted = handMade();
    fitted.pageSetup().fitToWidth = true;
    Workbook fittedOnly;
    fittedOnly.setValue(1, 1, 1.0);
    fittedOnly.pageSetup().fitToWidth = true;
    const std::pair<const char *, Workbook *> books[] = {{"empty", &empty},
                                                         {"one cell", &one},
                                                         {"row format", &rowOnly},
                                                         {"merges", &merges},
                                                         {"portrait", &portrait},
                                                         {"one page wide", &fitted},
                                                         {"one page wide, portrait", &fittedOnly}};
    Workbook hand = handMade();
    EXPECT_EQ(difference(hand, dir.path()), "") << "hand-made";
    for (const auto &[name, book] : books)
        EXPECT_EQ(difference(*book, dir.path()), "") << name;
}

TEST(XlsxOracle, EveryReportMatchesTheLibrary)
{
    for (std::uint64_t seed : {7u, 8u, 9u, 10u}) {
        gen::Options o;
        o.seed = seed;
        o.batches = 40;
        o.issues = 160;
        o.departments = 3;
        o.first = QDate(2021, 1, 1);
        o.last = QDate(2021, 6, 30);
        o.hostile = seed >= 9;
        const gen::Data data = gen::generate(o);
        TempDataDir dir;
        gen::write(data, dir.path());

        std::vector<ReportParams> params(3);
        params[0].date = QDate(2030, 1, 1);
        params[0].start = QDate(2021, 2, 1);
        params[0].finish = QDate(2021, 5, 31);
        params[0].department = data.departmentTexts.value(0);
        params[1].date = QDate(2021, 3, 15);
        params[1].start = QDate(2021, 3, 1);
        params[1].finish = QDate(2021, 3, 31);
        params[1].department = data.departmentTexts.value(1);
        params[2].date = QDate(2021, 6, 30);
        params[2].start = QDate(2000, 1, 1);
        params[2].finish = QDate(2100, 1, 1);
        params[2].department = data.departmentTexts.value(2);
        for (const ReportParams &p : params)
            for (ReportKind kind :
                 {ReportKind::Expired, ReportKind::Stock, ReportKind::Consumption,
                  ReportKind::Purchases, ReportKind::Department, ReportKind::Departments,
                  ReportKind::Movement, ReportKind::IssueDates}) {
                const Outcome outcome = runReport(kind, dir.path(), p);
                if (outcome.empty())
                    continue;
                EXPECT_EQ(difference(*outcome.workbook, dir.path()), "")
                    << outcome.title.toStdString() << ", seed " << seed << ", "
                    << p.start.toString(Qt::ISODate).toStdString();
            }
    }
}
