#include "reports/ReportEngine.h"

#include "store/TextFormats.h"

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
    return typedCell(text::formatDate(serial));
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
    }
}

Range cells(int top, int left, int bottom, int right)
{
    return {top, left, bottom, right};
}

ReportSheet::ReportSheet(Layout layout)
    : m_layout(std::move(layout)), m_row(m_layout.firstDataRow)
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
    for (int i = 0; i < m_layout.headers.size(); ++i)
        m_book.setValue(m_layout.headerRow, i + 1, m_layout.headers[i]);
}

void ReportSheet::addRow(const QVector<CellData> &cells, double quantity, double money)
{
    m_quantityTotal += quantity;
    m_moneyTotal += money;
    m_book.setFontSize(Range::rows(m_row, m_row), 10);
    m_book.setValue(m_row, 1, QString::number(m_row - m_layout.firstDataRow + 1));
    for (int i = 0; i < cells.size(); ++i)
        writeCell(m_book, m_row, i + 2, cells[i]);
    ++m_row;
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
        m_book.setBorders(cells(m_layout.bordersFrom, 1, std::max(m_row - 1, m_layout.bordersFrom), last));

    PageSetup &page = m_book.pageSetup();
    page.zoom = m_layout.zoom;
    page.leftMargin = page.rightMargin = page.topMargin = page.bottomMargin = 1;

    if (m_layout.totals) {
        const TotalsColumns &t = *m_layout.totals;
        m_book.setBold(Range::rows(m_row, m_row));
        m_book.setValue(m_row, t.label, TotalsLabel);
        m_book.setValue(m_row, t.quantity, m_quantityTotal);
        m_book.setValue(m_row, t.money, m_moneyTotal);
        m_book.setBorders(cells(m_row, t.label, m_row, last));
    }

    if (m_layout.landscape)
        page.orientation = 2;

    if (m_layout.sorted)
        m_book.sort(cells(m_layout.firstDataRow, 2, std::max(m_row, m_layout.firstDataRow), last), 2);

    Outcome out;
    out.title = m_layout.name;
    if (written)
        out.workbook = std::move(m_book);
    else
        out.emptyMessage = m_layout.emptyMessage;
    return out;
}

} // namespace vedaris::reports
