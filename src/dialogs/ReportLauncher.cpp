#include "ReportLauncher.h"

#include "store/Clock.h"
#include "store/Error.h"
#include "widgets/Desktop.h"
#include "widgets/Messages.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
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
    // Where the user keeps documents, and nothing clears as a temporary folder
    // may be: the documents folder, else the home folder when the desktop has
    // none, the temporary folder only when there is no home either.
    QString base = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (base.isEmpty() || !QFileInfo(base).isDir())
        base = QDir::homePath();
    if (base.isEmpty() || !QFileInfo(base).isDir() || QDir(base).isRoot())
        base = QStandardPaths::writableLocation(QStandardPaths::TempLocation);
    return QDir(base).filePath(QStringLiteral("Ведарис отчёты"));
}

void setReportsFolder(const QString &folder)
{
    folderOverride = folder;
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
        const QString path = workbookPath(outcome.title);
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
