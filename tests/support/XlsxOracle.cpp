#include "support/XlsxOracle.h"

#include "reports/WorkbookImpl.h"

#include "store/Error.h"
#include "store/TextFormats.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <xlsxwriter.h>

#include <algorithm>
#include <cmath>
#include <filesystem>

// The workbook written as .xlsx with libxlsxwriter, in its constant-memory mode:
// rows go out in order, each row completely before the next. The program's own
// writer is held to the parts this one writes.
namespace vedaris::reports {

namespace {

// libxlsxwriter's string cell limit, the same as the spreadsheet application's.
constexpr int maxTextLength = 32767;

lxw_format *makeFormat(lxw_workbook *book, const CellFormat &f)
{
    lxw_format *lf = workbook_add_format(book);
    if (f.bold)
        format_set_bold(lf);
    if (f.fontSize > 0)
        format_set_font_size(lf, f.fontSize);
    if (f.hAlign == HAlign::Left)
        format_set_align(lf, LXW_ALIGN_LEFT);
    else if (f.hAlign == HAlign::Center)
        format_set_align(lf, LXW_ALIGN_CENTER);
    if (f.vAlign == VAlign::Center)
        format_set_align(lf, LXW_ALIGN_VERTICAL_CENTER);
    if (f.wrap)
        format_set_text_wrap(lf);
    if (f.border)
        format_set_border(lf, LXW_BORDER_THIN);
    if (!f.numberFormat.isEmpty())
        format_set_num_format(lf, f.numberFormat.toUtf8().constData());
    return lf;
}

class XlsxFile
{
public:
    XlsxFile(const QString &target, const QString &temp) : m_target(target)
    {
        lxw_workbook_options options{};
        options.constant_memory = LXW_TRUE;
        m_tempName = QFile::encodeName(temp);
        m_book = workbook_new_opt(m_tempName.constData(), &options);
        if (!m_book)
            fail(QStringLiteral("the workbook cannot be created"));
    }
    ~XlsxFile()
    {
        if (m_book) {
            // Closing is the only way to free the library's workbook.
            workbook_close(m_book);
        }
    }

    lxw_workbook *book() const { return m_book; }

    void close()
    {
        const lxw_error err = workbook_close(m_book);
        m_book = nullptr;
        if (err != LXW_NO_ERROR)
            fail(QString::fromUtf8(lxw_strerror(err)));
    }

    [[noreturn]] void fail(const QString &reason) const { throw Error(m_target, reason); }

    void check(lxw_error err) const
    {
        if (err != LXW_NO_ERROR)
            fail(QString::fromUtf8(lxw_strerror(err)));
    }

private:
    QString m_target;
    QByteArray m_tempName;
    lxw_workbook *m_book = nullptr;
};

// The size of everything that goes into the sheet.
struct Extent
{
    int lastRow = 0;
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
            e.lastRow = std::max(e.lastRow, int(r + 1));
    }
    for (const auto &ranges : {w.borderRects, w.mergeRanges})
        for (const Range &b : ranges) {
            e.lastRow = std::max(e.lastRow, b.bottom);
            e.lastCol = std::max(e.lastCol, b.right);
        }
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
    std::error_code ec;
    std::filesystem::rename(
        std::filesystem::path(temp.toStdU16String()),
        std::filesystem::path(QFileInfo(path).absoluteFilePath().toStdU16String()), ec);
    if (ec)
        throw Error(path, QString::fromStdString(ec.message()));
}

// The one sheet written row by row, each row completely before the next.
class SheetWriter
{
public:
    SheetWriter(XlsxFile &file, const Workbook::Impl &w)
        : m_file(file), m_w(w), m_made(w.formats.size() * 2, nullptr),
          m_known(w.formats.size() * 2, 0)
    {
        m_sheet = workbook_add_worksheet(file.book(), w.sheetName.toUtf8().constData());
        if (!m_sheet)
            file.fail(QStringLiteral("the sheet name \"%1\" is not allowed").arg(w.sheetName));
    }

    void writeColumnWidths()
    {
        for (size_t c = 0; c < m_w.columnWidths.size(); ++c)
            if (m_w.columnWidths[c] > 0)
                m_file.check(worksheet_set_column(m_sheet, lxw_col_t(c), lxw_col_t(c),
                                                  m_w.columnWidths[c], nullptr));
    }

