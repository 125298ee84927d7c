// One receipt and one issue through the stock operations on a data folder that
// the caller lets us change. With --no-deleted every deletion mark is cleared
// first, so the slot search reads the whole file and the record is appended.
// With --stocktake: the counting window's lines at 31.12.2024, the draft saved
// with 1,000 differences, and their posting.
#include "Probe.h"

#include "operations/StockOperations.h"
#include "operations/Stocktake.h"
#include "store/CountFile.h"
#include "store/DataFiles.h"
#include "store/RecordFile.h"
#include "store/TextFormats.h"

#include <QDate>
#include <QElapsedTimer>
#include <QFile>
#include <algorithm>
#include <vector>

using namespace vedaris;

namespace {

void clearDeletionMarks(const QString &path, int size, int offset)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadWrite))
        throw Error(path, f.errorString());
    QByteArray all = f.readAll();
    for (qsizetype at = offset; at < all.size(); at += size)
        all[at] = 0;
    f.seek(0);
    f.write(all);
    f.flush();
    f.close();
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench-ops-probe DATA_DIR [--no-deleted]\n");
        return 2;
    }
    const QString dir = QString::fromLocal8Bit(argv[1]);
    try {
        if (argc > 2 && QByteArray(argv[2]) == "--stocktake") {
            const QDate day(2024, 12, 31);
            QElapsedTimer t;
            t.start();
            std::vector<ops::CountRow> rows = ops::countRows(dir, count::Count{day, false, {}});
            bench::result("count_open_ms", double(t.nsecsElapsed()) / 1e6);
            bench::result("count_lines", double(rows.size()));
            // 1,000 lines spread over the sheet, every other one short by what
            // the batch still holds at most, the rest with a surplus.
            int differences = 0;
            const size_t step = std::max<size_t>(1, rows.size() / 1000);
            for (size_t i = 0; i < rows.size() && differences < 1000; i += step) {
                ops::CountRow &r = rows[i];
                const bool shortage =
                    differences % 2 == 0 && r.book.batch.Quantity >= 1 && r.book.quantity >= 1;
                r.counted = text::formatNumber(r.book.quantity + (shortage ? -1 : 1));
                ++differences;
            }
            t.restart();
            count::save(dir, ops::draftOf(day, rows));
            bench::result("draft_save_ms", double(t.nsecsElapsed()) / 1e6);
            t.restart();
            const ops::Posted posted = ops::postCount(dir);
            bench::result("post_ms", double(t.nsecsElapsed()) / 1e6);
            bench::result("post_differences", posted.shortages + posted.surpluses);
            bench::result("peak_mib", bench::peakMiB());
            return 0;
        }
        if (argc > 2 && QByteArray(argv[2]) == "--no-deleted") {
            clearDeletionMarks(files::path(dir, files::Base), StockRecord::Size,
                               StockRecord::DeletedOffset);
            clearDeletionMarks(files::path(dir, files::Rashod), IssueRecord::Size,
                               IssueRecord::DeletedOffset);
            // The cleared files reach the disk before the clock starts.
            RecordFile(files::path(dir, files::Base), StockRecord::Size).sync();
            RecordFile(files::path(dir, files::Rashod), IssueRecord::Size).sync();
        }

        ops::BatchInput in;
        in.drugName = QStringLiteral("Анальгин табл. 0,5 г");
        in.manufacturer = QStringLiteral("Фармстандарт (Россия)");
        in.supplier = QStringLiteral("ООО \"Медснаб\"");
        in.receiptDocument = QStringLiteral("Накл. №1");
        in.series = QStringLiteral("АВ1234");
        in.receiptDate = QDate(2024, 12, 31);
        in.unit = QStringLiteral("уп.");
        in.quantityText = QStringLiteral("100");
        in.priceText = QStringLiteral("12,5");
        in.expiryDate = QDate(2027, 12, 31);

        std::vector<double> receipts, issues;
        QElapsedTimer t;
        for (int round = 0; round < 3; ++round) {
            t.start();
            const ops::StoredBatch stored = ops::storeReceipt(dir, in);
            receipts.push_back(double(t.nsecsElapsed()) / 1e6);

            t.restart();
            const StockRecord batch = ops::readBatch(dir, stored.record.RecordId);
            if (ops::checkIssue(batch, QStringLiteral("3")) != ops::IssueVerdict::Ok)
                return 1;
            ops::storeIssue(dir, stored.record.RecordId, batch, QStringLiteral("3"),
                            QStringLiteral("Кардиология"), QDate(2024, 12, 31));
            issues.push_back(double(t.nsecsElapsed()) / 1e6);
        }
        bench::result("receipt_ms", median(receipts));
        bench::result("issue_ms", median(issues));
        bench::result("peak_mib", bench::peakMiB());
    } catch (const Error &e) {
        std::fprintf(stderr, "bench-ops-probe: %s\n", qPrintable(e.message()));
        return 1;
    }
    return 0;
}
