#include "TextFormats.h"

#include "Cp1251.h"
#include "Error.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <string>

namespace vedaris::text {

namespace {

constexpr int Precision = 15;

// Day 0 of the serials, and the range of dates a serial may hold
// (01.01.0001 to 31.12.9999).
const QDate &epoch()
{
    static const QDate d(1899, 12, 30);
    return d;
}
constexpr double MinSerial = -693593;
constexpr double MaxSerial = 2958465;

bool isSpaceOrControl(QChar c)
{
    return c.unicode() <= 32;
}

} // namespace

QString formatNumber(double value)
{
    if (std::isnan(value))
        return QStringLiteral("NAN");
    if (std::isinf(value))
        return value < 0 ? QStringLiteral("-INF") : QStringLiteral("INF");
    if (value == 0)
        return QStringLiteral("0");

    // d.dddddddddddddde±x: fifteen significant digits, correctly rounded.
    char buf[64];
    const auto res =
        std::to_chars(buf, buf + sizeof buf, value, std::chars_format::scientific, Precision - 1);
    const std::string_view s(buf, size_t(res.ptr - buf));
    const bool negative = s.front() == '-';
    const size_t ePos = s.find('e');
    std::string digits;
    for (char c : s.substr(negative ? 1 : 0, ePos - (negative ? 1 : 0)))
        if (c != '.')
            digits += c;
    int exponent = 0;
    std::from_chars(s.data() + ePos + 1 + (s[ePos + 1] == '+' ? 1 : 0), s.data() + s.size(),
                    exponent);
    while (digits.size() > 1 && digits.back() == '0')
        digits.pop_back();

    std::string out = negative ? "-" : "";
    if (exponent < -4 || exponent >= Precision) {
        out += digits[0];
        if (digits.size() > 1) {
            out += ',';
            out += digits.substr(1);
        }
        out += 'E';
        out += std::to_string(exponent);
    } else if (exponent < 0) {
        out += "0,";
        out.append(size_t(-exponent - 1), '0');
        out += digits;
    } else {
        const size_t intDigits = size_t(exponent) + 1;
        if (digits.size() <= intDigits) {
            out += digits;
            out.append(intDigits - digits.size(), '0');
        } else {
            out += digits.substr(0, intDigits);
            out += ',';
            out += digits.substr(intDigits);
        }
    }
    return QString::fromLatin1(out.data(), qsizetype(out.size()));
}

double parseNumber(const QString &text)
{
    std::string s;
    s.reserve(size_t(text.size()));
    bool comma = false;
    bool digit = false;
    for (QChar c : text) {
        if (c >= u'0' && c <= u'9') {
            digit = true;
            s += char(c.unicode());
        } else if (c == u',' && !comma) {
            comma = true;
            s += '.';
        } else {
            throw Error::conversion(text);
        }
    }
    if (!digit)
        throw Error::conversion(text);
    double value = 0;
    const auto res = std::from_chars(s.data(), s.data() + s.size(), value);
    if (res.ec == std::errc::result_out_of_range) {
        // Too small for a double is zero; too large is no number.
        const std::string intPart = s.substr(0, s.find('.'));
        if (intPart.find_first_not_of('0') == std::string::npos)
            return 0;
        throw Error::conversion(text);
    }
    if (res.ec != std::errc() || res.ptr != s.data() + s.size())
        throw Error::conversion(text);
    return value;
}

namespace {

double roundTo(double value, double scale)
{
    if (!std::isfinite(value) || std::fabs(value) * scale > 1e15)
        return value;
    // + 0.0 turns a rounded -0 into 0.
    return std::round(value * scale) / scale + 0.0;
}

} // namespace

double roundSum(double value)
{
    return roundTo(value, 100);
}

double roundQuantity(double value)
{
    return roundTo(value, 1e6);
}

double dateToSerial(const QDate &date)
{
    return date.isValid() ? double(epoch().daysTo(date)) : 0;
}

QDate serialToDate(double serial)
{
    if (!std::isfinite(serial))
        return {};
    // The whole days of the serial; a time of day never moves the date.
    const double days = std::trunc(serial);
    if (days < MinSerial || days > MaxSerial)
        return {};
    return epoch().addDays(qint64(days));
}

bool possibleDate(double serial)
{
    return serial == 0 || (serial >= FirstPlausibleDay && serial <= LastPlausibleDay);
}

QString formatDate(const QDate &date)
{
    return date.isValid() ? date.toString(QStringLiteral("dd.MM.yyyy")) : QString();
}

QString formatDate(double serial)
{
    return formatDate(serialToDate(serial));
}

QDate parseDate(const QString &text)
{
    const QString t = text.trimmed();
    QDate d = QDate::fromString(t, QStringLiteral("dd.MM.yyyy"));
    if (!d.isValid())
        d = QDate::fromString(t, QStringLiteral("d.M.yyyy"));
    if (!d.isValid())
        d = QDate::fromString(t, QStringLiteral("yyyy-MM-dd"));
    return d;
}

QString searchKey(const QString &text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isSpaceOrControl(text[begin]))
        ++begin;
    while (end > begin && isSpaceOrControl(text[end - 1]))
        --end;
    QString out(end - begin, Qt::Uninitialized);
    for (qsizetype i = begin; i < end; ++i)
        out[i - begin] = cp1251::toLower(text[i]);
    return out;
}

