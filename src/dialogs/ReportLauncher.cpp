#include "ReportLauncher.h"

#include "store/Clock.h"
#include "store/Error.h"
#include "widgets/Desktop.h"
#include "widgets/Messages.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QUrl>

namespace vedaris {

namespace {

bool running = false;

} // namespace

bool reportRunning()
{
    return running;
}

void produceReport(QWidget *parent, const QString &dataDir, reports::ReportKind kind,
                   const reports::ReportParams &params, const ReportProgress &progress)
{
    if (running)
        return;
    running = true;
    if (progress.percent)
        progress.percent(0);
    struct Finally
    {
        const ReportProgress &progress;
        ~Finally()
        {
            if (progress.finished)
                progress.finished();
            running = false;
        }
    } finally{progress};

    // Only the expired stock report lets the window repaint while it reads.
    const bool repaint = kind == reports::ReportKind::Expired;
    reports::Outcome outcome;
    try {
        outcome = reports::runReport(kind, dataDir, params, [&](int percent) {
            if (progress.percent)
                progress.percent(percent);
            if (repaint)
                QCoreApplication::processEvents();
        });
    } catch (const Error &e) {
        Messages::error(parent, e);
        return;
    } catch (...) {
        Messages::info(parent, NoSpreadsheetMessage);
        return;
    }

    if (outcome.empty()) {
        Messages::info(parent, outcome.emptyMessage);
        return;
    }
    try {
        const QString path = newWorkbookPath(reportsFolder(), outcome.title);
        outcome.workbook->saveXlsx(path);
        if (!desktop::open(QUrl::fromLocalFile(path))) {
            // The workbook is saved: the user can still find it.
            const QString folder = QFileInfo(path).absolutePath();
            Messages::info(parent, NoSpreadsheetMessage + u'\n' + QDir::toNativeSeparators(path),
                           QStringLiteral("Открыть папку"), [parent, folder] {
                               if (!desktop::open(QUrl::fromLocalFile(folder)))
                                   Messages::info(parent,
                                                  QStringLiteral("Не удалось открыть папку %1")
                                                      .arg(QDir::toNativeSeparators(folder)));
                           });
        }
    } catch (...) {
        Messages::info(parent, NoSpreadsheetMessage);
    }
}

void runStockAvailabilityReport(QWidget *parent, const QString &dataDir,
                                const ReportProgress &progress)
{
    reports::ReportParams params;
    params.date = Clock::today();
    produceReport(parent, dataDir, reports::ReportKind::Stock, params, progress);
}

} // namespace vedaris
