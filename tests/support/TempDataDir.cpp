#include "TempDataDir.h"

#include "store/DataFiles.h"

#include <QFile>
#include <stdexcept>

TempDataDir::TempDataDir()
{
    if (!m_dir.isValid())
        throw std::runtime_error("cannot create a temporary folder");
}

void TempDataDir::write(const QString &name, const QByteArray &bytes) const
{
    QFile f(file(name));
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size())
        throw std::runtime_error("cannot write test file");
}

QByteArray TempDataDir::read(const QString &name) const
{
    QFile f(file(name));
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

void TempDataDir::createEmptyFiles() const
{
    for (const QString &name : vedaris::files::All)
        write(name, {});
}
