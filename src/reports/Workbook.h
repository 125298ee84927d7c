#pragma once

#include <QDate>
#include <QString>
#include <QVector>
#include <functional>
#include <map>
#include <memory>
#include <variant>
#include <vector>

// The workbook the reports build: one worksheet with the calls of a spreadsheet
// application's automation interface, kept in memory and written out as .xlsx.
// Rows and columns count from 1, as in the spreadsheet application.
namespace vedaris::reports {

class RowSource;
class StreamRow;

// The sheet's size limits.
inline constexpr int maxRows = 1048576;
inline constexpr int maxColumns = 16384;

struct Range
{
    int top = 1, left = 1, bottom = 1, right = 1;

    static Range cell(int row, int col) { return {row, col, row, col}; }
    static Range rows(int first, int last); // whole rows: columns 1 to maxColumns
    // "A1:H4", "B5", "A6:K12", "4:4"; throws std::invalid_argument on a bad address.
    static Range parse(const QString &address);
    static Range corners(const QString &a, const QString &b) { return span(parse(a), parse(b)); }
    static Range span(const Range &a, const Range &b);
    bool wholeRows() const;
    bool operator==(const Range &) const = default;
};

QString columnName(int col); // 1 -> "A", 27 -> "AA"

// Alignments and orientations carry the numbers the spreadsheet application's
// automation interface gives them.
enum class HAlign { General = 1, Left = 2, Center = 3 };
enum class VAlign { Bottom = -4107, Center = 2 };

struct CellFormat
{
    bool bold = false;
    double fontSize = 0; // 0: the sheet's default (11)
    HAlign hAlign = HAlign::General;
    VAlign vAlign = VAlign::Bottom;
    bool wrap = false;
    bool border = false; // thin line on all four edges
    QString numberFormat; // "" general, "@" text, "dd.mm.yyyy" for dates
    bool operator==(const CellFormat &) const = default;
};

// A cell's value as the spreadsheet application stores it.
using CellValue = std::variant<std::monostate, double, QString>;

struct Cell
{
    CellValue value;
    CellFormat format;
};

// The order Workbook::sort puts rows in by their keys: numbers by value, then
// texts in Russian order ignoring case, then empty keys; stable.
std::vector<int> sortedOrder(const std::vector<CellValue> &keys);

struct PageSetup
{
    int zoom = 100;
    double leftMargin = 72, rightMargin = 72, topMargin = 72, bottomMargin = 72; // points
    enum Orientation : int { Portrait = 1, Landscape = 2 };
    int orientation = Portrait;
    // Rows printed atop every page, counted from 1; 0 for none.
    int repeatRowsFrom = 0;
    int repeatRowsTo = 0;
    // Every column on one page's width (as many pages down as the rows need).
    bool fitToWidth = false;
};

class Workbook
{
public:
    Workbook();
    ~Workbook();
    Workbook(Workbook &&) noexcept;
    Workbook &operator=(Workbook &&) noexcept;

    void setSheetName(const QString &name);
    QString sheetName() const;
    void setColumnWidth(int col, double characters);
    double columnWidth(int col) const; // 0 when never set

    // A number stays a number. A text in a cell not formatted "@" is taken as
    // typed under Russian settings: a whole number text ("-12", "3,5", "1E5")
    // becomes a number, a valid dd.mm.yyyy becomes a date serial shown as a date,
    // anything else stays text. A cell formatted "@" keeps any text as text.
    void setValue(int row, int col, const QString &text);
    void setValue(int row, int col, double number);
    // A date as setValue takes its text "dd.mm.yyyy", without the text.
    void setDate(int row, int col, const QDate &date);
    // Writes the text as text: the cell is formatted "@" first.
    void setText(int row, int col, const QString &text);

    // Formats of a range (or of whole rows: they apply to the row's cells now and
    // to those written there later).
    void setBold(const Range &r, bool bold = true);
    void setFontSize(const Range &r, double points);
    void setHorizontalAlignment(const Range &r, HAlign a);
    void setVerticalAlignment(const Range &r, VAlign a);
    void setWrap(const Range &r, bool wrap = true);
    void setNumberFormat(const Range &r, const QString &format);
    // Thin lines on every outer and inner edge; idempotent and cheap to repeat.
    void setBorders(const Range &r);
    // The range becomes one cell keeping the first non-empty value (reading order)
    // in its top-left cell. Throws std::invalid_argument for a merge overlapping
    // an earlier one.
    void merge(const Range &r);
    // Rows of the range ascending by the key column: numbers by value, then texts
    // in Russian order ignoring case, then empty keys; stable; formats move along.
    void sort(const Range &r, int keyColumn);

    PageSetup &pageSetup();
    const PageSetup &pageSetup() const;

    // The sheet needs `rows` rows whatever it holds: a report too large for a
    // sheet is built without its data rows and refused by saveXlsx before any
    // file is written.
    void requireRows(qint64 rows);

    // Rows made on demand from a report's compact lines (WorkbookStream.h)
    // rather than held: read through the calls below like any other, and
    // written one at a time straight into the file. Nothing but border
    // rectangles may be set in the source's rows afterwards.
    void stream(std::shared_ptr<const RowSource> rows);
    bool streamed(int row) const;
    // A change made to every streamed row as it is made (rounding, number formats).
    void presentStreamed(std::function<void(int row, StreamRow &)> present);
    // The same workbook with its streamed rows held like any others.
    Workbook materialized() const;

    // Reading back (tests, the writer).
    // A snapshot of the cell (row formats and borders folded in), nullptr when
    // never touched; the pointer stays valid as long as the workbook, but its
    // contents reflect the moment of the call.
    const Cell *cell(int row, int col) const;
    CellValue value(int row, int col) const;
    CellFormat format(int row, int col) const; // row formats folded in
    QVector<Range> merges() const;
    int lastRow() const;
    int lastColumn() const;

    // Writes the workbook as .xlsx. Throws vedaris::Error (file and reason) when
    // the file cannot be written or the sheet exceeds 1,048,576 rows or 16,384
    // columns; then no file is left at `path`.
    void saveXlsx(const QString &path) const;

    // The storage, shared with the .xlsx writers (WorkbookImpl.h).
    struct Impl;
    const Impl &storage() const { return *d; }

private:
    std::unique_ptr<Impl> d;
};

} // namespace vedaris::reports