QString normalizeName(const QString &text)
{
    QString out = searchKey(text);
    out.removeIf([](QChar c) {
        return c == u'.' || c == u'-' || c == u'_' || c == u' ' || c == u'/' || c == u',';
    });
    return out;
}

namespace {

// The Russian order of every character of code page 1251, by byte: the
// primary weight (0: ignored, as control characters are) in the low byte, the
// accent level (ё after е) in bits 8-9 and the case level (capital after small)
// in bit 10. Taken from the linguistic order of the desktop's spreadsheet.
constexpr quint16 RussianWeights[256] = {
    0x000, 0x000, 0x000, 0x000, 0x000, 0x000, 0x000, 0x000, 0x000, 0x001, 0x002, 0x003, 0x004,
    0x005, 0x000, 0x000, 0x000, 0x000, 0x000, 0x000, 0x000, 0x000, 0x000, 0x000, 0x000, 0x000,
    0x000, 0x000, 0x000, 0x000, 0x000, 0x000, 0x006, 0x00e, 0x018, 0x02b, 0x040, 0x02c, 0x02a,
    0x012, 0x01e, 0x01f, 0x027, 0x036, 0x00b, 0x008, 0x010, 0x028, 0x042, 0x043, 0x044, 0x045,
    0x046, 0x047, 0x048, 0x049, 0x04a, 0x04b, 0x00d, 0x00c, 0x038, 0x039, 0x03a, 0x00f, 0x026,
    0x44c, 0x44d, 0x44e, 0x44f, 0x450, 0x451, 0x452, 0x453, 0x454, 0x455, 0x456, 0x457, 0x458,
    0x459, 0x45a, 0x45b, 0x45c, 0x45d, 0x45e, 0x45f, 0x460, 0x461, 0x462, 0x463, 0x464, 0x465,
    0x020, 0x029, 0x021, 0x032, 0x007, 0x031, 0x04c, 0x04d, 0x04e, 0x04f, 0x050, 0x051, 0x052,
    0x053, 0x054, 0x055, 0x056, 0x057, 0x058, 0x059, 0x05a, 0x05b, 0x05c, 0x05d, 0x05e, 0x05f,
    0x060, 0x061, 0x062, 0x063, 0x064, 0x065, 0x022, 0x03c, 0x023, 0x03e, 0x000, 0x46c, 0x56a,
    0x015, 0x16a, 0x01b, 0x410, 0x02e, 0x02f, 0x041, 0x02d, 0x478, 0x016, 0x47b, 0x576, 0x481,
    0x487, 0x06c, 0x013, 0x014, 0x019, 0x01a, 0x030, 0x009, 0x00a, 0x000, 0x15f, 0x078, 0x017,
    0x07b, 0x176, 0x081, 0x087, 0x406, 0x582, 0x182, 0x475, 0x03f, 0x66a, 0x03d, 0x024, 0x56d,
    0x034, 0x46e, 0x01c, 0x03b, 0x000, 0x035, 0x573, 0x033, 0x037, 0x473, 0x073, 0x26a, 0x066,
    0x025, 0x011, 0x16d, 0x159, 0x06e, 0x01d, 0x075, 0x471, 0x071, 0x173, 0x467, 0x468, 0x469,
    0x46a, 0x46b, 0x46d, 0x46f, 0x470, 0x472, 0x474, 0x476, 0x477, 0x479, 0x47a, 0x47c, 0x47d,
    0x47e, 0x47f, 0x480, 0x482, 0x483, 0x484, 0x485, 0x486, 0x488, 0x489, 0x48a, 0x48b, 0x48c,
    0x48d, 0x48e, 0x48f, 0x067, 0x068, 0x069, 0x06a, 0x06b, 0x06d, 0x06f, 0x070, 0x072, 0x074,
    0x076, 0x077, 0x079, 0x07a, 0x07c, 0x07d, 0x07e, 0x07f, 0x080, 0x082, 0x083, 0x084, 0x085,
    0x086, 0x088, 0x089, 0x08a, 0x08b, 0x08c, 0x08d, 0x08e, 0x08f,
};

constexpr char16_t LevelEnd = 0;

struct Weights
{
    char16_t primary;
    char16_t accent;
    char16_t letterCase;
};

Weights weightsOf(char32_t u)
{
    const int byte = cp1251::byteOf(u);
    if (byte >= 0) {
        const quint16 w = RussianWeights[byte];
        return {char16_t(w & 0xff), char16_t(((w >> 8) & 3) + 1), char16_t(((w >> 10) & 1) + 1)};
    }
    // A letter with an accent the page lacks sorts beside its plain letter.
    const QString base = QChar::decomposition(u);
    if (!base.isEmpty() && cp1251::byteOf(base[0].unicode()) > 0) {
        Weights w = weightsOf(base[0].unicode());
        w.accent = 4;
        return w;
    }
    // Anything else after the page's letters, by its code.
    return {char16_t(std::min<char32_t>(0x100 + u, 0xffff)), 1, 1};
}

} // namespace

