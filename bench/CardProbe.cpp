// The view window's batch card on a data folder, offscreen: the main window
// with its list, then the card of the batch with the most live issues, opened
// by the double-click handler a few times and timed until it is shown and
// painted. With --add-issues N that batch first gets N more issues (its received
// quantity and sum raised to match), so one batch holds thousands. Prints its
// figures as key=value lines.
#include "Probe.h"

#include "app/Forms.h"
#include "app/TFormGl.h"
#include "dialogs/TFormViewZap.h"
#include "operations/StockRow.h"
#include "store/DataFiles.h"
#include "store/RecordFile.h"
#include "store/StockArithmetic.h"
#include "widgets/ListView.h"
#include "widgets/Messages.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLocale>
#include <QTableView>
#include <QTimer>
#include <algorithm>
#include <unordered_map>

using namespace vedaris;

namespace {

qint32 busiestBatch(const QString &dir)
{
    std::unordered_map<qint32, int> counts;
    RecordFile(files::path(dir, files::Rashod), IssueRecord::Size, RecordFile::ReadOnly)
        .scan([&](qint64, const char *r) {
            if (!field::isDeleted(r, IssueRecord::DeletedOffset))
                ++counts[field::int32(r, IssueRecord::StockRecordIdOffset)];
            return true;
        });
    const auto most =
        std::max_element(counts.begin(), counts.end(),
                         [](const auto &a, const auto &b) { return a.second < b.second; });
    return most == counts.end() ? 0 : most->first;
}

void addIssues(const QString &dir, qint32 id, int n)
{
    TypedFile<StockRecord> base(files::path(dir, files::Base));
    TypedFile<IssueRecord> rashod(files::path(dir, files::Rashod));
    StockRecord batch = base.read(id);
    IssueRecord issue = issueFromBatch(batch);
    issue.Department = QStringLiteral("Хирургия");
    issue.IssuedQuantity = 1;
    issue.UnitPrice = batch.UnitPrice;
    issue.IssuedSum = batch.UnitPrice;
    issue.StockRecordId = id;
    for (int k = 0; k < n; ++k) {
        issue.IssueDate = batch.ReceiptDate + k % 700;
        rashod.write(rashod.count(), issue);
    }
    batch.ReceivedQuantity += n;
    batch.ReceivedSum = product(batch.UnitPrice, batch.ReceivedQuantity);
    base.write(id, batch);
}

} // namespace

int main(int argc, char **argv)
{
    const bool adding = argc == 4 && QByteArray(argv[2]) == "--add-issues";
    if (argc != 2 && !adding) {
        std::fprintf(stderr, "usage: bench-card-probe DATA_DIR [--add-issues N]\n");
        return 2;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    QApplication app(argc, argv);
    Messages::startRecording();
    const QString dir = QString::fromLocal8Bit(argv[1]);

    const qint32 id = busiestBatch(dir);
    if (adding)
        addIssues(dir, id, QByteArray(argv[3]).toInt());
    Forms forms(dir);
    TFormGl *gl = forms.FormGl;
    gl->show();
    app.processEvents();
    auto *list = gl->findChild<ListView *>(QStringLiteral("RzListView1"));
    const QString wanted = QString::number(id);
    for (int row = 0; row < list->rowCount(); ++row)
        if (list->cell(row, stockcol::RecordId) == wanted) {
            list->setSelectedRow(row);
            break;
        }
    if (gl->selectedRecordId() != id)
        return 1;

    TFormViewZap *view = forms.FormViewZap;
    auto *issues = view->findChild<QTableView *>(QStringLiteral("RzListViewVRashod"));
    double best = 0, worst = 0;
    int rows = 0;
    for (int run = 0; run < 5; ++run) {
        QElapsedTimer t;
        double ms = 0;
        QTimer::singleShot(0, view, [&] {
            view->repaint();
            ms = double(t.nsecsElapsed()) / 1e6;
            rows = issues->model()->rowCount();
            view->close();
        });
        t.start();
        gl->RzListView1DblClick();
        best = run == 0 ? ms : std::min(best, ms);
        worst = std::max(worst, ms);
    }
    bench::result("card_ms", best);
    bench::result("card_worst_ms", worst);
    bench::result("card_issues", rows);
    bench::result(
        "file_issues",
        double(RecordFile(files::path(dir, files::Rashod), IssueRecord::Size, RecordFile::ReadOnly)
                   .count()));
    bench::result("messages", Messages::takeRecorded().size());
    return 0;
}
