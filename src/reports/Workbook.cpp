#include "reports/Workbook.h"

#include "reports/WorkbookImpl.h"
#include "reports/WorkbookStream.h"
#include "store/TextFormats.h"

#include <QDate>
#include <QHash>
#include <QLocale>
#include <QRegularExpression>
#include <algorithm>
#include <array>
#include <cmath>
#include <numeric>
#include <stdexcept>

namespace vedaris::reports {

namespace {

const QString textFormat = QStringLiteral("@");
const QString dateFormat = QStringLiteral("dd.mm.yyyy");

void checkCell(int row, int col)
{
    if (row < 1 || col < 1)
        throw std::invalid_argument("cell outside the sheet");
}

void checkRange(const Range &r)
{
    if (r.top < 1 || r.left < 1 || r.bottom < r.top || r.right < r.left)
        throw std::invalid_argument("empty or inverted range");
}

bool contains(const Range &outer, const Range &inner)
{
    return outer.top <= inner.top && inner.bottom <= outer.bottom && outer.left <= inner.left
        && inner.right <= outer.right;
}

bool intersects(const Range &a, const Range &b)
{
    return a.top <= b.bottom && b.top <= a.bottom && a.left <= b.right && b.left <= a.right;
}

// Two rectangles whose union is again a rectangle.
bool joinable(const Range &a, const Range &b)
{
    if (a.left == b.left && a.right == b.right)
        return a.top <= b.bottom + 1 && b.top <= a.bottom + 1;
    if (a.top == b.top && a.bottom == b.bottom)
        return a.left <= b.right + 1 && b.left <= a.right + 1;
    return false;
}

// A typed number under Russian settings: optional minus, digits with at most one
// decimal comma, optional exponent.
std::optional<double> typedNumber(const QString &text)
{
    QByteArray plain;
    plain.reserve(text.size());
    int i = 0;
    const int n = text.size();
    if (i < n && text[i] == u'-')
        plain += text[i++].toLatin1();
    int digits = 0;
    bool comma = false;
    for (; i < n; ++i) {
        const QChar ch = text[i];
        if (ch >= u'0' && ch <= u'9') {
            plain += ch.toLatin1();
            ++digits;
        } else if (ch == u',' && !comma) {
            plain += '.';
            comma = true;
        } else {
            break;
        }
    }
    if (digits == 0)
        return std::nullopt;
    if (i < n && (text[i] == u'E' || text[i] == u'e')) {
        plain += 'e';
        ++i;
        if (i < n && (text[i] == u'+' || text[i] == u'-'))
            plain += text[i++].toLatin1();
        int expDigits = 0;
        for (; i < n && text[i] >= u'0' && text[i] <= u'9'; ++i, ++expDigits)
            plain += text[i].toLatin1();
        if (expDigits == 0)
            return std::nullopt;
    }
    if (i != n)
        return std::nullopt;
    bool ok = false;
    const double value = plain.toDouble(&ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::optional<double> typedDate(const QString &text)
{
    static const QRegularExpression pattern(QStringLiteral("^(\\d{1,2})\\.(\\d{1,2})\\.(\\d{4})$"));
    const auto m = pattern.match(text);
    if (!m.hasMatch())
        return std::nullopt;
    const QDate date(m.captured(3).toInt(), m.captured(2).toInt(), m.captured(1).toInt());
    if (!date.isValid() || date.year() < 1900)
        return std::nullopt;
    return double(QDate(1899, 12, 30).daysTo(date));
}

int parseColumn(const QString &letters)
{
    int col = 0;
    for (QChar ch : letters) {
        col = col * 26 + (ch.toUpper().unicode() - 'A' + 1);
        if (col > 1000000)
            throw std::invalid_argument("column out of range");
    }
    return col;
}

} // namespace

size_t FormatHash::operator()(const CellFormat &f) const noexcept
{
    size_t h = qHash(f.numberFormat);
    h = h * 31 + std::hash<double>{}(f.fontSize);
    h = h * 31 + size_t(f.hAlign) * 7 + size_t(f.vAlign);
    h = h * 31 + (f.bold ? 1 : 0) + (f.wrap ? 2 : 0) + (f.border ? 4 : 0);
    return h;
}

// ---- Range ----

Range Range::rows(int first, int last)
{
    return {first, 1, last, maxColumns};
}

bool Range::wholeRows() const
{
    return left == 1 && right == maxColumns;
}

Range Range::span(const Range &a, const Range &b)
{
    return {std::min(a.top, b.top), std::min(a.left, b.left), std::max(a.bottom, b.bottom),
            std::max(a.right, b.right)};
}

Range Range::parse(const QString &address)
{
    static const QRegularExpression cellPattern(
        QStringLiteral("^\\$?([A-Za-z]{1,4})\\$?(\\d{1,8})$"));
    static const QRegularExpression rowPattern(QStringLiteral("^\\$?(\\d{1,8})$"));
    const QStringList parts = address.trimmed().split(u':');
    if (parts.size() > 2)
        throw std::invalid_argument("bad range address: " + address.toStdString());
    Range result;
    bool first = true;
    bool rowsOnly = false;
    for (const QString &part : parts) {
        Range r;
        if (const auto m = cellPattern.match(part); m.hasMatch()) {
            const int row = m.captured(2).toInt();
            r = cell(row, parseColumn(m.captured(1)));
        } else if (const auto m = rowPattern.match(part); m.hasMatch() && parts.size() == 2) {
            const int row = m.captured(1).toInt();
            r = rows(row, row);
            if (!first && !rowsOnly)
                throw std::invalid_argument("bad range address: " + address.toStdString());
            rowsOnly = true;
        } else {
            throw std::invalid_argument("bad range address: " + address.toStdString());
        }
        if (r.top < 1)
            throw std::invalid_argument("bad range address: " + address.toStdString());
        if (!first && rowsOnly != r.wholeRows())
            throw std::invalid_argument("bad range address: " + address.toStdString());
        result = first ? r : span(result, r);
        first = false;
    }
    return result;
}

QString columnName(int col)
{
    QString name;
    for (; col > 0; col = (col - 1) / 26)
        name.prepend(QChar(u'A' + (col - 1) % 26));
    return name;
}

// ---- storage ----

uint32_t Workbook::Impl::intern(const CellFormat &f)
{
    const auto [it, inserted] = formatIndex.try_emplace(f, uint32_t(formats.size()));
    if (inserted)
        formats.push_back(f);
    return it->second;
}

Workbook::Impl::Row &Workbook::Impl::row(int r)
{
    if (size_t(r) > rows.size())
        rows.resize(size_t(r));
    return rows[size_t(r) - 1];
}

Workbook::Impl::Slot &Workbook::Impl::touch(int r, int c)
{
    Row &line = row(r);
    if (size_t(c) > line.cells.size()) {
        // Rows tend to be as wide as the widest so far: grow once.
        widestRow = std::max(widestRow, size_t(c));
        if (line.cells.capacity() < size_t(c))
            line.cells.reserve(std::min<size_t>(widestRow, maxColumns));
        line.cells.resize(size_t(c));
    }
    Slot &s = line.cells[size_t(c) - 1];
    if (!s.used) {
        s.used = true;
        s.format = line.format;
    }
    return s;
}

const Workbook::Impl::Slot *Workbook::Impl::slot(int r, int c) const
{
    if (r < 1 || c < 1 || size_t(r) > rows.size())
        return nullptr;
    const Row &line = rows[size_t(r) - 1];
    if (size_t(c) > line.cells.size() || !line.cells[size_t(c) - 1].used)
        return nullptr;
    return &line.cells[size_t(c) - 1];
}

uint32_t Workbook::Impl::effectiveFormat(int r, int c) const
{
    if (streamed(r)) {
        const StreamRow &line = streamRow(r);
        const Slot *s = line.slot(c);
        return s ? s->format : line.format;
    }
    if (const Slot *s = slot(r, c))
        return s->format;
    if (r >= 1 && size_t(r) <= rows.size())
        return rows[size_t(r) - 1].format;
    return 0;
}

bool Workbook::Impl::bordered(int r, int c) const
{
    const Range at = Range::cell(r, c);
    return std::any_of(borderRects.begin(), borderRects.end(),
                       [&](const Range &b) { return contains(b, at); });
}

void Workbook::Impl::addBorders(const Range &r)
{
    if (std::any_of(borderRects.rbegin(), borderRects.rend(),
                    [&](const Range &b) { return contains(b, r); }))
        return;
    Range grown = r;
    for (bool changed = true; changed;) {
        changed = false;
        for (size_t i = borderRects.size(); i-- > 0;) {
            const Range &b = borderRects[i];
            if (contains(grown, b) || joinable(grown, b)) {
                grown = Range::span(grown, b);
                borderRects.erase(borderRects.begin() + std::ptrdiff_t(i));
                changed = true;
                break;
            }
        }
    }
    borderRects.push_back(grown);
}

// Moves the borders lying in the range into the cells' own formats, so that a
// sort carries them with the rows; the rectangles keep only what lies outside.
void Workbook::Impl::materializeBorders(const Range &r)
{
    std::vector<Range> kept;
    std::unordered_map<uint32_t, uint32_t> withBorder;
    for (const Range &b : borderRects) {
        if (!intersects(b, r)) {
            kept.push_back(b);
            continue;
        }
        const Range in{std::max(b.top, r.top), std::max(b.left, r.left),
                       std::min(b.bottom, r.bottom), std::min(b.right, r.right)};
        for (int row = in.top; row <= in.bottom; ++row)
            for (int col = in.left; col <= in.right; ++col) {
                Slot &s = touch(row, col);
                auto [it, inserted] = withBorder.try_emplace(s.format, 0);
                if (inserted) {
                    CellFormat f = formats[s.format];
                    f.border = true;
                    it->second = intern(f);
                }
                s.format = it->second;
            }
        if (b.top < in.top)
            kept.push_back({b.top, b.left, in.top - 1, b.right});
        if (in.bottom < b.bottom)
            kept.push_back({in.bottom + 1, b.left, b.bottom, b.right});
        if (b.left < in.left)
            kept.push_back({in.top, b.left, in.bottom, in.left - 1});
        if (in.right < b.right)
            kept.push_back({in.top, in.right + 1, in.bottom, b.right});
    }
    borderRects.clear();
    for (const Range &b : kept)
        addBorders(b);
}

std::vector<int> sortedOrder(const std::vector<CellValue> &values)
{
    const int count = int(values.size());
    // Key classes: numbers, then texts, then empty cells.
    struct Key
    {
        int kind = 2;
        double number = 0;
        int rank = 0;
    };
    std::vector<Key> keys(static_cast<size_t>(count));
    std::vector<QString> texts;
    std::vector<int> textOf(static_cast<size_t>(count), -1);
    {
        QHash<QString, int> distinct;
        for (int i = 0; i < count; ++i) {
            const CellValue &v = values[size_t(i)];
            if (const double *n = std::get_if<double>(&v)) {
                keys[size_t(i)] = {0, *n, 0};
            } else if (const QString *t = std::get_if<QString>(&v)) {
                // Case plays no part: texts equal but for case keep their order.
                keys[size_t(i)].kind = 1;
                const QString folded = t->toCaseFolded();
                auto it = distinct.constFind(folded);
                if (it == distinct.constEnd()) {
                    it = distinct.insert(folded, int(texts.size()));
                    texts.push_back(folded);
                }
                textOf[size_t(i)] = *it;
            }
        }
        // Each distinct text's key made once: texts compare as their keys do.
        std::vector<QString> sortKeys(texts.size());
        for (size_t i = 0; i < texts.size(); ++i)
            sortKeys[i] = text::russianSortKey(texts[i]);
        std::vector<int> order(texts.size());
        std::iota(order.begin(), order.end(), 0);
        std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
            return sortKeys[size_t(a)].compare(sortKeys[size_t(b)]) < 0;
        });
        std::vector<int> rank(texts.size());
        for (size_t i = 0; i < order.size(); ++i) {
            const bool same =
                i > 0 && sortKeys[size_t(order[i - 1])].compare(sortKeys[size_t(order[i])]) == 0;
            rank[size_t(order[i])] = same ? rank[size_t(order[i - 1])] : int(i);
        }
        for (int i = 0; i < count; ++i)
            if (textOf[size_t(i)] >= 0)
                keys[size_t(i)].rank = rank[size_t(textOf[size_t(i)])];
    }
    std::vector<int> order(static_cast<size_t>(count));
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        const Key &x = keys[size_t(a)], &y = keys[size_t(b)];
        if (x.kind != y.kind)
            return x.kind < y.kind;
        if (x.kind == 0)
            return x.number < y.number;
        return x.rank < y.rank;
    });
    return order;
}

