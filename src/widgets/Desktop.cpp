#include "Desktop.h"

#include "Messages.h"
#include "store/DataFolder.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>

namespace vedaris::desktop {

namespace {
Opener currentOpener;
QString programDirOverride;
} // namespace

bool open(const QUrl &url)
{
    return currentOpener ? currentOpener(url) : QDesktopServices::openUrl(url);
}

void setOpener(Opener opener)
{
    currentOpener = std::move(opener);
}

QString programDir()
{
    return programDirOverride.isEmpty() ? QCoreApplication::applicationDirPath()
                                        : programDirOverride;
}

void setProgramDir(const QString &dir)
{
    programDirOverride = dir;
}

QString helpFilePath()
{
    const QString beside = QDir(programDir()).filePath(QStringLiteral("Прочти.DOC"));
    // An installed copy keeps its guide with the system's documentation.
    const QString installed = QDir(folders::docDir(programDir())).filePath(QStringLiteral("guide.html"));
    return QFileInfo::exists(beside) || !QFileInfo::exists(installed) ? beside : installed;
}

void openHelp(QWidget *parent)
{
    const QString path = helpFilePath();
    if (!QFileInfo::exists(path)) {
        Messages::info(parent, QStringLiteral("Файл справки не найден!"));
        return;
    }
    if (!open(QUrl::fromLocalFile(path)))
        Messages::info(parent, QStringLiteral("Возможно, у Вас не установлен MSWord"));
}

} // namespace vedaris::desktop
