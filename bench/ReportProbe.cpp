// One report in phases: the data pass, the workbook built from its rows, and
// the .xlsx written — to see where the time of a slow report goes.
#include "Probe.h"

#include "reports/Reports.h"

#include <QElapsedTimer>
#include <QTemporaryDir>

using namespace vedaris;
using namespace vedaris::reports;

int main(int argc, char **argv)
{
    if (argc < 5) {
        std::fprintf(stderr, "usage: bench-report-probe DATA_DIR REPORT START FINISH [DEPARTMENT]\n");
        return 2;
    }
    const QString dir = QString::fromLocal8Bit(argv[1]);
    const QByteArray kind = argv[2];
    ReportParams p;
    p.start = QDate::fromString(QString::fromLatin1(argv[3]), Qt::ISODate);
    p.finish = QDate::fromString(QString::fromLatin1(argv[4]), Qt::ISODate);
    p.date = p.finish;
    if (argc > 5)
        p.department = QString::fromLocal8Bit(argv[5]);

    QElapsedTimer t;
    t.start();
    double passMs = 0;
    auto lap = [&] {
        const double ms = double(t.nsecsElapsed()) / 1e6;
        t.restart();
        return ms;
    };
    Outcome out;
    if (kind == "expired") {
        const auto rows = pass::expired(dir, p.date);
        passMs = lap();
        out = expiredReport(p, rows);
    } else if (kind == "stock") {
        const auto rows = pass::inStock(dir);
        passMs = lap();
        out = stockReport(p, rows);
    } else if (kind == "consumption") {
        const auto rows = pass::consumption(dir, p.start, p.finish);
        passMs = lap();
        out = consumptionReport(p, rows);
    } else if (kind == "purchases") {
        const auto rows = pass::purchases(dir, p.start, p.finish);
        passMs = lap();
        out = purchasesReport(p, rows);
    } else if (kind == "department") {
        const auto rows = pass::department(dir, p.start, p.finish, p.department);
        passMs = lap();
        out = departmentReport(p, rows);
    } else if (kind == "departments") {
        const auto rows = pass::departments(dir, p.start, p.finish);
        passMs = lap();
        out = departmentsReport(p, rows);
    } else if (kind == "movement") {
        const auto rows = pass::movement(dir, p.start, p.finish);
        passMs = lap();
        out = movementReport(p, rows);
    } else if (kind == "issue-dates") {
        const auto rows = pass::issueDates(dir, p.start, p.finish);
        passMs = lap();
        out = issueDatesReport(p, rows);
    } else {
        std::fprintf(stderr, "bench-report-probe: unknown report\n");
        return 2;
    }
    bench::result("pass_ms", passMs);
    bench::result("build_ms", lap());
    if (out.workbook) {
        bench::result("rows", out.workbook->lastRow());
        QTemporaryDir tmp;
        out.workbook->saveXlsx(tmp.filePath(QStringLiteral("r.xlsx")));
        bench::result("save_ms", lap());
    }
    bench::result("peak_mib", bench::peakMiB());
    return 0;
}