// ---- Streamed rows ----

StreamRow::Slot &StreamRow::touch(int col)
{
    if (size_t(col) > cells.size())
        cells.resize(size_t(col));
    Slot &s = cells[size_t(col) - 1];
    if (!s.used) {
        s.used = true;
        s.format = format;
    }
    return s;
}

uint32_t StreamRow::withNumberFormat(uint32_t base, const QString &numberFormat)
{
    const int key = numberFormat == textFormat ? TextChange : DateChange;
    return derived(base, key, [&numberFormat](CellFormat &f) { f.numberFormat = numberFormat; });
}

void StreamRow::typed(int col, const QString &text)
{
    Slot &s = touch(col);
    if (text.isEmpty()) {
        s.clear();
        return;
    }
    const QString &numberFormat = m_w->formats[s.format].numberFormat;
    if (numberFormat != textFormat) {
        if (const auto number = typedNumber(text)) {
            s.setNumber(*number);
            return;
        }
        if (const auto serial = typedDate(text)) {
            s.setNumber(*serial);
            if (numberFormat.isEmpty())
                s.format = withNumberFormat(s.format, dateFormat);
            return;
        }
    }
    setText(s, text);
}

void StreamRow::date(int col, const QDate &date)
{
    Slot &s = touch(col);
    if (!date.isValid()) {
        s.clear();
        return;
    }
    const QString &numberFormat = m_w->formats[s.format].numberFormat;
    if (numberFormat == textFormat || date.year() < 1900 || date.year() > 9999) {
        setText(s, text::formatDate(date));
        return;
    }
    s.setNumber(double(QDate(1899, 12, 30).daysTo(date)));
    if (numberFormat.isEmpty())
        s.format = withNumberFormat(s.format, dateFormat);
}

