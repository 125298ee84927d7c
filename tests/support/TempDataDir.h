#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

// A throw-away data folder for one test.
class TempDataDir
{
public:
    TempDataDir();

    QString path() const { return m_dir.path(); }
    QString file(const QString &name) const { return m_dir.filePath(name); }

    void write(const QString &name, const QByteArray &bytes) const;
    QByteArray read(const QString &name) const;
    // Creates the six data files empty, as a first start does.
    void createEmptyFiles() const;

private:
    QTemporaryDir m_dir;
};
