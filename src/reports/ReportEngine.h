#pragma once

#include "reports/Workbook.h"

#include <QStringList>
#include <QVector>
#include <functional>
#include <memory>
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
        Text, // kept as text whatever it holds (the record's own text fields)
        Typed, // taken as typed: a number or date text becomes a number or date
        Number,
        Date, // `number` is the day serial, taken as its text "dd.mm.yyyy" would be
    };
    Kind kind = Kind::Text;
    QString text;
    double number = 0;
};

CellData textCell(const QString &text);
CellData typedCell(const QString &text);
CellData numberCell(double value);
// The number format of a sum of money.
inline const QString MoneyFormat = QStringLiteral("0.00");
CellData dateCell(double serial); // the date text, which the sheet takes as a date
// The number as its text (15 significant digits) would be typed into the sheet.
CellData roundedCell(double value);

void writeCell(Workbook &book, int row, int col, const CellData &cell);

struct FontStep
{
    Range range;
    bool bold = false;
    double size = 0; // 0: left alone
};

// What a column holds in the totals row.
enum class Total {
    None,
    Label, // "ИТОГО:"
    Quantity, // the sum of the column's numbers
    Money,
};

// One column of a table: its header, its width in characters and the cell it
// shows for a line. A column without a cell holds the running number.
template<class Line> struct Column
{
    QString header;
    double width = 0;
    std::function<CellData(const Line &)> cell;
    Total total = Total::None;
};

template<class Line> using Columns = QVector<Column<Line>>;

struct TotalsColumns
{
    int label = 0; // the column of "ИТОГО:"
    int quantity = 0;
    int money = 0;
};

struct RowTotals
{
    double quantity = 0;
    double money = 0;
};

enum class TableBorders {
    None, // the report draws its own
    GrowWithRows, // the table is re-bordered after each data row (none when empty)
    AfterPass, // one range after the data pass, the header alone when empty
};

struct Layout
{
    QString name; // the report's name, for a readable file name
    QVector<double> widths; // one per column, A first
    QVector<FontStep> fonts;
    QVector<Range> titleMerges; // merged in this order
    Range centred;
    QStringList titles; // rows 1, 2 (and 3), column A
    bool lastTitleAsText = false; // the third title carries a record's text
    int headerRow = 4;
    QStringList headers; // the header row from column A
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

// How the header row below the titles is set off.
enum class HeaderRow {
    Plain,
    Bold,
    BoldCentred,
};

// The heading of a table with one header row: the titles in rows 1 on, each
// merged over the table's width and in size 14, an empty row, then the header
// row in size 10 and the data rows below it.
Layout titledTable(int columns, const QStringList &titles, HeaderRow header);

template<class Line> QVector<double> widthsOf(const Columns<Line> &columns)
{
    QVector<double> widths;
    for (const Column<Line> &c : columns)
        widths << c.width;
    return widths;
}

template<class Line> QStringList headersOf(const Columns<Line> &columns)
{
    QStringList headers;
    for (const Column<Line> &c : columns)
        headers << c.header;
    return headers;
}

// Where the totals row puts its label and sums; none without a label column.
template<class Line> std::optional<TotalsColumns> totalsOf(const Columns<Line> &columns)
{
    TotalsColumns totals;
    for (int col = 1; col <= columns.size(); ++col) {
        const Total t = columns[col - 1].total;
        if (t == Total::Label)
            totals.label = col;
        else if (t == Total::Quantity)
            totals.quantity = col;
        else if (t == Total::Money)
            totals.money = col;
    }
    if (totals.label == 0)
        return std::nullopt;
    return totals;
}

// The same for a table described by its columns: widths, header texts and the
// totals row's columns come from them.
template<class Line>
Layout tableLayout(const Columns<Line> &columns, const QStringList &titles, HeaderRow header)
{
    Layout l = titledTable(int(columns.size()), titles, header);
    l.widths = widthsOf(columns);
    l.headers = headersOf(columns);
    l.totals = totalsOf(columns);
    return l;
}

// The rows of a sheet, shared by the plain tables and the block reports.
void writeHeader(Workbook &book, int row, const QStringList &headers);

// A data row in font size 10: `number` in the running-number column, each other
// column's cell of `line`; the totalled columns' numbers go into `totals`.
template<class Line>
void writeRow(Workbook &book, int row, int number, const Columns<Line> &columns, const Line &line,
              RowTotals &totals)
{
    book.setFontSize(Range::rows(row, row), 10);
    for (int col = 1; col <= columns.size(); ++col) {
        const Column<Line> &c = columns[col - 1];
        if (!c.cell) {
            book.setValue(row, col, QString::number(number));
            continue;
        }
        const CellData cell = c.cell(line);
        writeCell(book, row, col, cell);
        if (c.total == Total::Quantity)
            totals.quantity += cell.number;
        else if (c.total == Total::Money)
            totals.money += cell.number;
    }
}

// The bold totals row, bordered from the label to `lastColumn`.
void writeTotals(Workbook &book, int row, const TotalsColumns &columns, int lastColumn,
                 const RowTotals &totals);

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

    // One row of a plain table at the row counter, numbered from 1.
    template<class Line> void addRow(const Columns<Line> &columns, const Line &line)
    {
        writeRow(m_book, m_row, m_row - m_layout.firstDataRow + 1, columns, line, m_totals);
        ++m_row;
    }

    // `count` data rows at the row counter made from the report's lines when
    // they are read or written (StreamedRows.h), already in the order the sort
    // would give them, with the totals of their columns.
    void streamRows(std::shared_ptr<const RowSource> rows, int count, const RowTotals &totals);

    // A report of `rows` rows in all that no sheet can hold is refused before
    // its rows are written: true when the data rows are to be left out. The
    // workbook keeps its heading and fails to save, naming the rows needed.
    bool refuse(qint64 rows);

    // Page setup, totals row, orientation, sort and the empty test. `hasRows`
    // overrides the test "the row counter is still at the first data row".
    Outcome finish(std::optional<bool> hasRows = {});

private:
    Layout m_layout;
    Workbook m_book;
    int m_row;
    RowTotals m_totals;
    bool m_ordered = false; // the streamed rows come sorted
};

// "A1:H4" style ranges from numbers.
Range cells(int top, int left, int bottom, int right);

} // namespace vedaris::reports