QString russianSortKey(const QString &text)
{
    std::u16string primary, accent, letterCase;
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        char32_t u = text[i].unicode();
        if (QChar::isHighSurrogate(u) && i + 1 < n && text[i + 1].isLowSurrogate()) {
            u = QChar::surrogateToUcs4(text[i], text[i + 1]);
            ++i;
        }
        const Weights w = weightsOf(u);
        if (w.primary == 0)
            continue;
        primary += w.primary;
        accent += w.accent;
        letterCase += w.letterCase;
    }
    std::u16string key = primary + LevelEnd + accent + LevelEnd + letterCase;
    return QString::fromStdU16String(key);
}

int compareRussian(const QString &a, const QString &b)
{
    return russianSortKey(a).compare(russianSortKey(b));
}

QByteArray codePageKey(const QString &text)
{
    QByteArray key = cp1251::encode(text);
    for (char &c : key)
        if (c >= 'a' && c <= 'z')
            c = char(c - 0x20);
    return key;
}

int compareCodePage(const QString &a, const QString &b)
{
    const QByteArray x = codePageKey(a);
    const QByteArray y = codePageKey(b);
    // QByteArray compares as unsigned bytes.
    return x < y ? -1 : (y < x ? 1 : 0);
}

} // namespace vedaris::text
