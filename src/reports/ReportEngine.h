#pragma once

#include "reports/Workbook.h"

#include <QStringList>
#include <QVector>
#include <functional>
#include <optional>

// The common sequence every report follows: the sheet, its widths, heading fonts,
// titles and header, the data rows with their running numbers and totals, page
// setup, the totals row, orientation, sort and the test for an empty result. A
// report describes itself with a Layout and feeds the rows of its data pass.
namespace vedaris::reports {

// Percentage of the report's records read so far (0 to 100).
using Progress = std::function<void(int percent)>;

// One cell of a data row.
struct CellData
{
    enum class Kind {
        Text,  // kept as text whatever it holds (the record's own text fields)
        Typed, // taken as typed: a number or date text becomes a number or date
        Number,
    };
    Kind kind = Kind::Text;
    QString text;
    double number = 0;
};

CellData textCell(const QString &text);
CellData typedCell(const QString &text);
CellData numberCell(double value);
CellData dateCell(double serial); // the date text, which the sheet takes as a date

void writeCell(Workbook &book, int row, int col, const CellData &cell);

struct FontStep
{
    Range range;
    bool bold = false;
    double size = 0; // 0: left alone
};

struct TotalsColumns
{
    int label = 0; // the column of "ИТОГО:"
    int quantity = 0;
    int money = 0;
};

enum class TableBorders {
    None,          // the report draws its own
    GrowWithRows,  // the table is re-bordered after each data row (none when empty)
    AfterPass,     // one range after the data pass, the header alone when empty
};

struct Layout
{
    QString name;           // the report's name, for a readable file name
    QVector<double> widths; // one per column, A first
    QVector<FontStep> fonts;
    QVector<Range> titleMerges; // merged in this order
    Range centred;
    QStringList titles;        // rows 1, 2 (and 3), column A
    bool lastTitleAsText = false; // the third title carries a record's text
    int headerRow = 4;
    QStringList headers;       // the header row from column A
    // A header that is more than one row of texts (drawn in place of `headers`).
    std::function<void(Workbook &)> customHeader;
    int firstDataRow = 5;
    TableBorders borders = TableBorders::GrowWithRows;
    int bordersFrom = 4; // first row of the bordered table
    std::optional<TotalsColumns> totals;
    int zoom = 100;
    bool landscape = false;
    bool sorted = false; // data rows ascending by column B
    QString emptyMessage;

    int columns() const { return int(widths.size()); }
};

// What a report run ends in: the finished workbook, or nothing to report with
// the report's own message.
struct Outcome
{
    std::optional<Workbook> workbook;
    QString emptyMessage;
    QString title; // the report's name, for a readable file name
    // Numbers that are not finite and dates no day can hold, met in the data
    // the report was built from (damaged records).
    int oddValues = 0;

    bool empty() const { return !workbook.has_value(); }
};

class ReportSheet
{
public:
    static inline const QString SheetName = QStringLiteral("Отчёт");
    static inline const QString TotalsLabel = QStringLiteral("ИТОГО:");

    // Builds the sheet up to the header row.
    explicit ReportSheet(Layout layout);

    Workbook &book() { return m_book; }
    const Layout &layout() const { return m_layout; }
    int row() const { return m_row; }
    void setRow(int row) { m_row = row; }

    // One row of a plain table at the row counter: font size 10, the running
    // number in column A, `cells` from column B on; the values go into the totals.
    void addRow(const QVector<CellData> &cells, double quantity = 0, double money = 0);

    // Page setup, totals row, orientation, sort and the empty test. `hasRows`
    // overrides the test "the row counter is still at the first data row".
    Outcome finish(std::optional<bool> hasRows = {});

private:
    Layout m_layout;
    Workbook m_book;
    int m_row;
    double m_quantityTotal = 0;
    double m_moneyTotal = 0;
};

// "A1:H4" style ranges from numbers.
Range cells(int top, int left, int bottom, int right);

} // namespace vedaris::reports
