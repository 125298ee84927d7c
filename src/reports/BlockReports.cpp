#include "reports/Reports.h"

#include "reports/ReportColumns.h"
#include "reports/StreamedRows.h"
#include "store/TextFormats.h"

#include <algorithm>

// The two reports whose rows come in blocks: one per department, and one per
// stock line with a row for each of its issues.
namespace vedaris::reports {

namespace {

// The department blocks' quantity column is wider than the one-department report's.
const Columns<IssuedLine> &departmentsColumns()
{
    static const Columns<IssuedLine> columns = departmentColumns(9);
    return columns;
}

// A column of the issue-dates report: a cell of the stock line, written into
// the block's first row and merged over the block, or a cell of each issue.
// A column with neither holds the stock line's running number.
struct BlockColumn
{
    QString header;
    double width = 0;
    std::function<CellData(const StockRecord &)> stock;
    std::function<CellData(const DatedIssue &)> issue;

    bool perIssue() const { return bool(issue); }
};

BlockColumn stockText(const QString &title, double width, QString StockRecord::*field)
{
    return {title, width, [field](const StockRecord &s) { return textCell(s.*field); }, {}};
}

const QVector<BlockColumn> &issueDatesColumns()
{
    static const QVector<BlockColumn> columns = {
        {header::Number, 3, {}, {}},
        stockText(header::Name, 35, &StockRecord::DrugName),
        stockText(header::Supplier, 20, &StockRecord::Supplier),
        stockText(header::Document, 15, &StockRecord::ReceiptDocument),
        stockText(header::Manufacturer, 20, &StockRecord::Manufacturer),
        stockText(header::Series, 15, &StockRecord::Series),
        {header::Received, 10, [](const StockRecord &s) { return dateCell(s.ReceiptDate); }, {}},
        {header::Issued, 10, {}, [](const DatedIssue &i) { return dateCell(i.date); }},
        stockText(header::Unit, 12, &StockRecord::Unit),
        {header::Quantity, 5, {}, [](const DatedIssue &i) { return roundedCell(i.quantity); }},
        {header::Price, 9, [](const StockRecord &s) { return numberCell(s.UnitPrice); }, {}},
        {header::Sum,
         11,
         {},
         [](const DatedIssue &i) { return textCell(text::formatNumber(i.sum)); }},
    };
    return columns;
}

} // namespace

Layout departmentsLayout(const QDate &start, const QDate &finish)
{
    const int last = int(departmentsColumns().size());
    Layout l;
    l.name = QStringLiteral("Отчёт по всем отделениям");
    l.widths = widthsOf(departmentsColumns());
    l.fonts = {{cells(1, 1, 2, last), true, 14}};
    l.titleMerges = {cells(1, 1, 1, last), cells(2, 1, 2, last)};
    l.centred = cells(1, 1, 2, last);
    l.titles = {QStringLiteral("Отчёт израсходованных лекарственных средств"),
                QStringLiteral("%1 для всех отделений.").arg(periodText(start, finish))};
    l.headerRow = 0;
    l.firstDataRow = 0;
    l.borders = TableBorders::None;
    l.zoom = 80;
    l.emptyMessage = messages::NoDepartmentConsumption;
    return l;
}

namespace {

CellFormat formatOf(bool bold, double size, HAlign h = HAlign::General)
{
    CellFormat f;
    f.bold = bold;
    f.fontSize = size;
    f.hAlign = h;
    return f;
}

// The department blocks' rows: two empty rows above every heading, one
// between heading and header, then the header, the lines and the totals row.
class DepartmentRows : public RowSource
{
public:
    struct Block
    {
        int heading; // its row
        size_t index; // into the lines' blocks
        RowTotals totals;
    };

    DepartmentRows(const Workbook &book, DepartmentLines data, std::vector<Block> blocks)
        : m_data(std::move(data)), m_blocks(std::move(blocks)),
          m_columns(departmentShareColumns(9)), m_headers(headersOf(m_columns)),
          m_totals(*totalsOf(m_columns))
    {
        m_heading = formatIndex(book, formatOf(true, 14, HAlign::Center));
        m_header = formatIndex(book, formatOf(true, 10));
        m_line = formatIndex(book, formatOf(false, 10));
        m_totalsRow = formatIndex(book, formatOf(true, 0));
    }

    int firstRow() const override { return m_blocks.front().heading; }
    int lastRow() const override { return totalsRow(m_blocks.back()); }
    int lastColumn() const override { return int(m_columns.size()); }

