#pragma once

#include "store/Records.h"

#include <QDate>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <vector>

// A deterministic generator of hospital store data for tests, benchmarks and the
// demo. The same options give the same bytes on every run and platform. The data
// keeps every rule the program's own operations keep: a batch's RecordId is its
// slot, its quantity is what the issue operation leaves after each issue in turn
// (each difference and product formed in extended precision and rounded once),
// issues come from batches received on or before the issue date, and the issues
// of a deleted batch are deleted with it.
namespace vedaris::gen {

struct Options
{
    std::uint64_t seed = 1;
    int batches = 1000;
    int issues = 10000; // none when there are no batches
    int drugNames = 200;
    int suppliers = 20;
    int manufacturers = 40;
    int departments = 15;
    QDate first = QDate(2015, 1, 1); // receipts and issues fall within [first, last]
    QDate last = QDate(2024, 12, 31);
    double deletedBatchShare = 0.03;
    // Issues written and then marked deleted again because their batch could not
    // be rewritten: deleted, and never taken off the batch's quantity.
    double failedIssueShare = 0.005;
    double deletedEntryShare = 0.03; // reference entries
    // Awkward data for the report checks: names and departments that differ only
    // by case or a trailing blank, the same drug name under several units, texts
    // that look like numbers or dates, issues without or with unlisted departments.
    bool hostile = false;
};

// An issue kept compactly; issueRecord() gives the full record.
struct Issue
{
    qint32 batch = 0; // slot in Base.dat
    qint32 department = 0; // index into Data::departmentTexts
    double quantity = 0;
    double sum = 0;
    double price = 0;
    double date = 0;
    bool deleted = false;
};

struct Data
{
    std::vector<DrugNameEntry> names;
    std::vector<ReferenceEntry> suppliers;
    std::vector<ReferenceEntry> manufacturers;
    std::vector<ReferenceEntry> departments;
    std::vector<StockRecord> stock; // index = slot
    std::vector<Issue> issues; // index = slot in Rashod.dat
    QStringList departmentTexts; // what issues carry as Department

    IssueRecord issueRecord(std::size_t slot) const;
};

Data generate(const Options &options);

// Writes the six data files into `dataDir` (created when missing), replacing any
// that exist there.
void write(const Data &data, const QString &dataDir);

} // namespace vedaris::gen