    void writeRows(const Extent &extent)
    {
        // Border rectangles by their top row; the active ones cover the current row.
        m_pendingBorders = m_w.borderRects;
        std::sort(m_pendingBorders.begin(), m_pendingBorders.end(),
                  [](const Range &a, const Range &b) { return a.top > b.top; });
        // Handed over by their last row, those ending in the same row in the order made.
        m_mergesByEnd = m_w.mergeRanges;
        std::reverse(m_mergesByEnd.begin(), m_mergesByEnd.end());
        std::stable_sort(m_mergesByEnd.begin(), m_mergesByEnd.end(),
                         [](const Range &a, const Range &b) { return a.bottom > b.bottom; });
        for (int r = 1; r <= extent.lastRow; ++r) {
            const Workbook::Impl::Row *line =
                size_t(r) <= m_w.rows.size() ? &m_w.rows[size_t(r) - 1] : nullptr;
            updateBorders(r);
            if (line && line->format != 0)
                m_file.check(worksheet_set_row(m_sheet, lxw_row_t(r - 1), LXW_DEF_ROW_HEIGHT,
                                               libraryFormat(line->format, false)));
            writeMergesEndingIn(r);
            writeCells(r, line, extent.lastCol);
        }
    }

    void writePageSetup()
    {
        const PageSetup &page = m_w.page;
        if (page.zoom >= 10 && page.zoom <= 400)
            worksheet_set_print_scale(m_sheet, uint16_t(page.zoom));
        worksheet_set_margins(m_sheet, page.leftMargin / 72, page.rightMargin / 72,
                              page.topMargin / 72, page.bottomMargin / 72);
        if (page.orientation == PageSetup::Landscape)
            worksheet_set_landscape(m_sheet);
        if (page.fitToWidth)
            worksheet_fit_to_pages(m_sheet, 1, 0);
        if (page.repeatRowsFrom > 0 && page.repeatRowsTo >= page.repeatRowsFrom)
            worksheet_repeat_rows(m_sheet, lxw_row_t(page.repeatRowsFrom - 1),
                                  lxw_row_t(page.repeatRowsTo - 1));
    }

private:
    // Formats are never changed once a cell uses them: one library format per
    // distinct cell format (the library looks up a duplicate on every cell).
    lxw_format *libraryFormat(uint32_t index, bool border)
    {
        const size_t key = size_t(index) * 2 + (border ? 1 : 0);
        if (m_known[key])
            return m_made[key];
        CellFormat f = m_w.formats[index];
        f.border = f.border || border;
        lxw_format *lf = nullptr;
        if (!(f == CellFormat{})) {
            auto [it, inserted] = m_byFormat.try_emplace(f, nullptr);
            if (inserted)
                it->second = makeFormat(m_file.book(), f);
            lf = it->second;
        }
        m_known[key] = 1;
        m_made[key] = lf;
        return lf;
    }

    void updateBorders(int r)
    {
        while (!m_pendingBorders.empty() && m_pendingBorders.back().top == r) {
            m_activeBorders.push_back(m_pendingBorders.back());
            m_pendingBorders.pop_back();
        }
        m_activeBorders.erase(std::remove_if(m_activeBorders.begin(), m_activeBorders.end(),
                                             [r](const Range &b) { return b.bottom < r; }),
                              m_activeBorders.end());
    }

