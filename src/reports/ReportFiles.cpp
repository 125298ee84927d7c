#include "ReportFiles.h"

#include "store/Error.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace vedaris {

namespace {

QString folderOverride;

} // namespace

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

QString newWorkbookPath(const QString &folder, const QString &title, const QDateTime &made)
{
    QDir dir(folder);
    if (!dir.mkpath(QStringLiteral(".")))
        throw Error(dir.path(), QStringLiteral("не удалось создать папку"));
    QString name = title;
    for (QChar &c : name)
        if (QStringLiteral("\\/:*?\"<>|").contains(c))
            c = QLatin1Char('_');
    const QString base =
        name + QLatin1Char(' ') + made.toString(QStringLiteral("yyyy-MM-dd HH-mm-ss"));
    QString path = dir.filePath(base + QStringLiteral(".xlsx"));
    for (int n = 2; QFileInfo::exists(path); ++n)
        path = dir.filePath(QStringLiteral("%1 (%2).xlsx").arg(base, QString::number(n)));
    return path;
}

} // namespace vedaris