void StreamRow::text(int col, const QString &text)
{
    Slot &s = touch(col);
    s.format = withNumberFormat(s.format, textFormat);
    if (text.isEmpty())
        s.clear();
    else
        setText(s, text);
}

bool Workbook::Impl::streamed(int r) const
{
    return stream && r >= stream->firstRow() && r <= stream->lastRow();
}

void Workbook::Impl::fillStream(int r, StreamRow &out) const
{
    out.clear();
    stream->fill(r, out);
    if (present)
        present(r, out);
}

const StreamRow &Workbook::Impl::streamRow(int r) const
{
    if (!streamCache)
        streamCache = std::make_shared<StreamRow>(const_cast<Impl &>(*this));
    if (streamCacheRow != r) {
        streamCacheRow = 0;
        fillStream(r, *streamCache);
        streamCacheRow = r;
    }
    return *streamCache;
}

// ---- Workbook ----

Workbook::Workbook() : d(std::make_unique<Impl>()) { }
Workbook::~Workbook() = default;
Workbook::Workbook(Workbook &&) noexcept = default;
Workbook &Workbook::operator=(Workbook &&) noexcept = default;

void Workbook::setSheetName(const QString &name)
{
    d->sheetName = name;
}

QString Workbook::sheetName() const
{
    return d->sheetName;
}

