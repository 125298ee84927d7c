#include "reports/XlsxParts.h"

#include <QDateTime>

#include <algorithm>
#include <charconv>

namespace vedaris::reports::xlsx {

namespace {

constexpr int maxTextLength = 32767;
constexpr std::string_view declaration =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n";

std::string escaped(const QString &s)
{
    std::string out;
    for (char c : s.toStdString()) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        default:
            out += c;
            break;
        }
    }
    return out;
}

std::string attributeEscaped(const QString &s)
{
    std::string out;
    for (char c : escaped(s)) {
        if (c == '"')
            out += "&quot;";
        else
            out += c;
    }
    return out;
}

std::string num(double v)
{
    char buf[64];
    const auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::general, 16);
    std::string s(buf, r.ptr);
    for (char &c : s)
        if (c == 'e')
            c = 'E';
    return s;
}

} // namespace

XmlOut &XmlOut::integer(std::int64_t v)
{
    char *p = room(24);
    m_used += size_t(std::to_chars(p, p + 24, v).ptr - p);
    return *this;
}

XmlOut &XmlOut::number(double v)
{
    char *p = room(40);
    char *end = std::to_chars(p, p + 40, v, std::chars_format::general, 16).ptr;
    for (char *q = p; q < end; ++q)
        if (*q == 'e')
            *q = 'E';
    m_used += size_t(end - p);
    return *this;
}

XmlOut &XmlOut::cellRef(int row, int col)
{
    char *p = room(24);
    char letters[4];
    int n = 0;
    for (; col > 0; col = (col - 1) / 26)
        letters[n++] = char('A' + (col - 1) % 26);
    for (int i = n - 1; i >= 0; --i)
        *p++ = letters[i];
    m_used += size_t(n);
    return integer(row);
}

XmlOut &XmlOut::text(const QString &s, bool attribute)
{
    const char16_t *u = reinterpret_cast<const char16_t *>(s.utf16());
    const qsizetype n = s.size();
    for (qsizetype i = 0; i < n; ++i) {
        char32_t c = u[i];
        if (c == 0)
            break;
        char *p = room(8);
        if (c < 0x80) {
            switch (c) {
            case '&':
                std::memcpy(p, "&amp;", 5);
                m_used += 5;
                continue;
            case '<':
                std::memcpy(p, "&lt;", 4);
                m_used += 4;
                continue;
            case '>':
                std::memcpy(p, "&gt;", 4);
                m_used += 4;
                continue;
            case '"':
                if (attribute) {
                    std::memcpy(p, "&quot;", 6);
                    m_used += 6;
                    continue;
                }
                break;
            default:
                break;
            }
            if (c < 0x20 && c != '\t' && c != '\n') {
                static const char hex[] = "0123456789ABCDEF";
                std::memcpy(p, "_x00", 4);
                p[4] = hex[c >> 4];
                p[5] = hex[c & 15];
                p[6] = '_';
                m_used += 7;
                continue;
            }
            *p = char(c);
            m_used += 1;
            continue;
        }
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < n && u[i + 1] >= 0xDC00 && u[i + 1] < 0xE000) {
            c = 0x10000 + ((c - 0xD800) << 10) + (u[i + 1] - 0xDC00);
            ++i;
        } else if (c >= 0xD800 && c < 0xE000) {
            c = 0xFFFD; // a lone surrogate
        }
        if (c < 0x800) {
            p[0] = char(0xC0 | (c >> 6));
            p[1] = char(0x80 | (c & 0x3F));
            m_used += 2;
        } else if (c < 0x10000) {
            p[0] = char(0xE0 | (c >> 12));
            p[1] = char(0x80 | ((c >> 6) & 0x3F));
            p[2] = char(0x80 | (c & 0x3F));
            m_used += 3;
        } else {
            p[0] = char(0xF0 | (c >> 18));
            p[1] = char(0x80 | ((c >> 12) & 0x3F));
            p[2] = char(0x80 | ((c >> 6) & 0x3F));
            p[3] = char(0x80 | (c & 0x3F));
            m_used += 4;
        }
    }
    return *this;
}

