#pragma once

#include "reports/ReportEngine.h"
#include "store/Records.h"

#include <QDate>
#include <QString>
#include <QVector>
#include <vector>

// What each report's data pass hands to the report's layout: the selected stock
// lines, groups and sums, in the order the rows are written. Any pass that
// produces these (the one-pass readers below, or a literal nested pass) drives
// the same report.
namespace vedaris::reports {

struct ReportParams
{
    QDate date; // the expired stock report's date; the stock report's title date
    QDate start;
    QDate finish;
    QString department;
    bool blind = false; // the count sheet without the book quantities
};

// A stock line with what was issued from it (in the period, to the department).
struct IssuedLine
{
    StockRecord stock;
    double quantity = 0;
    double sum = 0;
};

struct DepartmentBlock
{
    QString name;
    QVector<IssuedLine> lines; // in the order of Base.dat
};

// The departments' lines as indexes into the stock lines they were issued
// from, each decoded once: a whole history's lines would otherwise hold a copy
// of their stock line each.
struct DepartmentLines
{
    struct Line
    {
        int stock = 0; // index into `stock`
        double quantity = 0;
        double sum = 0;
    };
    struct Block
    {
        QString name;
        int lines = 0; // index into `lines`: entries of the same name share their lines
    };
    QVector<StockRecord> stock;
    std::vector<std::vector<Line>> lines;
    std::vector<Block> blocks; // departments with lines, in the order of Otdelenie.dat

    static DepartmentLines of(const QVector<DepartmentBlock> &blocks);
    QVector<DepartmentBlock> toBlocks() const;
};

// The eight running totals of one drug of the movement report.
struct MovementLine
{
    QString name = {};
    QString unit = {};
    double receivedBeforeQuantity = 0, receivedBeforeSum = 0;
    double receivedQuantity = 0, receivedSum = 0;
    double issuedBeforeQuantity = 0, issuedBeforeSum = 0;
    double issuedQuantity = 0, issuedSum = 0;
};

// A drug's balances at the start and the end of the period. A balance never
// goes below zero, and the closing one builds on the corrected opening one.
struct MovementBalance
{
    double openingQuantity = 0, openingSum = 0;
    double closingQuantity = 0, closingSum = 0;

    static MovementBalance of(const MovementLine &line);
};

struct DatedIssue
{
    double date = 0;
    double quantity = 0;
    double sum = 0;
};

struct IssueBlock
{
    StockRecord stock;
    QVector<DatedIssue> issues; // in the order of Rashod.dat
};

// One pass over each data file the report needs, opened read-only. Rows, order
// and sums are those of re-reading the issue file for every stock record (and
// the stock file for every department or drug name): the issues are grouped by
// StockRecordId in file order and added up in the same order.
namespace pass {

QVector<StockRecord> expired(const QString &dataDir, const QDate &date,
                             const Progress &progress = {});
QVector<StockRecord> inStock(const QString &dataDir, const Progress &progress = {});
QVector<IssuedLine> consumption(const QString &dataDir, const QDate &start, const QDate &finish,
                                const Progress &progress = {});
QVector<StockRecord> purchases(const QString &dataDir, const QDate &start, const QDate &finish,
                               const Progress &progress = {});
QVector<IssuedLine> department(const QString &dataDir, const QDate &start, const QDate &finish,
                               const QString &department, const Progress &progress = {});
QVector<DepartmentBlock> departments(const QString &dataDir, const QDate &start,
                                     const QDate &finish, const Progress &progress = {});
DepartmentLines departmentLines(const QString &dataDir, const QDate &start, const QDate &finish,
                                const Progress &progress = {});
// One line per distinct name and unit of NamePreparat.dat (deleted entries
// included), in the order of their first entry, for drugs with live stock.
QVector<MovementLine> movement(const QString &dataDir, const QDate &start, const QDate &finish,
                               const Progress &progress = {});
QVector<IssueBlock> issueDates(const QString &dataDir, const QDate &start, const QDate &finish,
                               const Progress &progress = {});

} // namespace pass

} // namespace vedaris::reports