void Workbook::setColumnWidth(int col, double characters)
{
    checkCell(1, col);
    if (size_t(col) > d->columnWidths.size())
        d->columnWidths.resize(size_t(col), 0);
    d->columnWidths[size_t(col) - 1] = characters;
}

double Workbook::columnWidth(int col) const
{
    return col >= 1 && size_t(col) <= d->columnWidths.size() ? d->columnWidths[size_t(col) - 1] : 0;
}

void Workbook::setValue(int row, int col, const QString &text)
{
    checkCell(row, col);
    Impl::Slot &s = d->touch(row, col);
    if (text.isEmpty()) {
        s.clear();
        return;
    }
    const CellFormat format = d->formats[s.format];
    if (format.numberFormat != textFormat) {
        if (const auto number = typedNumber(text)) {
            s.setNumber(*number);
            return;
        }
        if (const auto serial = typedDate(text)) {
            s.setNumber(*serial);
            if (format.numberFormat.isEmpty()) {
                CellFormat dated = format;
                dated.numberFormat = dateFormat;
                s.format = d->intern(dated);
            }
            return;
        }
    }
    d->setText(s, text);
}

void Workbook::setValue(int row, int col, double number)
{
    checkCell(row, col);
    d->touch(row, col).setNumber(number);
}

void Workbook::setDate(int row, int col, const QDate &date)
{
    checkCell(row, col);
    Impl::Slot &s = d->touch(row, col);
    if (!date.isValid()) {
        s.clear();
        return;
    }
    // The text "dd.mm.yyyy" would be taken as a date from 1900 to 9999 in a
    // cell not formatted "@"; anything else stays that text.
    const CellFormat &format = d->formats[s.format];
    if (format.numberFormat == textFormat || date.year() < 1900 || date.year() > 9999) {
        d->setText(s, text::formatDate(date));
        return;
    }
    s.setNumber(double(QDate(1899, 12, 30).daysTo(date)));
    if (format.numberFormat.isEmpty()) {
        CellFormat dated = format;
        dated.numberFormat = dateFormat;
        s.format = d->intern(dated);
    }
}

