// The joined reports against their literal nested passes on one data folder,
// both in this process and without writing a file: the time of each and the
// ratio, after checking they built the same workbook.
#include "Probe.h"

#include "store/DataFiles.h"
#include "store/RecordFile.h"
#include "support/NestedOracle.h"

#include <QElapsedTimer>
#include <algorithm>

using namespace vedaris;
using reports::ReportKind;

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: bench-oracle-probe DATA_DIR\n");
        return 2;
    }
    const QString dir = QString::fromLocal8Bit(argv[1]);
    reports::ReportParams p;
    p.start = QDate(1990, 1, 1);
    p.finish = QDate(2100, 1, 1);
    TypedFile<ReferenceEntry>(files::path(dir, files::Otdelenie), RecordFile::ReadOnly)
        .forEach([&](qint64, const ReferenceEntry &e) {
            if (e.Deleted == 1)
                return true;
            p.department = e.Name;
            return false;
        });

    const std::pair<const char *, ReportKind> kinds[] = {{"consumption", ReportKind::Consumption},
                                                         {"department", ReportKind::Department},
                                                         {"departments", ReportKind::Departments},
                                                         {"movement", ReportKind::Movement},
                                                         {"issue_dates", ReportKind::IssueDates}};
    int status = 0;
    for (const auto &[name, kind] : kinds) {
        QElapsedTimer t;
        t.start();
        const reports::Outcome slow = oracle::run(kind, dir, p);
        const double slowMs = double(t.nsecsElapsed()) / 1e6;
        double fastMs = 1e300;
        reports::Outcome fast;
        for (int i = 0; i < 5; ++i) {
            t.restart();
            fast = reports::runReport(kind, dir, p);
            fastMs = std::min(fastMs, double(t.nsecsElapsed()) / 1e6);
        }
        const bool same = slow.empty() == fast.empty()
            && (slow.empty() || oracle::difference(*slow.workbook, *fast.workbook).isEmpty());
        if (!same) {
            std::fprintf(stderr, "bench-oracle-probe: %s differs from its nested pass\n", name);
            status = 1;
        }
        std::printf("%s_oracle_ms=%.3f\n%s_fast_ms=%.3f\n", name, slowMs, name, fastMs);
        std::fflush(stdout);
    }
    return status;
}
