#include "DataFiles.h"

#include "Error.h"
#include "Platform.h"
#include "WriteGate.h"

#include <QDir>
#include <QFile>

namespace vedaris::files {

namespace {

// NewOnly: a file that appeared meanwhile is left alone rather than emptied.
void createEmpty(const QString &file)
{
    QFile f(file);
    if (!f.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
        if (f.exists())
            return;
        throw Error(file, f.errorString());
    }
    f.close();
    if (f.error() != QFileDevice::NoError)
        throw Error(file, f.errorString());
}

} // namespace

QString path(const QString &dataDir, const QString &name)
{
    return QDir(dataDir).filePath(name);
}

QString notPlainFile(const QString &dataDir)
{
    for (const QString &name : All)
        if (const QString why = platform::notRegularFile(path(dataDir, name)); !why.isEmpty())
            return QStringLiteral("файл данных \"%1\" не годится: %2").arg(name, why);
    return {};
}

void ensureExist(const QString &dataDir)
{
    if (!writes::allowed(dataDir))
        return;
    // The stock files come first. When only one of them exists the other is
    // created empty: refusing to start would lock the user out of the data.
    for (const QString &name : All) {
        const QString file = path(dataDir, name);
        if (!QFile::exists(file))
            createEmpty(file);
    }
}

} // namespace vedaris::files
