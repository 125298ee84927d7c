// The desktop program on a data folder, offscreen: start-up as the program does
// it up to the main window shown with the stock list filled, the day's backup
// behind it, a refill of the list, and search keystrokes. Prints its figures as
// key=value lines.
#include "Probe.h"

#include "app/Startup.h"
#include "app/TFormGl.h"
#include "widgets/ListView.h"
#include "widgets/Messages.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QLocale>
#include <QThread>
#include <algorithm>

using namespace vedaris;

int main(int argc, char **argv)
{
    QElapsedTimer since;
    since.start();
    if (argc != 2) {
        std::fprintf(stderr, "usage: bench-gui-probe DATA_DIR\n");
        return 2;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    QApplication app(argc, argv);
    Messages::startRecording(); // a message box would wait for a click
    const QString dir = QString::fromLocal8Bit(argv[1]);

    const double appReady = double(since.nsecsElapsed()) / 1e6;
    const auto session = startUp(dir);
    if (!session)
        return 1;
    TFormGl *gl = session->forms->FormGl;
    auto *list = gl->findChild<ListView *>(QStringLiteral("RzListView1"));
    auto *search = gl->findChild<QLineEdit *>(QStringLiteral("RzEditSearch"));
    app.processEvents();
    const double shown = double(since.nsecsElapsed()) / 1e6;
    bench::result("app_ms", appReady);
    bench::result("startup_ms", shown);
    bench::result("rows", list->rowCount());

    // The day's backup of a large store runs on behind the shown list.
    QElapsedTimer t;
    t.start();
    while (session->backup && session->backup->copying()) {
        app.processEvents();
        QThread::msleep(5);
    }
    bench::result("backup_ms", double(t.nsecsElapsed()) / 1e6);

    t.restart();
    gl->FillStockList();
    app.processEvents();
    bench::result("fill_ms", double(t.nsecsElapsed()) / 1e6);

    // Typed one character at a time: names near the top, near the end, and one
    // that matches nothing (the whole list searched).
    double worst = 0, total = 0;
    int keys = 0;
    for (const QString &word : {QStringLiteral("Амокс"), QStringLiteral("Эри"),
                                QStringLiteral("Шприц"), QStringLiteral("Ъъъ")}) {
        for (int n = 1; n <= word.size(); ++n) {
            search->setText(word.left(n));
            t.restart();
            gl->RzEditSearchKeyUp();
            app.processEvents();
            const double ms = double(t.nsecsElapsed()) / 1e6;
            worst = std::max(worst, ms);
            if (qEnvironmentVariableIsSet("VEDARIS_BENCH_VERBOSE"))
                std::fprintf(stderr, "search %s: %.2f ms, row %d\n", qPrintable(word.left(n)), ms,
                             list->selectedRow());
            total += ms;
            ++keys;
        }
    }
    bench::result("search_worst_ms", worst);
    bench::result("search_mean_ms", total / keys);
    bench::result("messages", Messages::takeRecorded().size());
    bench::result("peak_mib", bench::peakMiB());
    return 0;
}
