#pragma once

#include "reports/Workbook.h"

#include <bit>
#include <cstdint>
#include <functional>
#include <memory>
#include <unordered_map>
#include <vector>

// The workbook's storage, shared by the in-memory part and the .xlsx writer.
// Cells hold an index into a small table of distinct formats; borders are kept
// as rectangles, because the reports re-border the whole table after every row.
namespace vedaris::reports {

class RowSource;
class StreamRow;

struct FormatHash
{
    size_t operator()(const CellFormat &f) const noexcept;
};

struct Workbook::Impl
{
    // 16 bytes a cell: the largest reports hold a million rows of a dozen
    // cells, most of them only formatted.
    struct Slot
    {
        enum Holds : uint8_t { Nothing, Number, Text };
        uint64_t payload = 0; // the number's bits, or the index of its text in `texts`
        uint32_t format = 0;
        Holds holds = Nothing;
        bool used = false; // false: a gap never touched, it shows the row's format

        bool empty() const { return holds == Nothing; }
        double number() const { return std::bit_cast<double>(payload); }
        // The value held, its text looked up in the `texts` it indexes.
        CellValue value(const std::vector<QString> &texts) const
        {
            switch (holds) {
            case Number:
                return number();
            case Text:
                return texts[size_t(payload)];
            case Nothing:
                break;
            }
            return {};
        }
        void setNumber(double v)
        {
            payload = std::bit_cast<uint64_t>(v);
            holds = Number;
        }
        void clear()
        {
            payload = 0;
            holds = Nothing;
        }
    };
    struct Row
    {
        std::vector<Slot> cells; // column 1 at index 0
        uint32_t format = 0; // the whole row's format, given to cells created later
        std::vector<uint32_t> merges; // indexes into merges of the merges crossing this row
    };

    QString sheetName = QStringLiteral("Лист1");
    std::vector<double> columnWidths; // column 1 at index 0; 0 when never set
    std::vector<Row> rows; // row 1 at index 0
    std::vector<CellFormat> formats{CellFormat{}}; // index 0: the default format
    std::unordered_map<CellFormat, uint32_t, FormatHash> formatIndex{{CellFormat{}, 0}};
    std::vector<QString> texts; // the cells' texts; one replaced stays unused
    std::vector<Range> borderRects; // no rectangle contains another
    std::vector<Range> mergeRanges;
    size_t widestRow = 0;
    // Rows a report needs beyond those it holds: one too large for a sheet
    // keeps only its heading and is refused when saved.
    qint64 requiredRows = 0;
    PageSetup page;
    mutable std::map<std::pair<int, int>, Cell> snapshots;
    // Rows made on demand (WorkbookStream.h), with what presentForReading-like
    // finishing does to each, and the last one made for reading.
    std::shared_ptr<const RowSource> stream;
    std::function<void(int row, StreamRow &)> present;
    mutable std::shared_ptr<StreamRow> streamCache;
    mutable int streamCacheRow = 0;

    bool streamed(int r) const;
    // The row as its source and the finishing make it (the last one is kept).
    const StreamRow &streamRow(int r) const;
    void fillStream(int r, StreamRow &out) const;
    // Interns into a table that a const workbook also grows while its streamed
    // rows are made: formats are only ever added.
    uint32_t internConst(const CellFormat &f) const { return const_cast<Impl *>(this)->intern(f); }

    void setText(Slot &s, const QString &text)
    {
        s.payload = texts.size();
        s.holds = Slot::Text;
        texts.push_back(text);
    }
    const QString &textOf(const Slot &s) const { return texts[size_t(s.payload)]; }
    CellValue valueOf(const Slot &s) const { return s.value(texts); }

    uint32_t intern(const CellFormat &f);
    Row &row(int r);
    Slot &touch(int r, int c);
    const Slot *slot(int r, int c) const;
    uint32_t effectiveFormat(int r, int c) const;
    bool bordered(int r, int c) const;
    void addBorders(const Range &r);
    void materializeBorders(const Range &r);
    // Changes the format of a range's cells, or of whole rows and their cells.
    template<typename Change> void applyFormat(const Range &r, Change change);
};

} // namespace vedaris::reports
