#include "DataFiles.h"

#include "Error.h"
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
