#include "DataFolder.h"

#include "Error.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryFile>

namespace vedaris::folders {

const char *const DataVariable = "VEDARIS_DATA";

namespace {

const QString applicationName = QStringLiteral("Vedaris");

// Permission bits say little on Windows and nothing for root, so a file is
// really made (and removed at once).
bool canWriteIn(const QString &dir)
{
    if (!QFileInfo(dir).isDir())
        return false;
    QTemporaryFile probe(QDir(dir).filePath(QStringLiteral(".vedaris-probe-XXXXXX")));
    return probe.open();
}

QString absolute(const QString &dir)
{
    return QDir::cleanPath(QDir(dir).absolutePath());
}

} // namespace

DataFolder chooseData(const QString &option, const QString &environment, const QString &programDir)
{
    if (!option.isEmpty())
        return {absolute(option), DataFolder::Source::Option};
    if (!environment.isEmpty())
        return {absolute(environment), DataFolder::Source::Environment};
    if (!isInstalled(programDir) && canWriteIn(programDir))
        return {absolute(programDir), DataFolder::Source::ProgramFolder};
    return {absolute(userDataFolder()), DataFolder::Source::UserFolder};
}

DataFolder chooseData(const QString &option)
{
    return chooseData(option, qEnvironmentVariable(DataVariable),
                      QCoreApplication::applicationDirPath());
}

QString userDataFolder()
{
    // AppDataLocation follows the application's name, which defaults to the
    // executable's; the three programs must meet in one folder.
    const QString own = QCoreApplication::applicationName();
    QCoreApplication::setApplicationName(applicationName);
    QString path = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    QCoreApplication::setApplicationName(own);
    return path;
}

void create(const DataFolder &folder)
{
    if (QFileInfo(folder.path).isDir())
        return;
    if (!QDir().mkpath(folder.path))
        throw Error({},
                    QStringLiteral("Не удалось создать папку данных \"%1\".")
                        .arg(QDir::toNativeSeparators(folder.path)));
}

QString sharedDir(const QString &programDir)
{
    return QDir::cleanPath(programDir + QStringLiteral("/../share/vedaris"));
}

QString docDir(const QString &programDir)
{
    return QDir::cleanPath(programDir + QStringLiteral("/../share/doc/vedaris"));
}

bool isInstalled(const QString &programDir)
{
    return QFileInfo(sharedDir(programDir)).isDir();
}

} // namespace vedaris::folders
