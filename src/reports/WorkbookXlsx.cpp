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
// rows go out in order, each row completely before the next.
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

} // namespace

void Workbook::saveXlsx(const QString &path) const
{
    const Impl &w = *d;

    // The extent of everything that goes into the sheet.
    int lastRow = 0, lastCol = int(w.columnWidths.size());
    for (size_t r = 0; r < w.rows.size(); ++r) {
        const auto &line = w.rows[r];
        for (size_t c = line.cells.size(); c > 0; --c)
            if (line.cells[c - 1].used) {
                lastRow = int(r + 1);
                lastCol = std::max(lastCol, int(c));
                break;
            }
        if (line.format != 0)
            lastRow = std::max(lastRow, int(r + 1));
    }
    for (const auto &ranges : {w.borderRects, w.mergeRanges})
        for (const Range &b : ranges) {
            lastRow = std::max(lastRow, b.bottom);
            lastCol = std::max(lastCol, b.right);
        }
    if (lastRow > maxRows)
        throw Error(path, QStringLiteral("the report needs %1 rows; a sheet holds at most %2 rows")
                              .arg(lastRow).arg(maxRows));
    if (lastCol > maxColumns)
        throw Error(path, QStringLiteral("the report needs %1 columns; a sheet holds at most %2 columns")
                              .arg(lastCol).arg(maxColumns));

    const QFileInfo target(path);
    const QString temp = target.absoluteDir().filePath(
        QStringLiteral(".%1.%2.tmp").arg(target.fileName()).arg(QRandomGenerator::global()->generate(), 8, 16, QChar(u'0')));
    try {
        XlsxFile file(path, temp);
        lxw_workbook *book = file.book();
        lxw_worksheet *sheet = workbook_add_worksheet(book, w.sheetName.toUtf8().constData());
        if (!sheet)
            file.fail(QStringLiteral("the sheet name \"%1\" is not allowed").arg(w.sheetName));

        // Formats are never changed once a cell uses them: one library format per
        // distinct cell format (the library looks up a duplicate on every cell).
        std::vector<lxw_format *> made(w.formats.size() * 2, nullptr);
        std::vector<char> known(w.formats.size() * 2, 0);
        std::unordered_map<CellFormat, lxw_format *, FormatHash> byFormat;
        auto libraryFormat = [&](uint32_t index, bool border) -> lxw_format * {
            const size_t key = size_t(index) * 2 + (border ? 1 : 0);
            if (known[key])
                return made[key];
            CellFormat f = w.formats[index];
            f.border = f.border || border;
            lxw_format *lf = nullptr;
            if (!(f == CellFormat{})) {
                auto [it, inserted] = byFormat.try_emplace(f, nullptr);
                if (inserted)
                    it->second = makeFormat(book, f);
                lf = it->second;
            }
            known[key] = 1;
            made[key] = lf;
            return lf;
        };

        for (size_t c = 0; c < w.columnWidths.size(); ++c)
            if (w.columnWidths[c] > 0)
                file.check(worksheet_set_column(sheet, lxw_col_t(c), lxw_col_t(c), w.columnWidths[c], nullptr));

        // Border rectangles by their top row; the active ones cover the current row.
        std::vector<Range> pending = w.borderRects;
        std::sort(pending.begin(), pending.end(),
                  [](const Range &a, const Range &b) { return a.top > b.top; });
        std::vector<Range> active;
        std::vector<Range> mergesByEnd = w.mergeRanges;
        std::sort(mergesByEnd.begin(), mergesByEnd.end(),
                  [](const Range &a, const Range &b) { return a.bottom > b.bottom; });
        std::vector<char> borderedCol;
        QByteArray utf8;

        for (int r = 1; r <= lastRow; ++r) {
            const lxw_row_t row = lxw_row_t(r - 1);
            while (!pending.empty() && pending.back().top == r) {
                active.push_back(pending.back());
                pending.pop_back();
            }
            active.erase(std::remove_if(active.begin(), active.end(),
                                        [r](const Range &b) { return b.bottom < r; }),
                         active.end());
            const Impl::Row *line = size_t(r) <= w.rows.size() ? &w.rows[size_t(r) - 1] : nullptr;
            if (line && line->format != 0)
                file.check(worksheet_set_row(sheet, row, LXW_DEF_ROW_HEIGHT,
                                             libraryFormat(line->format, false)));

            // A merge is recorded when its last row is reached: in constant-memory
            // mode the library takes no cell of an earlier row, and the range's
            // cells of this row are written below, over the merge's own blanks.
            // The library writes a blank over the merge's first cell; when that
            // cell lies in the row above, still in the library's buffer, its value
            // would be lost. A first blank in this row flushes the row above as
            // written; the later cell write of this row replaces the blank.
            if (!mergesByEnd.empty() && mergesByEnd.back().bottom == r) {
                const Range &m = mergesByEnd.back();
                if (lxw_format *f = libraryFormat(w.effectiveFormat(m.top, m.left), w.bordered(m.top, m.left)))
                    file.check(worksheet_write_blank(sheet, row, lxw_col_t(m.left - 1), f));
            }
            while (!mergesByEnd.empty() && mergesByEnd.back().bottom == r) {
                const Range &m = mergesByEnd.back();
                worksheet_merge_range(sheet, lxw_row_t(m.top - 1), lxw_col_t(m.left - 1),
                                      lxw_row_t(m.bottom - 1), lxw_col_t(m.right - 1), "",
                                      libraryFormat(w.effectiveFormat(m.top, m.left),
                                                    w.bordered(m.top, m.left)));
                mergesByEnd.pop_back();
            }

            int width = line ? int(line->cells.size()) : 0;
            borderedCol.assign(size_t(lastCol) + 1, 0);
            for (const Range &b : active) {
                width = std::max(width, b.right);
                std::fill(borderedCol.begin() + b.left, borderedCol.begin() + b.right + 1, 1);
            }
            for (int c = 1; c <= width; ++c) {
                const lxw_col_t col = lxw_col_t(c - 1);
                const bool border = borderedCol[size_t(c)] != 0;
                const Impl::Slot *s = line && size_t(c) <= line->cells.size() && line->cells[size_t(c) - 1].used
                                          ? &line->cells[size_t(c) - 1]
                                          : nullptr;
                if (!s) {
                    if (border)
                        file.check(worksheet_write_blank(sheet, row, col,
                                                         libraryFormat(line ? line->format : 0, true)));
                    continue;
                }
                lxw_format *format = libraryFormat(s->format, border);
                if (const double *n = std::get_if<double>(&s->value)) {
                    if (std::isfinite(*n)) {
                        file.check(worksheet_write_number(sheet, row, col, *n, format));
                    } else {
                        utf8 = text::formatNumber(*n).toUtf8();
                        file.check(worksheet_write_string(sheet, row, col, utf8.constData(), format));
                    }
                } else if (const QString *t = std::get_if<QString>(&s->value)) {
                    utf8 = t->size() > maxTextLength ? t->left(maxTextLength).toUtf8() : t->toUtf8();
                    file.check(worksheet_write_string(sheet, row, col, utf8.constData(), format));
                } else if (format) {
                    file.check(worksheet_write_blank(sheet, row, col, format));
                }
            }
        }

        const PageSetup &page = w.page;
        if (page.zoom >= 10 && page.zoom <= 400)
            worksheet_set_print_scale(sheet, uint16_t(page.zoom));
        worksheet_set_margins(sheet, page.leftMargin / 72, page.rightMargin / 72,
                              page.topMargin / 72, page.bottomMargin / 72);
        if (page.orientation == PageSetup::Landscape)
            worksheet_set_landscape(sheet);
        file.close();

        std::error_code ec;
        std::filesystem::rename(std::filesystem::path(temp.toStdU16String()),
                                std::filesystem::path(target.absoluteFilePath().toStdU16String()), ec);
        if (ec)
            throw Error(path, QString::fromStdString(ec.message()));
    } catch (...) {
        QFile::remove(temp);
        throw;
    }
}

} // namespace vedaris::reports
