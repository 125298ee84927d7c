#include "reports/WorkbookImpl.h"
#include "reports/WorkbookStream.h"
#include "reports/XlsxParts.h"

#include "store/Error.h"
#include "store/Platform.h"
#include "store/TextFormats.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <algorithm>
#include <cmath>

// The workbook written as .xlsx by our own writer: the sheet streamed row by
// row into a deflated zip part, the styles it used written after it.
namespace vedaris::reports {

namespace {

// The size of everything that goes into the sheet.
struct Extent
{
    qint64 lastRow = 0;
    int lastCol = 0;
};

Extent extentOf(const Workbook::Impl &w)
{
    Extent e;
    e.lastCol = int(w.columnWidths.size());
    for (size_t r = 0; r < w.rows.size(); ++r) {
        const auto &line = w.rows[r];
        for (size_t c = line.cells.size(); c > 0; --c)
            if (line.cells[c - 1].used) {
                e.lastRow = int(r + 1);
                e.lastCol = std::max(e.lastCol, int(c));
                break;
            }
        if (line.format != 0)
            e.lastRow = std::max<qint64>(e.lastRow, qint64(r + 1));
    }
    for (const auto &ranges : {w.borderRects, w.mergeRanges})
        for (const Range &b : ranges) {
            e.lastRow = std::max<qint64>(e.lastRow, b.bottom);
            e.lastCol = std::max(e.lastCol, b.right);
        }
    if (w.stream) {
        e.lastRow = std::max<qint64>(e.lastRow, w.stream->lastRow());
        e.lastCol = std::max(e.lastCol, w.stream->lastColumn());
    }
    e.lastRow = std::max(e.lastRow, w.requiredRows);
    return e;
}

void checkLimits(const QString &path, const Extent &e)
{
    if (e.lastRow > maxRows)
        throw Error(path,
                    QStringLiteral("the report needs %1 rows; a sheet holds at most %2 rows")
                        .arg(e.lastRow)
                        .arg(maxRows));
    if (e.lastCol > maxColumns)
        throw Error(path,
                    QStringLiteral("the report needs %1 columns; a sheet holds at most %2 columns")
                        .arg(e.lastCol)
                        .arg(maxColumns));
}

// The file is written under a temporary name beside the target and renamed
// when complete, so no half-written workbook is left at the target.
QString temporaryPathBeside(const QString &path)
{
    const QFileInfo target(path);
    return target.absoluteDir().filePath(
        QStringLiteral(".%1.%2.tmp")
            .arg(target.fileName())
            .arg(QRandomGenerator::global()->generate(), 8, 16, QChar(u'0')));
}

void replace(const QString &temp, const QString &path)
{
    if (!platform::replaceFile(temp, QFileInfo(path).absoluteFilePath()))
        throw Error(path,
                    platform::russianReason(QString::fromLocal8Bit(platform::lastErrorText())));
}

// A column width in characters as the file stores it: whole pixels of a
// 7-pixel digit plus 5 pixels of padding, in 1/256 of a character.
double storedWidth(double width)
{
    constexpr double digit = 7, padding = 5;
    if (width < 1)
        return double(std::uint16_t(double(std::uint16_t(std::lround(width * (digit + padding))))
                                    / digit * 256.0))
            / 256.0;
    return double(std::uint16_t(double(std::uint16_t(std::lround(width * digit)) + padding) / digit
                                * 256.0))
        / 256.0;
}

// The cells of the sheet in order, as the file holds them: each cell's value
// with its format, blanks where only a border or a merge falls. A row takes a
// cell's format (folded with the border over it) where the cell has one, and
// the row's own format otherwise. The rows are walked twice: once to find the
// range they cover, which the file states before them, then to write them.
class SheetWriter
{
public:
    SheetWriter(const Workbook::Impl &w, const Extent &extent, const std::vector<Range> &merges)
        : m_w(w), m_extent(extent), m_merges(merges), m_streamed(const_cast<Workbook::Impl &>(w)),
          m_style(w.formats.size() * 2, -1)
    {
        // Merges by their last row, those ending in the same row in the order made.
        m_mergesByEnd.resize(merges.size());
        for (size_t i = 0; i < m_mergesByEnd.size(); ++i)
            m_mergesByEnd[i] = uint32_t(i);
        std::stable_sort(m_mergesByEnd.begin(), m_mergesByEnd.end(), [&](uint32_t a, uint32_t b) {
            return merges[a].bottom < merges[b].bottom;
        });
        const size_t columns = size_t(extent.lastCol) + 2;
        m_kind.assign(columns, Empty);
        m_format.assign(columns, 0);
        m_border.assign(columns, 0);
        m_slot.assign(columns, nullptr);
        m_borderedCol.assign(columns, 0);
    }

