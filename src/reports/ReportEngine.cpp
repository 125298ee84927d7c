#include "reports/ReportEngine.h"

#include "store/TextFormats.h"

#include <charconv>
#include <cmath>

namespace vedaris::reports {

CellData textCell(const QString &text)
{
    return {CellData::Kind::Text, text, 0};
}

CellData typedCell(const QString &text)
{
    return {CellData::Kind::Typed, text, 0};
}

CellData numberCell(double value)
{
    return {CellData::Kind::Number, {}, value};
}

CellData dateCell(double serial)
{
    return {CellData::Kind::Date, {}, serial};
}

CellData roundedCell(double value)
{
    // The digits the text would show, read back; values whose text would not
    // read back as an ordinary number take the text's own way.
    if (std::isfinite(value) && (value == 0 || std::fabs(value) >= 1e-300)) {
        char buf[64];
        const auto printed =
            std::to_chars(buf, buf + sizeof buf, value, std::chars_format::scientific, 14);
        double rounded = 0;
        const auto read = std::from_chars(buf, printed.ptr, rounded);
        if (read.ec == std::errc() && std::isfinite(rounded))
            return numberCell(rounded == 0 ? 0.0 : rounded);
    }
    return typedCell(text::formatNumber(value));
}

void writeCell(Workbook &book, int row, int col, const CellData &cell)
{
    switch (cell.kind) {
    case CellData::Kind::Text:
        book.setText(row, col, cell.text);
        break;
    case CellData::Kind::Typed:
        book.setValue(row, col, cell.text);
        break;
    case CellData::Kind::Number:
        book.setValue(row, col, cell.number);
        break;
    case CellData::Kind::Date:
        book.setDate(row, col, text::serialToDate(cell.number));
        break;
    }
}

Range cells(int top, int left, int bottom, int right)
{
    return {top, left, bottom, right};
}

Layout titledTable(int columns, const QStringList &titles, HeaderRow header)
{
    const int titleRows = int(titles.size());
    Layout l;
    l.titles = titles;
    l.headerRow = titleRows + 2;
    l.firstDataRow = l.headerRow + 1;
    l.bordersFrom = l.headerRow;
    const int boldTo = header == HeaderRow::Plain ? titleRows : l.headerRow;
    const int centredTo = header == HeaderRow::BoldCentred ? l.headerRow : titleRows;
    l.fonts = {{cells(1, 1, boldTo, columns), true, 0},
               {Range::rows(l.headerRow, l.headerRow), false, 10},
               {cells(1, 1, titleRows, columns), false, 14}};
    for (int row = 1; row <= titleRows; ++row)
        l.titleMerges << cells(row, 1, row, columns);
    l.centred = cells(1, 1, centredTo, columns);
    return l;
}

void writeHeader(Workbook &book, int row, const QStringList &headers)
{
    for (int col = 1; col <= headers.size(); ++col)
        book.setValue(row, col, headers[col - 1]);
}

void writeTotals(Workbook &book, int row, const TotalsColumns &columns, int lastColumn,
                 const RowTotals &totals)
{
    book.setBold(Range::rows(row, row));
    book.setValue(row, columns.label, ReportSheet::TotalsLabel);
    book.setValue(row, columns.quantity, totals.quantity);
    book.setValue(row, columns.money, totals.money);
    book.setBorders(cells(row, columns.label, row, lastColumn));
}

ReportSheet::ReportSheet(Layout layout) : m_layout(std::move(layout)), m_row(m_layout.firstDataRow)
{
    const int last = m_layout.columns();
    m_book.setSheetName(SheetName);
    for (int col = 1; col <= last; ++col)
        m_book.setColumnWidth(col, m_layout.widths[col - 1]);

    for (const FontStep &f : m_layout.fonts) {
        if (f.bold)
            m_book.setBold(f.range);
        if (f.size > 0)
            m_book.setFontSize(f.range, f.size);
    }

    if (!m_layout.titleMerges.isEmpty())
        m_book.merge(m_layout.titleMerges.first());
    m_book.setHorizontalAlignment(m_layout.centred, HAlign::Center);
    for (int i = 1; i < m_layout.titleMerges.size(); ++i)
        m_book.merge(m_layout.titleMerges[i]);
    for (int i = 0; i < m_layout.titles.size(); ++i) {
        const bool asText = m_layout.lastTitleAsText && i == m_layout.titles.size() - 1;
        if (asText)
            m_book.setText(i + 1, 1, m_layout.titles[i]);
        else
            m_book.setValue(i + 1, 1, m_layout.titles[i]);
    }

    if (m_layout.customHeader)
        m_layout.customHeader(m_book);
    writeHeader(m_book, m_layout.headerRow, m_layout.headers);
}

void ReportSheet::streamRows(std::shared_ptr<const RowSource> rows, int count,
                             const RowTotals &totals)
{
    if (rows)
        m_book.stream(std::move(rows));
    m_row += count;
    m_totals = totals;
    m_ordered = true;
}

bool ReportSheet::refuse(qint64 rows)
{
    if (rows <= maxRows)
        return false;
    m_book.requireRows(rows);
    return true;
}

Outcome ReportSheet::finish(std::optional<bool> hasRows)
{
    const int last = m_layout.columns();
    const bool written = hasRows.value_or(m_row != m_layout.firstDataRow);

    // Re-bordering the table after every row ends in the same cells as bordering
    // the final table once.
    if (m_layout.borders == TableBorders::GrowWithRows && m_row > m_layout.firstDataRow)
        m_book.setBorders(cells(m_layout.bordersFrom, 1, m_row - 1, last));
    else if (m_layout.borders == TableBorders::AfterPass)
        m_book.setBorders(
            cells(m_layout.bordersFrom, 1, std::max(m_row - 1, m_layout.bordersFrom), last));

    PageSetup &page = m_book.pageSetup();
    page.zoom = m_layout.zoom;
    page.leftMargin = page.rightMargin = page.topMargin = page.bottomMargin = 1;

    if (m_layout.totals)
        writeTotals(m_book, m_row, *m_layout.totals, last, m_totals);

    if (m_layout.landscape)
        page.orientation = PageSetup::Landscape;

    // Rows that came sorted leave the totals row as the sort would: every cell
    // from B on holding the row's format.
    if (m_layout.sorted && m_ordered && m_layout.totals)
        m_book.setBold(cells(m_row, 2, m_row, last));
    if (m_layout.sorted && !m_ordered)
        m_book.sort(cells(m_layout.firstDataRow, 2, std::max(m_row, m_layout.firstDataRow), last),
                    2);

    Outcome out;
    out.title = m_layout.name;
    if (written)
        out.workbook = std::move(m_book);
    else
        out.emptyMessage = m_layout.emptyMessage;
    return out;
}

} // namespace vedaris::reports
