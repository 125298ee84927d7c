#pragma once

#include "reports/ReportEngine.h"
#include "reports/WorkbookStream.h"

#include "store/TextFormats.h"

#include <memory>

// The data rows of a report made from its lines as they are written, instead
// of being set cell by cell into the workbook first.
namespace vedaris::reports {

// The cell as writeCell would set it into the workbook.
inline void writeCell(StreamRow &row, int col, const CellData &cell)
{
    switch (cell.kind) {
    case CellData::Kind::Text:
        row.text(col, cell.text);
        break;
    case CellData::Kind::Typed:
        row.typed(col, cell.text);
        break;
    case CellData::Kind::Number:
        row.number(col, cell.number);
        break;
    case CellData::Kind::Date:
        row.date(col, text::serialToDate(cell.number));
        break;
    }
}

// The format index of `f` in the workbook's table.
inline uint32_t formatIndex(const Workbook &book, const CellFormat &f)
{
    return book.storage().internConst(f);
}

// Rows of a plain table from `firstRow` on: the running number, then each
// column's cell of the line, in font size 10 — what writeRow writes — with the
// lines in `order`.
template<class Line> class TableRows : public RowSource
{
public:
    TableRows(const Workbook &book, int firstRow, Columns<Line> columns, QVector<Line> lines,
              std::vector<int> order)
        : m_first(firstRow), m_columns(std::move(columns)), m_lines(std::move(lines)),
          m_order(std::move(order))
    {
        CellFormat small;
        small.fontSize = 10;
        m_rowFormat = formatIndex(book, small);
    }

    int firstRow() const override { return m_first; }
    int lastRow() const override { return m_first + int(m_order.size()) - 1; }
    int lastColumn() const override { return int(m_columns.size()); }

    void fill(int row, StreamRow &out) const override
    {
        const int i = row - m_first;
        out.format = m_rowFormat;
        const Line &line = m_lines[m_order[size_t(i)]];
        for (int col = 1; col <= m_columns.size(); ++col) {
            const Column<Line> &c = m_columns[col - 1];
            if (c.cell)
                writeCell(out, col, c.cell(line));
            else
                out.number(col, double(i + 1)); // the running number's text, as typed
        }
    }

    bool firstColumn(int row, CellValue &value) const override
    {
        if (m_columns.isEmpty() || m_columns[0].cell)
            return false;
        value = double(row - m_first + 1);
        return true;
    }

private:
    int m_first;
    Columns<Line> m_columns;
    QVector<Line> m_lines;
    std::vector<int> m_order;
    uint32_t m_rowFormat = 0;
};

// The order of the lines as Workbook::sort leaves their rows, by the value the
// column's cell takes in a data row.
template<class Line>
std::vector<int> linesSortedBy(const Workbook &book, const Column<Line> &key,
                               const QVector<Line> &lines)
{
    CellFormat small;
    small.fontSize = 10;
    StreamRow row(const_cast<Workbook::Impl &>(book.storage()));
    const uint32_t rowFormat = formatIndex(book, small);
    std::vector<CellValue> keys(size_t(lines.size()));
    for (qsizetype i = 0; i < lines.size(); ++i) {
        row.clear(rowFormat);
        writeCell(row, 1, key.cell(lines[i]));
        keys[size_t(i)] = row.value(1);
    }
    return sortedOrder(keys);
}

} // namespace vedaris::reports
