#include "Desktop.h"

#include "Messages.h"
#include "store/DataFolder.h"
#include "store/Platform.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QProcess>

namespace vedaris::desktop {

namespace {
Opener currentOpener;
QString programDirOverride;

// The desktop's opener, judged by what it answers: xdg-open starts even when
// no application can open the file and then ends with a failure status ("no
// method available"), which starting it alone would take for success.
bool systemOpen(const QUrl &url)
{
    if (url.isLocalFile())
        if (const std::optional<bool> opened = platform::shellOpen(url.toLocalFile()))
            return *opened;
    const QStringList command = platform::openerCommand();
    if (command.isEmpty())
        return QDesktopServices::openUrl(url);
    auto *process = new QProcess;
    process->setProgram(command.first());
    process->setArguments(command.mid(1)
                          << (url.isLocalFile() ? url.toLocalFile() : url.toString()));
    process->setStandardOutputFile(QProcess::nullDevice());
    process->setStandardErrorFile(QProcess::nullDevice());
    QObject::connect(process, &QProcess::finished, process, &QObject::deleteLater);
    process->start();
    if (!process->waitForStarted(5000)) {
        delete process;
        return false;
    }
    // An opener still running after a while waits for the application it
    // started: that opened it. It is left to end on its own.
    if (!process->waitForFinished(3000))
        return true;
    return process->exitStatus() == QProcess::NormalExit && process->exitCode() == 0;
}

} // namespace

bool open(const QUrl &url)
{
    return currentOpener ? currentOpener(url) : systemOpen(url);
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
    const QString installed =
        QDir(folders::docDir(programDir())).filePath(QStringLiteral("guide.html"));
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