QString cellText(const QString &s)
{
    qsizetype end = s.indexOf(QChar(0));
    if (end < 0)
        end = s.size();
    return end > maxTextLength || end < s.size() ? s.left(std::min<qsizetype>(end, maxTextLength))
                                                 : s;
}

bool needsPreserve(const QString &s)
{
    if (s.isEmpty())
        return false;
    const auto blank = [](QChar c) { return c == u' ' || c == u'\t' || c == u'\n'; };
    return blank(s.front()) || blank(s.back());
}

StyleTable::StyleTable() : m_xfs{CellFormat{}}, m_index{{CellFormat{}, 0}} { }

std::uint32_t StyleTable::styleOf(const CellFormat &f)
{
    const auto [it, inserted] = m_index.try_emplace(f, std::uint32_t(m_xfs.size()));
    if (inserted)
        m_xfs.push_back(f);
    return it->second;
}

std::string StyleTable::stylesXml() const
{
    // Fonts, borders and number formats in the order of the first format using them.
    struct FontKey
    {
        bool bold;
        double size;
        bool operator==(const FontKey &) const = default;
    };
    std::vector<FontKey> fonts;
    std::vector<QString> numberFormats;
    bool anyBorder = false;
    std::vector<int> fontOf, formatOf;
    for (const CellFormat &f : m_xfs) {
        const FontKey key{f.bold, f.fontSize > 0 ? f.fontSize : 11};
        auto font = std::find(fonts.begin(), fonts.end(), key);
        if (font == fonts.end())
            font = fonts.insert(fonts.end(), key);
        fontOf.push_back(int(font - fonts.begin()));
        int numFmt = 0;
        if (!f.numberFormat.isEmpty() && f.numberFormat != u"General") {
            auto it = std::find(numberFormats.begin(), numberFormats.end(), f.numberFormat);
            if (it == numberFormats.end())
                it = numberFormats.insert(numberFormats.end(), f.numberFormat);
            numFmt = 164 + int(it - numberFormats.begin());
        }
        formatOf.push_back(numFmt);
        anyBorder = anyBorder || f.border;
    }

    std::string x(declaration);
    x += "<styleSheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">";
    if (!numberFormats.empty()) {
        x += "<numFmts count=\"" + std::to_string(numberFormats.size()) + "\">";
        for (size_t i = 0; i < numberFormats.size(); ++i)
            x += "<numFmt numFmtId=\"" + std::to_string(164 + i) + "\" formatCode=\""
                + attributeEscaped(numberFormats[i]) + "\"/>";
        x += "</numFmts>";
    }
    x += "<fonts count=\"" + std::to_string(fonts.size()) + "\">";
    for (const FontKey &f : fonts) {
        x += "<font>";
        if (f.bold)
            x += "<b/>";
        x += "<sz val=\"" + num(f.size)
            + "\"/><color theme=\"1\"/><name val=\"Calibri\"/><family val=\"2\"/><scheme "
              "val=\"minor\"/></font>";
    }
    x += "</fonts><fills count=\"2\"><fill><patternFill "
         "patternType=\"none\"/></fill><fill><patternFill "
         "patternType=\"gray125\"/></fill></fills>";
    x += anyBorder ? "<borders count=\"2\">" : "<borders count=\"1\">";
    x += "<border><left/><right/><top/><bottom/><diagonal/></border>";
    if (anyBorder)
        x += "<border><left style=\"thin\"><color auto=\"1\"/></left><right style=\"thin\"><color "
             "auto=\"1\"/></right>"
             "<top style=\"thin\"><color auto=\"1\"/></top><bottom style=\"thin\"><color "
             "auto=\"1\"/></bottom>"
             "<diagonal/></border>";
    x += "</borders><cellStyleXfs count=\"1\"><xf numFmtId=\"0\" fontId=\"0\" fillId=\"0\" "
         "borderId=\"0\"/>"
         "</cellStyleXfs>";
    x += "<cellXfs count=\"" + std::to_string(m_xfs.size()) + "\">";
    for (size_t i = 0; i < m_xfs.size(); ++i) {
        const CellFormat &f = m_xfs[i];
        x += "<xf numFmtId=\"" + std::to_string(formatOf[i]) + "\" fontId=\""
            + std::to_string(fontOf[i]) + "\" fillId=\"0\" borderId=\"" + (f.border ? "1" : "0")
            + "\" xfId=\"0\"";
        if (formatOf[i] > 0)
            x += " applyNumberFormat=\"1\"";
        if (fontOf[i] > 0)
            x += " applyFont=\"1\"";
        if (f.border)
            x += " applyBorder=\"1\"";
        const bool aligned = f.hAlign != HAlign::General || f.vAlign != VAlign::Bottom || f.wrap;
        if (!aligned) {
            x += "/>";
            continue;
        }
        x += " applyAlignment=\"1\"><alignment";
        if (f.hAlign == HAlign::Left)
            x += " horizontal=\"left\"";
        else if (f.hAlign == HAlign::Center)
            x += " horizontal=\"center\"";
        if (f.vAlign == VAlign::Center)
            x += " vertical=\"center\"";
        if (f.wrap)
            x += " wrapText=\"1\"";
        x += "/></xf>";
    }
    x += "</cellXfs><cellStyles count=\"1\"><cellStyle name=\"Normal\" xfId=\"0\" "
         "builtinId=\"0\"/></cellStyles>"
         "<dxfs count=\"0\"/><tableStyles count=\"0\" defaultTableStyle=\"TableStyleMedium9\" "
         "defaultPivotStyle=\"PivotStyleLight16\"/></styleSheet>";
    return x;
}

