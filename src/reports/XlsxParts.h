#pragma once

#include "reports/WorkbookImpl.h"
#include "reports/ZipWriter.h"

#include <QString>

#include <cstdint>
#include <cstring>
#include <string_view>
#include <unordered_map>
#include <vector>

// The parts of an .xlsx file, written straight into the zip stream: the sheet
// row by row as it is handed over, and the fixed parts, the styles and the
// workbook around it at the end. Text goes in as inline strings, numbers as
// their shortest 16-digit form, formats are registered once on first use.
namespace vedaris::reports::xlsx {

extern const std::string_view themeXml;

// Text assembled in a fixed buffer and handed to the zip stream when full: no
// allocation per cell.
class XmlOut
{
public:
    explicit XmlOut(ZipWriter &zip) : m_zip(zip) { m_buffer.resize(1 << 16); }
    ~XmlOut() = default;

    XmlOut &raw(std::string_view s)
    {
        if (s.size() > m_buffer.size() - m_used)
            flush();
        if (s.size() > m_buffer.size()) {
            m_zip.write(s);
            return *this;
        }
        std::memcpy(m_buffer.data() + m_used, s.data(), s.size());
        m_used += s.size();
        return *this;
    }
    XmlOut &integer(std::int64_t v);
    // The number as printf's "%.16G" shows it.
    XmlOut &number(double v);
    XmlOut &cellRef(int row, int col); // "B12"
    // Text as XML character data (or an attribute value with `attribute`):
    // markup characters as entities, control characters as _xHHHH_, cut at
    // the first NUL.
    XmlOut &text(const QString &s, bool attribute = false);
    void flush()
    {
        m_zip.write(m_buffer.data(), m_used);
        m_used = 0;
    }

private:
    char *room(size_t n)
    {
        if (n > m_buffer.size() - m_used)
            flush();
        return m_buffer.data() + m_used;
    }

    ZipWriter &m_zip;
    std::vector<char> m_buffer;
    size_t m_used = 0;
};

// A text as a cell holds it: at most 32,767 characters, cut at a NUL.
QString cellText(const QString &s);
bool needsPreserve(const QString &s); // leading or trailing blank after escaping

// Distinct cell formats in the order of their first use in the sheet.
class StyleTable
{
public:
    StyleTable();
    // 0 for the default format (the cell then carries no style).
    std::uint32_t styleOf(const CellFormat &f);
    std::string stylesXml() const;

private:
    std::vector<CellFormat> m_xfs; // index 0: the default
    std::unordered_map<CellFormat, std::uint32_t, FormatHash> m_index;
};

std::string contentTypesXml();
std::string rootRelsXml();
std::string workbookRelsXml();
// Rows printed atop every page, counted from 1; from 0 for none.
struct PrintTitles
{
    int from = 0, to = 0;
    bool any() const { return from > 0 && to >= from; }
};
std::string workbookXml(const QString &sheetName, PrintTitles titles = {});
std::string appXml(const QString &sheetName, PrintTitles titles = {});
std::string coreXml();
// The spreadsheet application's rules for a sheet name.
bool validSheetName(const QString &name);

} // namespace vedaris::reports::xlsx