    void measure() { walk<false>(nullptr, nullptr); }
    void write(xlsx::XmlOut &out, xlsx::StyleTable &styles) { walk<true>(&out, &styles); }

    bool empty() const { return m_lastRow == 0; }

    // The range the file's dimension states.
    std::string dimension() const
    {
        if (m_lastRow == 0)
            return "A1";
        const auto ref = [](int row, int col) {
            return (columnName(col) + QString::number(row)).toStdString();
        };
        const int firstCol = std::max(m_firstCol, 1);
        const int lastCol = std::max(m_lastCol, 1);
        if (m_firstRow == m_lastRow && firstCol == lastCol)
            return ref(m_firstRow, firstCol);
        return ref(m_firstRow, firstCol) + ':' + ref(m_lastRow, lastCol);
    }

private:
    enum Kind : char { Empty, Blank, Value };

    template<bool Emit> void walk(xlsx::XmlOut *out, xlsx::StyleTable *styles)
    {
        m_out = out;
        m_styles = styles;
        m_pendingBorders = m_w.borderRects;
        std::stable_sort(m_pendingBorders.begin(), m_pendingBorders.end(),
                         [](const Range &a, const Range &b) { return a.top > b.top; });
        m_activeBorders.clear();
        std::fill(m_borderedCol.begin(), m_borderedCol.end(), 0);
        size_t nextMerge = 0;
        const int lastRow = int(std::min<qint64>(m_extent.lastRow, maxRows));
        for (int r = 1; r <= lastRow; ++r) {
            const std::vector<Workbook::Impl::Slot> *line = nullptr;
            uint32_t rowFormat = 0;
            m_texts = &m_w.texts;
            if (m_w.streamed(r)) {
                if constexpr (Emit) {
                    m_w.fillStream(r, m_streamed);
                    line = &m_streamed.cells;
                    rowFormat = m_streamed.format;
                    m_texts = &m_streamed.texts;
                } else if (r == m_w.stream->firstRow() || r == m_w.stream->lastRow()) {
                    // Measured without making them: the source's rows span
                    // its columns, its first and last rows hold cells.
                    noteRow(r);
                    noteCol(1);
                    noteCol(m_w.stream->lastColumn());
                }
            } else if (size_t(r) <= m_w.rows.size()) {
                line = &m_w.rows[size_t(r) - 1].cells;
                rowFormat = m_w.rows[size_t(r) - 1].format;
            }
            updateBorders(r);
            int first = m_extent.lastCol + 1, last = 0;
            const auto mark = [&](int c, Kind k, uint32_t format, bool border,
                                  const Workbook::Impl::Slot *s) {
                m_kind[size_t(c)] = k;
                m_format[size_t(c)] = format;
                m_border[size_t(c)] = border;
                m_slot[size_t(c)] = s;
                first = std::min(first, c);
                last = std::max(last, c);
            };

            // Blanks of the merges ending in this row in the format of their first cell.
            for (;
                 nextMerge < m_mergesByEnd.size() && m_merges[m_mergesByEnd[nextMerge]].bottom == r;
                 ++nextMerge) {
                const Range &m = m_merges[m_mergesByEnd[nextMerge]];
                const uint32_t format = formatAt(m.top, m.left);
                const bool border = m_w.bordered(m.top, m.left);
                if (isDefault(format, border))
                    continue;
                for (int c = m.left; c <= m.right; ++c)
                    mark(c, Blank, format, border, nullptr);
            }
            // Blanks in the row's format where a border falls, then the row's own cells.
            for (const Range &b : m_activeBorders)
                for (int c = b.left; c <= b.right; ++c)
                    mark(c, Blank, rowFormat, true, nullptr);
            if (line) {
                const int width = int(line->size());
                for (int c = 1; c <= width; ++c) {
                    const Workbook::Impl::Slot &s = (*line)[size_t(c) - 1];
                    if (!s.used)
                        continue;
                    const bool border = m_borderedCol[size_t(c)] != 0;
                    // An empty cell without a format leaves what is there.
                    if (s.empty() && isDefault(s.format, border))
                        continue;
                    mark(c, Value, s.format, border, &s);
                }
            }
            emitRow<Emit>(r, rowFormat, first, last);
        }
    }