std::string contentTypesXml()
{
    return std::string(declaration)
        + "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
          "<Default Extension=\"rels\" "
          "ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
          "<Default Extension=\"xml\" ContentType=\"application/xml\"/>"
          "<Override PartName=\"/docProps/app.xml\" "
          "ContentType=\"application/vnd.openxmlformats-officedocument.extended-properties+xml\"/>"
          "<Override PartName=\"/docProps/core.xml\" "
          "ContentType=\"application/vnd.openxmlformats-package.core-properties+xml\"/>"
          "<Override PartName=\"/xl/styles.xml\" "
          "ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.styles+xml\"/>"
          "<Override PartName=\"/xl/theme/theme1.xml\" "
          "ContentType=\"application/vnd.openxmlformats-officedocument.theme+xml\"/>"
          "<Override PartName=\"/xl/workbook.xml\" "
          "ContentType=\"application/"
          "vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml\"/>"
          "<Override PartName=\"/xl/worksheets/sheet1.xml\" "
          "ContentType=\"application/"
          "vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml\"/>"
          "</Types>";
}

std::string rootRelsXml()
{
    return std::string(declaration)
        + "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
          "<Relationship Id=\"rId1\" "
          "Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/"
          "officeDocument\" "
          "Target=\"xl/workbook.xml\"/>"
          "<Relationship Id=\"rId2\" "
          "Type=\"http://schemas.openxmlformats.org/package/2006/relationships/metadata/"
          "core-properties\" "
          "Target=\"docProps/core.xml\"/>"
          "<Relationship Id=\"rId3\" "
          "Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/"
          "extended-properties\" "
          "Target=\"docProps/app.xml\"/></Relationships>";
}

std::string workbookRelsXml()
{
    return std::string(declaration)
        + "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
          "<Relationship Id=\"rId1\" "
          "Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet\" "
          "Target=\"worksheets/sheet1.xml\"/>"
          "<Relationship Id=\"rId2\" "
          "Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/theme\" "
          "Target=\"theme/theme1.xml\"/>"
          "<Relationship Id=\"rId3\" "
          "Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/styles\" "
          "Target=\"styles.xml\"/></Relationships>";
}

namespace {

// A sheet name as formulas and defined names write it: quoted, with its own
// quotes doubled, unless it is letters, digits, '_' and '.' of ASCII only.
QString formulaSheetName(const QString &name)
{
    const bool plain = std::all_of(name.begin(), name.end(), [](QChar c) {
        return c.unicode() < 128 && (c.isLetterOrNumber() || c == u'_' || c == u'.');
    });
    if (plain)
        return name;
    QString quoted = name;
    quoted.replace(u'\'', QStringLiteral("''"));
    return u'\'' + quoted + u'\'';
}

} // namespace

