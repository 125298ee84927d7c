// Fills the stock list from a Base.dat of hospital size and times a search
// keystroke. `bench_stocklist [count]` measures generated data (default 100000
// batches), `bench_stocklist --dir DIR` the data files in DIR (vedaris-gen
// writes such a folder).
#include "DataGenerator.h"
#include "app/Forms.h"
#include "app/TFormGl.h"
#include "operations/StockModel.h"
#include "operations/StockOperations.h"
#include "store/Clock.h"
#include "store/DataFiles.h"
#include "store/RecordFile.h"
#include "widgets/ListView.h"
#include "widgets/Messages.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <vector>

using namespace vedaris;

namespace {

double msSince(const QElapsedTimer &t)
{
    return double(t.nsecsElapsed()) / 1e6;
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    QApplication app(argc, argv);
    // `--dir DIR` measures an existing data folder instead of a generated one.
    const bool existing = argc == 3 && QByteArray(argv[1]) == "--dir";
    const int count = existing ? -1 : argc > 1 ? QByteArray(argv[1]).toInt() : 100000;
    QTemporaryDir temporary;
    const QString dataDir = existing ? QString::fromLocal8Bit(argv[2]) : temporary.path();
    if (!existing) {
        // The list shows batches only; issues would just slow the writing down.
        gen::Options options;
        options.batches = count;
        options.issues = 0;
        gen::write(gen::generate(options), dataDir);
    }
    Messages::startRecording();
    Forms forms(dataDir);
    TFormGl *gl = forms.FormGl;
    auto *list = gl->findChild<ListView *>(QStringLiteral("RzListView1"));
    auto *search = gl->findChild<QLineEdit *>(QStringLiteral("RzEditSearch"));

    QElapsedTimer timer;
    timer.start();
    const std::clock_t cpuStart = std::clock();
    gl->show();
    QApplication::processEvents();
    const double fill = msSince(timer);
    // Processor time too: the wall clock suffers when the machine is shared.
    const double fillCpu = double(std::clock() - cpuStart) * 1000.0 / CLOCKS_PER_SEC;

    auto keystroke = [&](const QString &text) {
        search->setText(text);
        QElapsedTimer t;
        t.start();
        gl->RzEditSearchKeyUp();
        QApplication::processEvents();
        return msSince(t);
    };
    const double hitEarly = keystroke(QStringLiteral("ам"));
    const double hitLate = keystroke(QStringLiteral("  ЭРИ"));
    const double miss = keystroke(QStringLiteral("нет такого препарата"));

    timer.restart();
    const auto *stock = static_cast<const StockModel *>(list->rows());
    gl->insertStockRow({stock->slot(0), stock->record(0)});
    const double insert = msSince(timer);

    // The file pass of the fill with and without the status figures taken in
    // it, best of seven each in processor time, taken in turns; the figures'
    // own share, set for every record read; and the figures summed afresh, as
    // after every operation.
    double withFigures = 1e300, withoutFigures = 1e300;
    ops::StockFigures figures;
    for (int round = 0; round < 7; ++round) {
        for (bool with : {false, true}) {
            const std::clock_t start = std::clock();
            figures.clear();
            ops::readStock(dataDir, [&](qint64 slot, const StockRecord &r) {
                if (with)
                    figures.set(slot, r);
            });
            double &best = with ? withFigures : withoutFigures;
            best = std::min(best, double(std::clock() - start) * 1000.0 / CLOCKS_PER_SEC);
        }
    }
    std::vector<StockRecord> records;
    TypedFile<StockRecord>(files::path(dataDir, files::Base), RecordFile::ReadOnly)
        .forEach([&](qint64, const StockRecord &r) { return records.push_back(r), true; });
    timer.restart();
    ops::StockFigures alone;
    alone.reserve(qint64(records.size()));
    for (size_t i = 0; i < records.size(); ++i)
        alone.set(qint64(i), records[i]);
    const double setAll = msSince(timer);
    // What the issue dialog reads when it opens: the batch to issue first.
    timer.restart();
    if (!records.empty())
        ops::earlierBatch(dataDir, 0, records.front(), Clock::today());
    const double earlier = msSince(timer);
    timer.restart();
    const QString figuresText = ops::statusText(figures.totals(Clock::today()));
    const double sum = msSince(timer);

    std::printf("stock list, %d batches shown\n", list->rowCount() - 1);
    std::printf("  fill + sort + show     %8.1f ms (%.1f ms processor time)\n", fill, fillCpu);
    std::printf("  search keystroke, hit near the top   %6.2f ms\n", hitEarly);
    std::printf("  search keystroke, hit near the end   %6.2f ms\n", hitLate);
    std::printf("  search keystroke, no match           %6.2f ms\n", miss);
    std::printf("  receipt row insert + re-sort         %6.2f ms\n", insert);
    std::printf("  file pass of the fill, no figures    %8.1f ms processor time\n", withoutFigures);
    std::printf("  file pass of the fill, with figures  %8.1f ms processor time\n", withFigures);
    std::printf("  figures set for every record         %6.2f ms\n", setAll);
    std::printf("  figures summed after an operation    %6.2f ms\n", sum);
    std::printf("  issue dialog's earlier-batch read     %6.2f ms\n", earlier);
    std::printf("  %s\n", qPrintable(figuresText));
    const QStringList errors = Messages::takeRecordedTexts();
    if (!errors.isEmpty())
        std::printf("  messages: %s\n", qPrintable(errors.join(u"; ")));
    return 0;
}
