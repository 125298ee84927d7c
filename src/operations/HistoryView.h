#pragma once

#include "store/History.h"

#include <QDate>
#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

// The history as the window and the deletion report read it: records decoded
// field by field, entries filtered by period, kind and drug.
namespace vedaris::ops {

struct FieldChange
{
    QString field; // "Количество"
    QString before; // as shown; empty where the record did not exist
    QString after;
};

struct RecordView
{
    QString what; // "Партия \"Анальгин\" (Base.dat, запись 3)"
    QString change; // "добавлена", "удалена", "изменена", "восстановлена", "отрезана"
    std::vector<FieldChange> fields; // every field when added or removed, else the changed ones
};

// Every record an entry touched, with its fields.
std::vector<RecordView> recordViews(const history::Entry &e);

// The drug names an entry's stock and issue records carry, before and after.
QStringList drugsOf(const history::Entry &e);

struct HistoryFilter
{
    QDate from, to; // both invalid: any date
    QString kind; // empty: any
    QString drug; // part of a drug name, any case; empty: any
    bool matches(const history::Entry &e) const;
};

// A batch or an issue that a deletion removed, for the deletion report.
struct DeletedRecord
{
    QDateTime when; // of the deletion
    quint64 entry = 0; // its number in the history
    bool issue = false; // an issue of the batch, else the batch
    qint64 index = 0; // its record number
    QString drugName, unit, series, department;
    double quantity = 0; // the batch's remainder, or the issue's quantity
    double sum = 0;
    double date = 0; // receipt date of a batch, issue date of an issue
};
// The batches and issues deleted (their mark set by an operation of kind
// Delete) between `from` and `to`, local dates inclusive; oldest first. Reads
// from the end and stops at the first entry before `from`.
std::vector<DeletedRecord> deletions(const QString &dataDir, const QDate &from, const QDate &to);

} // namespace vedaris::ops
