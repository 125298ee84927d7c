#pragma once

#include "store/Snapshot.h"

#include <QDate>
#include <QString>
#include <QStringList>
#include <QVector>
#include <array>

// A one-way copy of a store's six data files into PostgreSQL (schema vedaris),
// the store's rows tagged with its name, many stores in one database. Only
// reads the data folder. Each run is one transaction: it loads everything it
// found changed, or nothing.
namespace vedaris::mirror {

struct Options
{
    QString dataDir;
    QString store;
    QString conninfo;
    bool replace = false; // take over a store name loaded from another folder
    snapshot::Retry retry;
};

// What a run found in one file, against what the database held.
struct FileCounts
{
    QString file;
    qint64 records = 0; // whole records in the file
    qint64 added = 0; // slots the database did not have
    qint64 changed = 0; // records whose bytes changed (edits, new quantities, restored bytes)
    qint64 deleted = 0; // live records now deleted
    qint64 reused = 0; // deleted slots taken by a new record: a new row, the old one kept
    qint64 vanished = 0; // slots beyond the file's end now (a shorter file put back)
    qint64 total() const { return added + changed + deleted + reused + vanished; }
};

struct Outcome
{
    bool firstLoad = false; // the store was not in the database, or was replaced
    bool wrote = false; // false: nothing changed, nothing was written
    std::array<FileCounts, 6> files; // in the order of files::All
    QStringList findings; // the broken rules of the files, worded as vedaris-check words them
};

// Throws vedaris::Error with a Russian reason; then nothing was written.
Outcome run(const Options &options);

// Per store, the figures of the consolidated report on `date`.
struct StoreFigures
{
    QString store;
    qint64 batches = 0; // live batches with a quantity
    double stockValue = 0; // their TotalSum
    double expiredValue = 0; // of those expired by the date
    double expiringValue = 0; // of those expiring within the 90 days after it
    double monthQuantity = 0; // issued in the date's calendar month
    double monthConsumption = 0; // their IssuedSum
};
QVector<StoreFigures> consolidated(const QString &conninfo, const QDate &date);

} // namespace vedaris::mirror
