#pragma once

#include <QString>
#include <QVector>

// Reads the six data files (never writes) and lists every broken rule that the
// program relies on, for someone repairing files that another program wrote.
namespace vedaris::check {

struct Finding
{
    QString file;       // file name without folder
    qint64 record = -1; // record number, -1 for the file as a whole
    QString text;       // what was found and what was expected, in Russian

    QString line() const; // "Base.dat, запись 5: ..."
};

struct Result
{
    QVector<Finding> findings;
    QStringList unreadable; // one message per file that could not be read
    qint64 recordsRead = 0;
};

// Dates: whole days from 01.01.1900 to 31.12.2200; the serial 0 (30.12.1899)
// is how an empty date was stored and is accepted.
Result run(const QString &dataDir);

} // namespace vedaris::check