    template<bool Emit> void emitRow(int r, uint32_t rowFormat, int first, int last)
    {
        if (rowFormat != 0) {
            // The row's format counts its row into the range, at the first column so far.
            const int col = m_firstCol <= maxColumns ? m_firstCol : 0;
            noteRow(r);
            noteCol(col);
        }
        bool opened = false, withCells = false;
        uint32_t rowStyle = 0;
        const auto open = [&] {
            if (opened)
                return;
            opened = true;
            if constexpr (Emit) {
                m_out->raw("<row r=\"").integer(r);
                if (rowFormat != 0)
                    m_out->raw("\" s=\"").integer(rowStyle).raw("\" customFormat=\"1");
                m_out->raw("\"");
            }
        };
        if (rowFormat != 0) {
            if constexpr (Emit)
                rowStyle = styleOf(rowFormat, false);
            open();
        }
        for (int c = first; c <= last; ++c) {
            const Kind k = m_kind[size_t(c)];
            if (k == Empty)
                continue;
            m_kind[size_t(c)] = Empty;
            const uint32_t format = m_format[size_t(c)];
            const bool border = m_border[size_t(c)] != 0;
            const Workbook::Impl::Slot *s = m_slot[size_t(c)];
            const bool hasValue = k == Value && !s->empty();
            if (!hasValue && isDefault(format, border))
                continue;
            open();
            noteRow(r);
            noteCol(c);
            if constexpr (Emit) {
                if (!withCells)
                    m_out->raw(">");
                uint32_t style = styleOf(format, border);
                if (style == 0)
                    style = rowStyle;
                m_out->raw("<c r=\"").cellRef(r, c);
                if (style != 0)
                    m_out->raw("\" s=\"").integer(style);
                m_out->raw("\"");
                if (!hasValue) {
                    m_out->raw("/>");
                } else if (s->holds == Workbook::Impl::Slot::Number) {
                    const double n = s->number();
                    if (std::isfinite(n))
                        m_out->raw("><v>").number(n).raw("</v></c>");
                    else
                        inlineText(text::formatNumber(n));
                } else {
                    inlineText(xlsx::cellText((*m_texts)[size_t(s->payload)]));
                }
            }
            withCells = true;
        }
        if constexpr (Emit) {
            if (opened)
                m_out->raw(withCells ? "</row>" : "/>");
        }
    }

    bool isDefault(uint32_t format, bool border) const
    {
        return !border && m_w.formats[format] == CellFormat{};
    }

    // The format of a cell of a row already written (a merge's first cell);
    // a streamed row is made again for it, apart from the one being written.
    uint32_t formatAt(int r, int c) const { return m_w.effectiveFormat(r, c); }