    void fill(int row, StreamRow &out) const override
    {
        const Block &b = blockAt(row);
        const int at = row - b.heading;
        const DepartmentLines::Block &block = m_data.blocks[b.index];
        const std::vector<DepartmentLines::Line> &lines = m_data.lines[size_t(block.lines)];
        if (at == 0) {
            out.format = m_heading;
            out.text(1, block.name + QLatin1Char('.'));
        } else if (at == 2) {
            out.format = m_header;
            for (int col = 1; col <= m_headers.size(); ++col)
                out.typed(col, m_headers[col - 1]);
        } else if (at >= 3 && size_t(at - 3) < lines.size()) {
            out.format = m_line;
            const DepartmentLines::Line &l = lines[size_t(at - 3)];
            const StockShare line{&m_data.stock[l.stock], l.quantity, l.sum};
            for (int col = 1; col <= m_columns.size(); ++col) {
                const Column<StockShare> &c = m_columns[col - 1];
                if (c.cell)
                    writeCell(out, col, c.cell(line));
                else
                    out.number(col, double(at - 2));
            }
        } else if (row == totalsRow(b)) {
            out.format = m_totalsRow;
            out.typed(m_totals.label, ReportSheet::TotalsLabel);
            out.number(m_totals.quantity, b.totals.quantity);
            out.number(m_totals.money, b.totals.money);
        }
    }

    bool firstColumn(int row, CellValue &value) const override
    {
        const Block &b = blockAt(row);
        const int at = row - b.heading;
        const size_t lines = m_data.lines[size_t(m_data.blocks[b.index].lines)].size();
        if (at == 0 || at == 2)
            return false;
        if (at >= 3 && size_t(at - 3) < lines) {
            value = double(at - 2);
            return true;
        }
        if (m_totals.label == 1)
            return false;
        value = {};
        return true;
    }

    void merges(std::vector<Range> &out) const override
    {
        for (const Block &b : m_blocks)
            out.push_back(cells(b.heading, 1, b.heading, lastColumn()));
    }

    int totalsRow(const Block &b) const
    {
        return b.heading + 3 + int(m_data.lines[size_t(m_data.blocks[b.index].lines)].size());
    }

private:
    const Block &blockAt(int row) const
    {
        const auto it = std::upper_bound(m_blocks.begin(), m_blocks.end(), row,
                                         [](int r, const Block &b) { return r < b.heading; });
        return *(it - 1);
    }

    DepartmentLines m_data;
    std::vector<Block> m_blocks;
    Columns<StockShare> m_columns; // those of departmentsColumns()
    QStringList m_headers;
    TotalsColumns m_totals;
    uint32_t m_heading = 0, m_header = 0, m_line = 0, m_totalsRow = 0;
};

} // namespace

Outcome departmentsReport(const ReportParams &params, const QVector<DepartmentBlock> &blocks)
{
    return departmentsReport(params, DepartmentLines::of(blocks));
}

Outcome departmentsReport(const ReportParams &params, DepartmentLines data)
{
    const Columns<IssuedLine> &columns = departmentsColumns();
    const int last = int(columns.size());
    const TotalsColumns totals = *totalsOf(columns);

    ReportSheet sheet(departmentsLayout(params.start, params.finish));
    Workbook &book = sheet.book();
    // Each block: two empty rows, its heading, an empty row, the header, its
    // lines and the totals row.
    qint64 needed = 0;
    for (const DepartmentLines::Block &block : data.blocks)
        needed += 6 + qint64(data.lines[size_t(block.lines)].size());
    if (sheet.refuse(needed))
        return sheet.finish(true);
    std::vector<DepartmentRows::Block> rows;
    int r = 0;
    for (size_t i = 0; i < data.blocks.size(); ++i) {
        const std::vector<DepartmentLines::Line> &lines = data.lines[size_t(data.blocks[i].lines)];
        if (lines.empty())
            continue;
        r += 3;
        DepartmentRows::Block block{r, i, {}};
        // Added up in the order of the lines, as the rows are written.
        for (const DepartmentLines::Line &l : lines) {
            block.totals.quantity += l.quantity;
            block.totals.money += l.sum;
        }
        r += 2;
        const int lastLine = r + int(lines.size());
        book.setBorders(cells(r, 1, lastLine, last));
        r = lastLine + 1;
        book.setBorders(cells(r, totals.label, r, last));
        rows.push_back(block);
    }
    if (!rows.empty())
        sheet.streamRows(std::make_shared<DepartmentRows>(book, std::move(data), std::move(rows)),
                         0, {});
    sheet.setRow(r);
    return sheet.finish(r > 5);
}

Layout issueDatesLayout(const QDate &start, const QDate &finish)
{
    const QVector<BlockColumn> &columns = issueDatesColumns();
    Layout l = titledTable(int(columns.size()),
                           {QStringLiteral("Общий отчёт"),
                            QStringLiteral("израсходованных лекарственных средств %1.")
                                .arg(periodText(start, finish))},
                           HeaderRow::Bold);
    l.name = QStringLiteral("Общий расход с выводом даты");
    for (const BlockColumn &c : columns) {
        l.widths << c.width;
        l.headers << c.header;
    }
    l.borders = TableBorders::AfterPass;
    l.zoom = 83;
    l.landscape = true;
    l.emptyMessage = messages::NoConsumption;
    return l;
}

namespace {

// The issue-dates rows: a row for each issue, the stock line's cells in the
// block's first row and merged over the block, its cells aligned.
class IssueDateRows : public RowSource
{
public:
    struct Block
    {
        int first; // its first row
        int index; // into the blocks
    };