std::string workbookXml(const QString &sheetName, PrintTitles titles)
{
    std::string definedNames;
    if (titles.any())
        definedNames = "<definedNames><definedName name=\"_xlnm.Print_Titles\" localSheetId=\"0\">"
            + escaped(QStringLiteral("%1!$%2:$%3")
                          .arg(formulaSheetName(sheetName))
                          .arg(titles.from)
                          .arg(titles.to))
            + "</definedName></definedNames>";
    return std::string(declaration)
        + "<workbook xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
          "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\">"
          "<fileVersion appName=\"xl\" lastEdited=\"4\" lowestEdited=\"4\" rupBuild=\"4505\"/>"
          "<workbookPr defaultThemeVersion=\"124226\"/><bookViews><workbookView xWindow=\"240\" "
          "yWindow=\"15\" "
          "windowWidth=\"16095\" windowHeight=\"9660\"/></bookViews><sheets><sheet name=\""
        + attributeEscaped(sheetName) + "\" sheetId=\"1\" r:id=\"rId1\"/></sheets>" + definedNames
        + "<calcPr calcId=\"124519\" fullCalcOnLoad=\"1\"/></workbook>";
}

std::string appXml(const QString &sheetName, PrintTitles titles)
{
    // Print titles are a named range, which the properties count and name.
    const bool named = titles.any();
    return std::string(declaration)
        + "<Properties "
          "xmlns=\"http://schemas.openxmlformats.org/officeDocument/2006/extended-properties\" "
          "xmlns:vt=\"http://schemas.openxmlformats.org/officeDocument/2006/docPropsVTypes\">"
          "<Application>Microsoft "
          "Excel</Application><DocSecurity>0</DocSecurity><ScaleCrop>false</ScaleCrop>"
          "<HeadingPairs><vt:vector size=\""
        + (named ? "4" : "2")
        + "\" baseType=\"variant\">"
          "<vt:variant><vt:lpstr>Worksheets</vt:lpstr></vt:variant><vt:variant><vt:i4>1</vt:i4></"
          "vt:variant>"
        + (named ? "<vt:variant><vt:lpstr>Named "
                   "Ranges</vt:lpstr></vt:variant><vt:variant><vt:i4>1</vt:i4>"
                   "</vt:variant>"
                 : "")
        + "</vt:vector></HeadingPairs><TitlesOfParts>"
          "<vt:vector size=\""
        + (named ? "2" : "1") + "\" baseType=\"lpstr\"><vt:lpstr>" + escaped(sheetName)
        + "</vt:lpstr>"
        + (named ? "<vt:lpstr>"
                   + escaped(formulaSheetName(sheetName) + QStringLiteral("!Print_Titles"))
                   + "</vt:lpstr>"
                 : std::string())
        + "</vt:vector></TitlesOfParts><Company></Company><LinksUpToDate>false</LinksUpToDate>"
          "<SharedDoc>false</SharedDoc><HyperlinksChanged>false</"
          "HyperlinksChanged><AppVersion>12.0000"
          "</AppVersion></Properties>";
}

std::string coreXml()
{
    const std::string now = QDateTime::currentDateTimeUtc()
                                .toString(QStringLiteral("yyyy-MM-ddTHH:mm:ssZ"))
                                .toStdString();
    return std::string(declaration)
        + "<cp:coreProperties "
          "xmlns:cp=\"http://schemas.openxmlformats.org/package/2006/metadata/core-properties\" "
          "xmlns:dc=\"http://purl.org/dc/elements/1.1/\" "
          "xmlns:dcterms=\"http://purl.org/dc/terms/\" "
          "xmlns:dcmitype=\"http://purl.org/dc/dcmitype/\" "
          "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\">"
          "<dc:creator></dc:creator><cp:lastModifiedBy></cp:lastModifiedBy>"
          "<dcterms:created xsi:type=\"dcterms:W3CDTF\">"
        + now + "</dcterms:created><dcterms:modified xsi:type=\"dcterms:W3CDTF\">" + now
        + "</dcterms:modified></cp:coreProperties>";
}

bool validSheetName(const QString &name)
{
    if (name.isEmpty() || name.size() > 31 || name.startsWith(u'\'') || name.endsWith(u'\''))
        return false;
    for (QChar c : name)
        if (QStringView(u"[]:*?/\\").contains(c))
            return false;
    return true;
}

} // namespace vedaris::reports::xlsx