    // A merge is recorded when its last row is reached: in constant-memory
    // mode the library takes no cell of an earlier row, and the range's cells
    // of this row are written afterwards, over the merge's own blanks. The
    // library writes a blank over the merge's first cell; when that cell lies
    // in the row above, still in the library's buffer, its value would be
    // lost. A first blank in this row flushes the row above as written; the
    // later cell write of this row replaces the blank.
    void writeMergesEndingIn(int r)
    {
        const lxw_row_t row = lxw_row_t(r - 1);
        if (!m_mergesByEnd.empty() && m_mergesByEnd.back().bottom == r) {
            const Range &m = m_mergesByEnd.back();
            if (lxw_format *f =
                    libraryFormat(m_w.effectiveFormat(m.top, m.left), m_w.bordered(m.top, m.left)))
                m_file.check(worksheet_write_blank(m_sheet, row, lxw_col_t(m.left - 1), f));
        }
        while (!m_mergesByEnd.empty() && m_mergesByEnd.back().bottom == r) {
            const Range &m = m_mergesByEnd.back();
            m_file.check(worksheet_merge_range(
                m_sheet, lxw_row_t(m.top - 1), lxw_col_t(m.left - 1), lxw_row_t(m.bottom - 1),
                lxw_col_t(m.right - 1), "",
                libraryFormat(m_w.effectiveFormat(m.top, m.left), m_w.bordered(m.top, m.left))));
            m_mergesByEnd.pop_back();
        }
    }

    // The row's cells, and blanks where only a border falls.
    void writeCells(int r, const Workbook::Impl::Row *line, int lastCol)
    {
        const lxw_row_t row = lxw_row_t(r - 1);
        int width = line ? int(line->cells.size()) : 0;
        m_borderedCol.assign(size_t(lastCol) + 1, 0);
        for (const Range &b : m_activeBorders) {
            width = std::max(width, b.right);
            std::fill(m_borderedCol.begin() + b.left, m_borderedCol.begin() + b.right + 1, 1);
        }
        for (int c = 1; c <= width; ++c) {
            const lxw_col_t col = lxw_col_t(c - 1);
            const bool border = m_borderedCol[size_t(c)] != 0;
            const Workbook::Impl::Slot *s =
                line && size_t(c) <= line->cells.size() && line->cells[size_t(c) - 1].used
                ? &line->cells[size_t(c) - 1]
                : nullptr;
            if (!s) {
                if (border)
                    m_file.check(worksheet_write_blank(
                        m_sheet, row, col, libraryFormat(line ? line->format : 0, true)));
                continue;
            }
            writeValue(row, col, m_w.valueOf(*s), libraryFormat(s->format, border));
        }
    }

    void writeValue(lxw_row_t row, lxw_col_t col, const CellValue &value, lxw_format *format)
    {
        if (const double *n = std::get_if<double>(&value)) {
            if (std::isfinite(*n)) {
                m_file.check(worksheet_write_number(m_sheet, row, col, *n, format));
            } else {
                m_utf8 = text::formatNumber(*n).toUtf8();
                m_file.check(worksheet_write_string(m_sheet, row, col, m_utf8.constData(), format));
            }
        } else if (const QString *t = std::get_if<QString>(&value)) {
            m_utf8 = t->size() > maxTextLength ? t->left(maxTextLength).toUtf8() : t->toUtf8();
            m_file.check(worksheet_write_string(m_sheet, row, col, m_utf8.constData(), format));
        } else if (format) {
            m_file.check(worksheet_write_blank(m_sheet, row, col, format));
        }
    }

    XlsxFile &m_file;
    const Workbook::Impl &m_w;
    lxw_worksheet *m_sheet = nullptr;
    std::vector<lxw_format *> m_made;
    std::vector<char> m_known;
    std::unordered_map<CellFormat, lxw_format *, FormatHash> m_byFormat;
    std::vector<Range> m_pendingBorders;
    std::vector<Range> m_activeBorders;
    std::vector<Range> m_mergesByEnd;
    std::vector<char> m_borderedCol;
    QByteArray m_utf8;
};

} // namespace

void oracle::saveWithLibrary(const Workbook &book, const QString &path)
{
    // Rows the program writes as they are made are held here first: the file
    // the library writes from them is what the streaming writer is held to.
    const Workbook held = book.materialized();
    const Workbook::Impl *d = &held.storage();
    const Extent extent = extentOf(*d);
    checkLimits(path, extent);
    const QString temp = temporaryPathBeside(path);
    try {
        XlsxFile file(path, temp);
        SheetWriter sheet(file, *d);
        sheet.writeColumnWidths();
        sheet.writeRows(extent);
        sheet.writePageSetup();
        file.close();
        replace(temp, path);
    } catch (...) {
        QFile::remove(temp);
        throw;
    }
}

} // namespace vedaris::reports