    IssueDateRows(const Workbook &book, QVector<IssueBlock> data, std::vector<Block> blocks)
        : m_data(std::move(data)), m_blocks(std::move(blocks))
    {
        m_row = formatIndex(book, formatOf(false, 10));
    }

    int firstRow() const override { return m_blocks.front().first; }
    int lastRow() const override { return lastOf(m_blocks.back()); }
    int lastColumn() const override { return int(issueDatesColumns().size()); }

    void fill(int row, StreamRow &out) const override
    {
        const QVector<BlockColumn> &columns = issueDatesColumns();
        const int lastColumn = int(columns.size());
        const auto it = blockAt(row);
        const IssueBlock &block = m_data[it->index];
        const int at = row - it->first;
        out.format = m_row;
        for (int col = 1; col <= lastColumn; ++col)
            if (columns[col - 1].perIssue())
                writeCell(out, col, columns[col - 1].issue(block.issues[at]));
        if (at == 0) {
            for (int col = 1; col <= lastColumn; ++col) {
                const BlockColumn &c = columns[col - 1];
                if (c.stock)
                    writeCell(out, col, c.stock(block.stock));
                else if (!c.perIssue())
                    out.number(
                        col,
                        double(it - m_blocks.begin() + 1)); // the running number's text, as typed
            }
        }
        out.change(1, UserChange + 1, [](CellFormat &f) {
            f.hAlign = HAlign::Center;
            f.vAlign = VAlign::Center;
        });
        out.change(2, UserChange + 2, [](CellFormat &f) {
            f.hAlign = HAlign::Left;
            f.vAlign = VAlign::Center;
        });
        for (int col = 3; col <= lastColumn; ++col)
            out.change(col, UserChange + 3, [](CellFormat &f) {
                f.vAlign = VAlign::Center;
                f.hAlign = HAlign::Center;
            });
    }

    bool firstColumn(int row, CellValue &value) const override
    {
        const auto it = blockAt(row);
        if (row == it->first)
            value = double(it - m_blocks.begin() + 1);
        else
            value = {};
        return true;
    }

    void merges(std::vector<Range> &out) const override
    {
        const QVector<BlockColumn> &columns = issueDatesColumns();
        for (const Block &b : m_blocks) {
            const int last = lastOf(b);
            if (last == b.first)
                continue;
            for (int col = 1; col <= columns.size(); ++col)
                if (!columns[col - 1].perIssue())
                    out.push_back(cells(b.first, col, last, col));
        }
    }

private:
    int lastOf(const Block &b) const { return b.first + int(m_data[b.index].issues.size()) - 1; }

    std::vector<Block>::const_iterator blockAt(int row) const
    {
        const auto it = std::upper_bound(m_blocks.begin(), m_blocks.end(), row,
                                         [](int r, const Block &b) { return r < b.first; });
        return it - 1;
    }

    QVector<IssueBlock> m_data;
    std::vector<Block> m_blocks;
    uint32_t m_row = 0;
};

} // namespace

Outcome issueDatesReport(const ReportParams &params, const QVector<IssueBlock> &blocks)
{
    ReportSheet sheet(issueDatesLayout(params.start, params.finish));
    qint64 needed = sheet.row() - 1;
    for (const IssueBlock &block : blocks)
        needed += block.issues.size();
    if (sheet.refuse(needed))
        return sheet.finish(true);
    std::vector<IssueDateRows::Block> rows;
    int r = sheet.row();
    for (qsizetype i = 0; i < blocks.size(); ++i) {
        if (blocks[i].issues.isEmpty())
            continue;
        rows.push_back({r, int(i)});
        r += int(blocks[i].issues.size());
    }
    const int count = r - sheet.row();
    if (!rows.empty())
        sheet.streamRows(std::make_shared<IssueDateRows>(sheet.book(), blocks, std::move(rows)),
                         count, {});
    return sheet.finish();
}

} // namespace vedaris::reports
