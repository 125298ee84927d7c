#include "Desktop.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>

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
    return QDir(programDir()).filePath(QStringLiteral("Прочти.DOC"));
}

} // namespace vedaris::desktop
