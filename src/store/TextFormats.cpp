#include "TextFormats.h"

#include "Cp1251.h"
#include "Error.h"

#include <QCollator>
#include <QLocale>
#include <charconv>
#include <cmath>

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
    const auto res = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::scientific,
                                   Precision - 1);
    const std::string_view s(buf, size_t(res.ptr - buf));
    const bool negative = s.front() == '-';
    const size_t ePos = s.find('e');
    std::string digits;
    for (char c : s.substr(negative ? 1 : 0, ePos - (negative ? 1 : 0)))
        if (c != '.')
            digits += c;
    int exponent = 0;
    std::from_chars(s.data() + ePos + 1 + (s[ePos + 1] == '+' ? 1 : 0), s.data() + s.size(), exponent);
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

QCollator russianCollator()
{
    // The Russian tailoring of the collation library moves Cyrillic before
    // Latin, unlike the Windows desktop and its spreadsheet under Russian
    // settings. The root order, which an English collator gives, has Latin
    // first and for Cyrillic the same order as the Russian one (ё beside е).
    QCollator c(QLocale(QLocale::English, QLocale::UnitedStates));
    c.setCaseSensitivity(Qt::CaseSensitive);
    c.setNumericMode(false);
    c.setIgnorePunctuation(false);
    return c;
}

int compareRussian(const QString &a, const QString &b)
{
    // Sorts call this millions of times.
    thread_local const QCollator collator = russianCollator();
    return collator.compare(a, b);
}

int compareCodePage(const QString &a, const QString &b)
{
    const QByteArray x = cp1251::encode(a);
    const QByteArray y = cp1251::encode(b);
    const auto key = [](char c) {
        const auto u = static_cast<unsigned char>(c);
        return u >= 'a' && u <= 'z' ? u - 0x20 : int(u);
    };
    const qsizetype n = qMin(x.size(), y.size());
    for (qsizetype i = 0; i < n; ++i) {
        const int d = key(x[i]) - key(y[i]);
        if (d != 0)
            return d;
    }
    return int(x.size() - y.size() > 0) - int(x.size() - y.size() < 0);
}

} // namespace vedaris::text