    uint32_t styleOf(uint32_t format, bool border)
    {
        if (m_style.size() < m_w.formats.size() * 2)
            m_style.resize(m_w.formats.size() * 2, -1); // streamed rows add formats as they come
        int32_t &known = m_style[size_t(format) * 2 + (border ? 1 : 0)];
        if (known < 0) {
            CellFormat f = m_w.formats[format];
            f.border = f.border || border;
            known = int32_t(m_styles->styleOf(f));
        }
        return uint32_t(known);
    }

    void inlineText(const QString &t)
    {
        m_out->raw(xlsx::needsPreserve(t) ? " t=\"inlineStr\"><is><t xml:space=\"preserve\">"
                                          : " t=\"inlineStr\"><is><t>");
        m_out->text(t).raw("</t></is></c>");
    }

    void noteRow(int r)
    {
        m_firstRow = std::min(m_firstRow, r);
        m_lastRow = std::max(m_lastRow, r);
    }
    void noteCol(int c)
    {
        m_firstCol = std::min(m_firstCol, c);
        m_lastCol = std::max(m_lastCol, c);
    }

    void updateBorders(int r)
    {
        for (const Range &b : m_activeBorders)
            std::fill(m_borderedCol.begin() + b.left, m_borderedCol.begin() + b.right + 1, 0);
        while (!m_pendingBorders.empty() && m_pendingBorders.back().top == r) {
            m_activeBorders.push_back(m_pendingBorders.back());
            m_pendingBorders.pop_back();
        }
        m_activeBorders.erase(std::remove_if(m_activeBorders.begin(), m_activeBorders.end(),
                                             [r](const Range &b) { return b.bottom < r; }),
                              m_activeBorders.end());
        for (const Range &b : m_activeBorders)
            std::fill(m_borderedCol.begin() + b.left, m_borderedCol.begin() + b.right + 1, 1);
    }

