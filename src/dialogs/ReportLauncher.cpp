#include "ReportLauncher.h"

#include "app/Forms.h"
#include "app/TFormGl.h"
#include "store/Clock.h"
#include "store/Error.h"
#include "widgets/Desktop.h"
#include "widgets/Messages.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QProgressBar>
#include <QStandardPaths>
#include <QUrl>

namespace vedaris {

namespace {

bool running = false;
QString folderOverride;

// A name the user recognises in the spreadsheet's title bar; never an
// existing file.
QString workbookPath(const QString &title)
{
    QDir dir(reportsFolder());
    if (!dir.mkpath(QStringLiteral(".")))
        throw Error(dir.path(), QStringLiteral("не удалось создать папку"));
    QString name = title;
    for (QChar &c : name)
        if (QStringLiteral("\\/:*?\"<>|").contains(c))
            c = QLatin1Char('_');
    const QString base = name + QLatin1Char(' ')
                         + QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH-mm-ss"));
    QString path = dir.filePath(base + QStringLiteral(".xlsx"));
    for (int n = 2; QFileInfo::exists(path); ++n)
        path = dir.filePath(QStringLiteral("%1 (%2).xlsx").arg(base).arg(n));
    return path;
}

} // namespace

bool reportRunning()
{
    return running;
}

QString reportsFolder()
{
    if (!folderOverride.isEmpty())
        return folderOverride;
    return QDir(QStandardPaths::writableLocation(QStandardPaths::TempLocation))
        .filePath(QStringLiteral("Vedaris reports"));
}

void setReportsFolder(const QString &folder)
{
    folderOverride = folder;
}

void produceReport(Forms &forms, reports::ReportKind kind, const reports::ReportParams &params)
{
    if (running)
        return;
    running = true;
    TFormGl *main = forms.FormGl;
    QProgressBar *bar = main->progressBar();
    bar->setValue(0);
    bar->show();
    struct Finally
    {
        QProgressBar *bar;
        ~Finally()
        {
            bar->hide();
            running = false;
        }
    } finally{bar};

    // Only the expired stock report lets the window repaint while it reads.
    const bool repaint = kind == reports::ReportKind::Expired;
    reports::Outcome outcome;
    try {
        outcome = reports::runReport(kind, forms.dataDir(), params, [&](int percent) {
            bar->setValue(percent);
            if (repaint)
                QCoreApplication::processEvents();
        });
    } catch (const Error &e) {
        Messages::error(main, e);
        return;
    } catch (...) {
        Messages::info(main, NoSpreadsheetMessage);
        return;
    }

    if (outcome.empty()) {
        Messages::info(main, outcome.emptyMessage);
        return;
    }
    try {
        const QString path = workbookPath(outcome.title);
        outcome.workbook->saveXlsx(path);
        if (!desktop::open(QUrl::fromLocalFile(path)))
            Messages::info(main, NoSpreadsheetMessage);
    } catch (...) {
        Messages::info(main, NoSpreadsheetMessage);
    }
}

void runStockAvailabilityReport(Forms &forms)
{
    reports::ReportParams params;
    params.date = Clock::today();
    produceReport(forms, reports::ReportKind::Stock, params);
}

} // namespace vedaris
