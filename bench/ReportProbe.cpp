// One report in phases: the data pass, the workbook built from its rows, and
// the .xlsx written (with the streamed rows made as they are written) — to see
// where the time of a slow report goes. With VEDARIS_PROBE_HELD set, the same
// workbook is written once more from rows held in memory: the writer alone.
#include "Probe.h"

#include "operations/BookQuantity.h"
#include "reports/Reports.h"
#include "reports/StocktakeForms.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <zlib.h>

#include <vector>

using namespace vedaris;
using namespace vedaris::reports;

namespace {

// The writer's floor: the parts of the saved file, read back with unzip, put
// through raw deflate at level 1 with their checksums and nothing else.
double deflateAlone(const QString &file)
{
    QProcess unzip;
    unzip.start(QStringLiteral("unzip"), {QStringLiteral("-p"), file});
    unzip.waitForFinished(-1);
    const QByteArray xml = unzip.readAllStandardOutput();
    if (xml.isEmpty())
        return 0;
    std::vector<unsigned char> sink(1 << 18);
    QElapsedTimer t;
    t.start();
    z_stream z{};
    deflateInit2(&z, 1, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
    uLong crc = crc32(0, nullptr, 0);
    for (qsizetype at = 0; at < xml.size(); at += 1 << 16) {
        const uInt n = uInt(std::min<qsizetype>(1 << 16, xml.size() - at));
        crc = crc32(crc, reinterpret_cast<const Bytef *>(xml.constData() + at), n);
        z.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(xml.constData() + at));
        z.avail_in = n;
        const bool last = at + n >= xml.size();
        do {
            z.next_out = sink.data();
            z.avail_out = uInt(sink.size());
            deflate(&z, last ? Z_FINISH : Z_NO_FLUSH);
        } while (z.avail_out == 0);
    }
    deflateEnd(&z);
    if (crc == 1)
        std::printf("\n"); // keeps the checksum from being optimised away
    return double(t.nsecsElapsed()) / 1e6;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 5) {
        std::fprintf(stderr,
                     "usage: bench-report-probe DATA_DIR REPORT START FINISH [DEPARTMENT]\n");
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
        auto rows = pass::departmentLines(dir, p.start, p.finish);
        passMs = lap();
        out = departmentsReport(p, std::move(rows));
    } else if (kind == "movement") {
        const auto rows = pass::movement(dir, p.start, p.finish);
        passMs = lap();
        out = movementReport(p, rows);
    } else if (kind == "issue-dates") {
        const auto rows = pass::issueDates(dir, p.start, p.finish);
        passMs = lap();
        out = issueDatesReport(p, rows);
    } else if (kind == "inventory") {
        // The book quantities alone, then the whole count sheet (its pass again).
        const auto lines = ops::bookQuantities(dir, p.date);
        passMs = lap();
        bench::result("book_lines", double(lines.size()));
        out = inventoryForm(dir, p.date, false);
    } else if (kind == "write-off-act") {
        out = writeOffActForm(dir, p.start, p.finish);
    } else if (kind == "requisition") {
        out = requisitionForm(dir, p.department, p.start, p.finish);
    } else {
        std::fprintf(stderr, "bench-report-probe: unknown report\n");
        return 2;
    }
    bench::result("pass_ms", passMs);
    bench::result("build_ms", lap());
    if (out.workbook) {
        bench::result("rows", out.workbook->lastRow());
        QTemporaryDir tmp;
        const QString file = tmp.filePath(QStringLiteral("r.xlsx"));
        out.workbook->saveXlsx(file);
        bench::result("save_ms", lap());
        bench::result("deflate_ms", deflateAlone(file));
        // The writer alone: the same workbook with its streamed rows made
        // beforehand and held, so that only the XML and the zip are timed.
        if (qEnvironmentVariableIsSet("VEDARIS_PROBE_HELD")) {
            const Workbook held = out.workbook->materialized();
            lap();
            held.saveXlsx(file);
            bench::result("save_held_ms", lap());
        }
    }
    bench::result("peak_mib", bench::peakMiB());
    return 0;
}