    const Workbook::Impl &m_w;
    Extent m_extent;
    const std::vector<Range> &m_merges;
    StreamRow m_streamed;
    const std::vector<QString> *m_texts = nullptr;
    xlsx::XmlOut *m_out = nullptr;
    xlsx::StyleTable *m_styles = nullptr;
    std::vector<int32_t> m_style; // format index * 2 + border -> style, -1 not yet known
    std::vector<Range> m_pendingBorders;
    std::vector<Range> m_activeBorders;
    std::vector<uint32_t> m_mergesByEnd;
    std::vector<char> m_borderedCol;
    std::vector<Kind> m_kind;
    std::vector<uint32_t> m_format;
    std::vector<char> m_border;
    std::vector<const Workbook::Impl::Slot *> m_slot;
    int m_firstRow = maxRows + 1, m_lastRow = 0, m_firstCol = maxColumns + 1, m_lastCol = 0;
};

void writeSheet(ZipWriter &zip, const Workbook::Impl &w, const Extent &extent,
                xlsx::StyleTable &styles)
{
    std::vector<Range> merges = w.mergeRanges;
    if (w.stream)
        w.stream->merges(merges);
    SheetWriter sheet(w, extent, merges);
    sheet.measure();
    zip.beginPart("xl/worksheets/sheet1.xml");
    xlsx::XmlOut out(zip);
    out.raw("<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
            "<worksheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
            "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\">");
    if (w.page.fitToWidth)
        out.raw("<sheetPr><pageSetUpPr fitToPage=\"1\"/></sheetPr>");
    out.raw("<dimension ref=\"")
        .raw(sheet.dimension())
        .raw("\"/><sheetViews><sheetView tabSelected=\"1\" workbookViewId=\"0\"/></sheetViews>"
             "<sheetFormatPr defaultRowHeight=\"15\"/>");
    bool cols = false;
    for (size_t c = 0; c < w.columnWidths.size(); ++c) {
        const double width = w.columnWidths[c];
        if (width <= 0)
            continue;
        if (!cols)
            out.raw("<cols>");
        cols = true;
        out.raw("<col min=\"")
            .integer(int(c + 1))
            .raw("\" max=\"")
            .integer(int(c + 1))
            .raw("\" width=\"");
        out.number(storedWidth(width)).raw(width != 8.43 ? "\" customWidth=\"1\"/>" : "\"/>");
    }
    if (cols)
        out.raw("</cols>");
    if (sheet.empty()) {
        out.raw("<sheetData/>");
    } else {
        out.raw("<sheetData>");
        sheet.write(out, styles);
        out.raw("</sheetData>");
    }
    if (!merges.empty()) {
        std::vector<uint32_t> order(merges.size());
        for (size_t i = 0; i < order.size(); ++i)
            order[i] = uint32_t(i);
        std::stable_sort(order.begin(), order.end(), [&](uint32_t a, uint32_t b) {
            return merges[a].bottom < merges[b].bottom;
        });
        out.raw("<mergeCells count=\"").integer(std::int64_t(order.size())).raw("\">");
        for (uint32_t i : order) {
            const Range &m = merges[i];
            out.raw("<mergeCell ref=\"")
                .cellRef(m.top, m.left)
                .raw(":")
                .cellRef(m.bottom, m.right)
                .raw("\"/>");
        }
        out.raw("</mergeCells>");
    }
    const PageSetup &page = w.page;
    out.raw("<pageMargins left=\"")
        .number(page.leftMargin / 72)
        .raw("\" right=\"")
        .number(page.rightMargin / 72);
    out.raw("\" top=\"")
        .number(page.topMargin / 72)
        .raw("\" bottom=\"")
        .number(page.bottomMargin / 72);
    out.raw("\" header=\"0.3\" footer=\"0.3\"/>");
    const bool scaled = page.zoom >= 10 && page.zoom <= 400;
    const bool landscape = page.orientation == PageSetup::Landscape;
    if (scaled || landscape || page.fitToWidth) {
        out.raw("<pageSetup");
        if (scaled && page.zoom != 100)
            out.raw(" scale=\"").integer(page.zoom).raw("\"");
        if (page.fitToWidth)
            out.raw(" fitToHeight=\"0\"");
        out.raw(landscape ? " orientation=\"landscape\"/>" : " orientation=\"portrait\"/>");
    }
    out.raw("</worksheet>");
    out.flush();
    zip.endPart();
}

} // namespace

void Workbook::saveXlsx(const QString &path) const
{
    const Extent extent = extentOf(*d);
    checkLimits(path, extent);
    if (!xlsx::validSheetName(d->sheetName))
        throw Error(path, QStringLiteral("the sheet name \"%1\" is not allowed").arg(d->sheetName));
    const QString temp = temporaryPathBeside(path);
    try {
        ZipWriter zip(temp, path);
        xlsx::StyleTable styles;
        writeSheet(zip, *d, extent, styles);
        const auto part = [&zip](std::string_view name, const std::string &content) {
            zip.beginPart(name);
            zip.write(content);
            zip.endPart();
        };
        part("[Content_Types].xml", xlsx::contentTypesXml());
        part("_rels/.rels", xlsx::rootRelsXml());
        part("xl/_rels/workbook.xml.rels", xlsx::workbookRelsXml());
        const xlsx::PrintTitles titles{d->page.repeatRowsFrom, d->page.repeatRowsTo};
        part("xl/workbook.xml", xlsx::workbookXml(d->sheetName, titles));
        part("xl/theme/theme1.xml", std::string(xlsx::themeXml));
        part("xl/styles.xml", styles.stylesXml());
        part("docProps/core.xml", xlsx::coreXml());
        part("docProps/app.xml", xlsx::appXml(d->sheetName, titles));
        zip.finish();
        replace(temp, path);
    } catch (...) {
        QFile::remove(temp);
        throw;
    }
}

} // namespace vedaris::reports
