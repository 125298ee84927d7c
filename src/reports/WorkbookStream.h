#pragma once

#include "reports/WorkbookImpl.h"

#include <QDate>
#include <functional>
#include <unordered_map>

// Rows a workbook does not hold but has made when they are read or written:
// a report's data rows come from the compact lines of its data pass, one row
// at a time, straight into the file. The cells a source makes are those the
// workbook's own calls would have made (the same values, formats and slots).
namespace vedaris::reports {

// One row of a streamed sheet, filled cell by cell with the workbook's calls
// for one cell; formats are indexes into the workbook's table.
class StreamRow
{
public:
    using Slot = Workbook::Impl::Slot;

    explicit StreamRow(Workbook::Impl &formats) : m_w(&formats) { }

    void clear(uint32_t rowFormat = 0)
    {
        format = rowFormat;
        cells.clear();
        texts.clear();
    }

    // The cell as Workbook::setValue(text), setValue(number), setDate and setText leave it.
    void typed(int col, const QString &text);
    void number(int col, double value) { touch(col).setNumber(value); }
    void date(int col, const QDate &date);
    void text(int col, const QString &text);
    // A format change over the cell (alignment, number format), as a range call would make it.
    template<class Change> void change(int col, int key, Change &&change)
    {
        Slot &s = touch(col);
        s.format = derived(s.format, key, change);
    }
    // A format derived once from `base` by `change`, remembered under `key`.
    template<class Change> uint32_t derived(uint32_t base, int key, Change &&change)
    {
        const uint64_t k = (uint64_t(base) << 8) | uint64_t(key);
        const auto it = m_derived.find(k);
        if (it != m_derived.end())
            return it->second;
        CellFormat f = m_w->formats[base];
        change(f);
        const uint32_t index = m_w->intern(f);
        m_derived.emplace(k, index);
        return index;
    }

    Slot &touch(int col);
    const Slot *slot(int col) const
    {
        return col >= 1 && size_t(col) <= cells.size() && cells[size_t(col) - 1].used
            ? &cells[size_t(col) - 1]
            : nullptr;
    }
    const QString &textOf(const Slot &s) const { return texts[size_t(s.payload)]; }
    CellValue valueOf(const Slot &s) const { return s.value(texts); }
    CellValue value(int col) const
    {
        const Slot *s = slot(col);
        return s ? valueOf(*s) : CellValue{};
    }
    int lastUsed() const
    {
        for (size_t c = cells.size(); c > 0; --c)
            if (cells[c - 1].used)
                return int(c);
        return 0;
    }

    uint32_t format = 0; // the row's own format
    std::vector<Slot> cells; // column 1 at index 0
    std::vector<QString> texts;

private:
    void setText(Slot &s, const QString &t)
    {
        s.payload = texts.size();
        s.holds = Slot::Text;
        texts.push_back(t);
    }
    uint32_t withNumberFormat(uint32_t base, const QString &numberFormat);

    Workbook::Impl *m_w;
    std::unordered_map<uint64_t, uint32_t> m_derived;
};

// Keys of the format changes StreamRow remembers; a source's own start at UserChange.
enum FormatChange : int { TextChange = 1, DateChange = 2, MoneyChange = 3, UserChange = 16 };

// The rows [firstRow(), lastRow()] of a sheet, made on demand. Nothing else of
// the workbook lies in those rows but the border rectangles. The first and the
// last row hold a cell, and some row holds one in column 1 and in lastColumn():
// the writer states the sheet's range before it makes the rows.
class RowSource
{
public:
    virtual ~RowSource() = default;
    virtual int firstRow() const = 0;
    virtual int lastRow() const = 0; // holds a cell
    virtual int lastColumn() const = 0;
    // The row's cells, as the workbook's calls would have left them.
    virtual void fill(int row, StreamRow &out) const = 0;
    // The merged ranges in the order they were made.
    virtual void merges(std::vector<Range> &) const { }
    // Column A's value without making the row, where the source knows it cheaply.
    virtual bool firstColumn(int, CellValue &) const { return false; }
};

} // namespace vedaris::reports