void Workbook::setText(int row, int col, const QString &text)
{
    setNumberFormat(Range::cell(row, col), textFormat);
    Impl::Slot &s = d->touch(row, col);
    if (text.isEmpty())
        s.clear();
    else
        d->setText(s, text);
}

template<typename Change> void Workbook::Impl::applyFormat(const Range &r, Change change)
{
    Impl &d = *this;
    checkRange(r);
    // Formats are few: remember each old format's changed index, in a small
    // table first, since most calls change one cell or one row.
    std::array<std::pair<uint32_t, uint32_t>, 8> recent;
    size_t recentCount = 0;
    std::unordered_map<uint32_t, uint32_t> changed;
    auto changedIndex = [&](uint32_t old) {
        for (size_t i = 0; i < recentCount; ++i)
            if (recent[i].first == old)
                return recent[i].second;
        if (recentCount == recent.size()) {
            auto [it, inserted] = changed.try_emplace(old, 0);
            if (inserted) {
                CellFormat f = d.formats[old];
                change(f);
                it->second = d.intern(f);
            }
            return it->second;
        }
        CellFormat f = d.formats[old];
        change(f);
        const uint32_t index = d.intern(f);
        recent[recentCount++] = {old, index};
        return index;
    };
    if (r.wholeRows()) {
        for (int row = r.top; row <= r.bottom; ++row) {
            auto &line = d.row(row);
            line.format = changedIndex(line.format);
            for (auto &s : line.cells)
                if (s.used)
                    s.format = changedIndex(s.format);
        }
        return;
    }
    for (int row = r.top; row <= r.bottom; ++row)
        for (int col = r.left; col <= r.right; ++col) {
            auto &s = d.touch(row, col);
            s.format = changedIndex(s.format);
        }
}

void Workbook::setBold(const Range &r, bool bold)
{
    d->applyFormat(r, [bold](CellFormat &f) { f.bold = bold; });
}

void Workbook::setFontSize(const Range &r, double points)
{
    d->applyFormat(r, [points](CellFormat &f) { f.fontSize = points; });
}

void Workbook::setHorizontalAlignment(const Range &r, HAlign a)
{
    d->applyFormat(r, [a](CellFormat &f) { f.hAlign = a; });
}

void Workbook::setVerticalAlignment(const Range &r, VAlign a)
{
    d->applyFormat(r, [a](CellFormat &f) { f.vAlign = a; });
}

void Workbook::setWrap(const Range &r, bool wrap)
{
    d->applyFormat(r, [wrap](CellFormat &f) { f.wrap = wrap; });
}

void Workbook::setNumberFormat(const Range &r, const QString &format)
{
    d->applyFormat(r, [&format](CellFormat &f) { f.numberFormat = format; });
}

void Workbook::setBorders(const Range &r)
{
    checkRange(r);
    if (r.wholeRows())
        d->applyFormat(r, [](CellFormat &f) { f.border = true; });
    else
        d->addBorders(r);
}

void Workbook::merge(const Range &r)
{
    checkRange(r);
    if (r.top == r.bottom && r.left == r.right)
        return; // a single cell stays as it is
    if (r.wholeRows())
        throw std::invalid_argument("cannot merge whole rows");
    for (int row = r.top; row <= r.bottom && size_t(row) <= d->rows.size(); ++row)
        for (uint32_t m : d->rows[size_t(row) - 1].merges) {
            const Range &other = d->mergeRanges[m];
            if (other == r)
                return;
            if (intersects(other, r))
                throw std::invalid_argument(QStringLiteral("merge %1%2:%3%4 overlaps %5%6:%7%8")
                                                .arg(columnName(r.left))
                                                .arg(r.top)
                                                .arg(columnName(r.right))
                                                .arg(r.bottom)
                                                .arg(columnName(other.left))
                                                .arg(other.top)
                                                .arg(columnName(other.right))
                                                .arg(other.bottom)
                                                .toStdString());
        }
    // The merged cell shows the first value in reading order.
    Impl::Slot kept;
    for (int row = r.top; row <= r.bottom && size_t(row) <= d->rows.size(); ++row) {
        auto &cells = d->rows[size_t(row) - 1].cells;
        for (int col = r.left; col <= r.right && size_t(col) <= cells.size(); ++col) {
            auto &s = cells[size_t(col) - 1];
            if (!s.empty()) {
                if (kept.empty())
                    kept = s;
                s.clear();
            }
        }
    }
    if (!kept.empty()) {
        Impl::Slot &first = d->touch(r.top, r.left);
        first.payload = kept.payload;
        first.holds = kept.holds;
    }
    const auto index = uint32_t(d->mergeRanges.size());
    d->mergeRanges.push_back(r);
    for (int row = r.top; row <= r.bottom; ++row)
        d->row(row).merges.push_back(index);
}

void Workbook::sort(const Range &range, int keyColumn)
{
    checkRange(range);
    Range r = range;
    if (keyColumn < r.left || keyColumn > r.right)
        throw std::invalid_argument("sort key outside the range");
    for (const Range &m : d->mergeRanges)
        if (intersects(m, r))
            throw std::invalid_argument("cannot sort a range holding merged cells");
    // Columns past the last cell of any row hold nothing to move.
    int lastCol = r.left;
    for (int row = r.top; row <= r.bottom && size_t(row) <= d->rows.size(); ++row)
        lastCol = std::max(lastCol, int(d->rows[size_t(row) - 1].cells.size()));
    r.right = std::min(r.right, lastCol);
    d->row(r.bottom);
    d->materializeBorders(r);

    const int count = r.bottom - r.top + 1;
    std::vector<CellValue> keys(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i)
        if (const Impl::Slot *s = d->slot(r.top + i, keyColumn))
            keys[size_t(i)] = d->valueOf(*s);
    const std::vector<int> order = sortedOrder(keys);

    // Lift the range's cells out with their formats, row formats folded in.
    const int width = r.right - r.left + 1;
    std::vector<Impl::Slot> lifted(static_cast<size_t>(count) * static_cast<size_t>(width));
    for (int i = 0; i < count; ++i) {
        auto &line = d->rows[size_t(r.top) + size_t(i) - 1];
        for (int c = 0; c < width; ++c) {
            Impl::Slot &out = lifted[size_t(i) * size_t(width) + size_t(c)];
            const size_t col = size_t(r.left) + size_t(c);
            if (col <= line.cells.size() && line.cells[col - 1].used) {
                out = line.cells[col - 1];
                line.cells[col - 1] = Impl::Slot{};
            } else if (line.format != 0) {
                out.used = true;
                out.format = line.format;
            }
        }
    }
    for (int i = 0; i < count; ++i) {
        auto &line = d->rows[size_t(r.top) + size_t(i) - 1];
        const int from = order[size_t(i)];
        for (int c = 0; c < width; ++c) {
            Impl::Slot &in = lifted[size_t(from) * size_t(width) + size_t(c)];
            if (!in.used && line.format == 0)
                continue;
            const size_t col = size_t(r.left) + size_t(c);
            if (col > line.cells.size())
                line.cells.resize(col);
            in.used = true;
            line.cells[col - 1] = in;
        }
    }
}

PageSetup &Workbook::pageSetup()
{
    return d->page;
}

const PageSetup &Workbook::pageSetup() const
{
    return d->page;
}

void Workbook::requireRows(qint64 rows)
{
    d->requiredRows = std::max(d->requiredRows, rows);
}

void Workbook::stream(std::shared_ptr<const RowSource> rows)
{
    d->stream = std::move(rows);
    d->streamCacheRow = 0;
}

bool Workbook::streamed(int row) const
{
    return d->streamed(row);
}

void Workbook::presentStreamed(std::function<void(int row, StreamRow &)> present)
{
    d->present = std::move(present);
    d->streamCacheRow = 0;
}

Workbook Workbook::materialized() const
{
    Workbook out;
    *out.d = *d;
    Impl &w = *out.d;
    w.stream.reset();
    w.present = {};
    w.streamCache.reset();
    w.streamCacheRow = 0;
    w.snapshots.clear();
    if (!d->stream)
        return out;
    // The source's format indexes hold in the copy's table, which starts as this one's.
    StreamRow line(w);
    for (int r = d->stream->firstRow(); r <= d->stream->lastRow(); ++r) {
        line.clear();
        d->stream->fill(r, line);
        if (d->present)
            d->present(r, line);
        Impl::Row &target = w.row(r);
        target.format = line.format;
        target.cells = line.cells;
        for (Impl::Slot &s : target.cells)
            if (s.holds == Impl::Slot::Text)
                w.setText(s, line.textOf(s));
        w.widestRow = std::max(w.widestRow, target.cells.size());
    }
    std::vector<Range> merges;
    d->stream->merges(merges);
    for (const Range &m : merges) {
        const auto index = uint32_t(w.mergeRanges.size());
        w.mergeRanges.push_back(m);
        for (int row = m.top; row <= m.bottom; ++row)
            w.row(row).merges.push_back(index);
    }
    return out;
}

const Cell *Workbook::cell(int row, int col) const
{
    if (d->streamed(row)) {
        const StreamRow &line = d->streamRow(row);
        const Impl::Slot *s = line.slot(col);
        if (!s)
            return nullptr;
        Cell &snapshot = d->snapshots[{row, col}];
        snapshot.value = line.valueOf(*s);
        snapshot.format = format(row, col);
        return &snapshot;
    }
    const Impl::Slot *s = d->slot(row, col);
    if (!s)
        return nullptr;
    Cell &snapshot = d->snapshots[{row, col}];
    snapshot.value = d->valueOf(*s);
    snapshot.format = format(row, col);
    return &snapshot;
}

CellValue Workbook::value(int row, int col) const
{
    if (d->streamed(row)) {
        CellValue v;
        if (col == 1 && d->streamCacheRow != row && d->stream->firstColumn(row, v))
            return v;
        return d->streamRow(row).value(col);
    }
    const Impl::Slot *s = d->slot(row, col);
    return s ? d->valueOf(*s) : CellValue{};
}

CellFormat Workbook::format(int row, int col) const
{
    CellFormat f = d->formats[d->effectiveFormat(row, col)];
    if (!f.border)
        f.border = d->bordered(row, col);
    return f;
}

QVector<Range> Workbook::merges() const
{
    QVector<Range> out(d->mergeRanges.begin(), d->mergeRanges.end());
    if (d->stream) {
        std::vector<Range> streamed;
        d->stream->merges(streamed);
        out.append(QVector<Range>(streamed.begin(), streamed.end()));
    }
    return out;
}

int Workbook::lastRow() const
{
    for (size_t r = d->rows.size(); r > 0; --r)
        for (const auto &s : d->rows[r - 1].cells)
            if (s.used)
                return std::max(int(r), d->stream ? d->stream->lastRow() : 0);
    return d->stream ? d->stream->lastRow() : 0;
}

int Workbook::lastColumn() const
{
    int last = d->stream ? d->stream->lastColumn() : 0;
    for (const auto &line : d->rows)
        for (size_t c = line.cells.size(); c > size_t(last); --c)
            if (line.cells[c - 1].used) {
                last = int(c);
                break;
            }
    return last;
}

} // namespace vedaris::reports
