#include "Cp1251.h"

#include <array>

namespace vedaris::cp1251 {

namespace {

// Upper half of the code page. 0x98 has no character of its own; it is taken
// as the control U+0098 so that every byte survives a round trip.
constexpr char16_t upperHalf[128] = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, // 80
    0x20AC, 0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F, // 88
    0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, // 90
    0x0098, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F, // 98
    0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7, // A0
    0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407, // A8
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7, // B0
    0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457, // B8
    0x0410, 0x0411, 0x0412, 0x0413, 0x0414, 0x0415, 0x0416, 0x0417, // C0
    0x0418, 0x0419, 0x041A, 0x041B, 0x041C, 0x041D, 0x041E, 0x041F, // C8
    0x0420, 0x0421, 0x0422, 0x0423, 0x0424, 0x0425, 0x0426, 0x0427, // D0
    0x0428, 0x0429, 0x042A, 0x042B, 0x042C, 0x042D, 0x042E, 0x042F, // D8
    0x0430, 0x0431, 0x0432, 0x0433, 0x0434, 0x0435, 0x0436, 0x0437, // E0
    0x0438, 0x0439, 0x043A, 0x043B, 0x043C, 0x043D, 0x043E, 0x043F, // E8
    0x0440, 0x0441, 0x0442, 0x0443, 0x0444, 0x0445, 0x0446, 0x0447, // F0
    0x0448, 0x0449, 0x044A, 0x044B, 0x044C, 0x044D, 0x044E, 0x044F, // F8
};

// Unicode -> byte for the upper half, built once from the table above.
struct ReverseTable
{
    // The upper half lies in U+0080..U+00BB, U+0401..U+0491 and U+2013..U+2122;
    // a direct table over each range keeps lookups cheap.
    std::array<unsigned char, 0x100> latin1{};
    std::array<unsigned char, 0x100> cyrillic{}; // U+0400..U+04FF
    std::array<unsigned char, 0x130> punct{}; // U+2000..U+212F

    ReverseTable()
    {
        for (int i = 0; i < 128; ++i) {
            const char16_t u = upperHalf[i];
            const auto b = static_cast<unsigned char>(0x80 + i);
            if (u < 0x100)
                latin1[u] = b;
            else if (u >= 0x400 && u < 0x500)
                cyrillic[u - 0x400] = b;
            else if (u >= 0x2000 && u < 0x2000 + punct.size())
                punct[u - 0x2000] = b;
        }
    }
};

const ReverseTable &reverse()
{
    static const ReverseTable table;
    return table;
}

// 0 when the code page has no byte for the character.
unsigned char byteFor(char32_t u)
{
    if (u < 0x80)
        return static_cast<unsigned char>(u);
    const ReverseTable &t = reverse();
    if (u < 0x100)
        return t.latin1[u];
    if (u >= 0x400 && u < 0x500)
        return t.cyrillic[u - 0x400];
    if (u >= 0x2000 && u < 0x2000 + t.punct.size())
        return t.punct[u - 0x2000];
    return 0;
}

} // namespace

int byteOf(char32_t u)
{
    const unsigned char b = byteFor(u);
    return b == 0 && u != 0 ? -1 : b;
}

QChar toUnicode(unsigned char byte)
{
    return byte < 0x80 ? QChar(byte) : QChar(upperHalf[byte - 0x80]);
}

QByteArray encode(QStringView text)
{
    QByteArray out;
    out.reserve(text.size());
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        char32_t u = text[i].unicode();
        if (QChar::isHighSurrogate(u) && i + 1 < n && text[i + 1].isLowSurrogate()) {
            u = QChar::surrogateToUcs4(text[i], text[i + 1]);
            ++i;
        }
        const unsigned char b = byteFor(u);
        out.append(b == 0 && u != 0 ? '?' : static_cast<char>(b));
    }
    return out;
}

QString decode(const char *bytes, int length)
{
    QString out(length, Qt::Uninitialized);
    QChar *d = out.data();
    for (int i = 0; i < length; ++i)
        d[i] = toUnicode(static_cast<unsigned char>(bytes[i]));
    return out;
}

QChar toLower(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= 'A' && u <= 'Z')
        return QChar(u + 0x20);
    // Every Cyrillic capital of the page has its small letter in the page too.
    if (u >= 0x400 && u < 0x500 && c.isUpper() && byteFor(u) != 0)
        return c.toLower();
    return c;
}

QString stored(QStringView text, int capacity)
{
    QByteArray bytes = encode(text);
    if (bytes.size() > capacity)
        bytes.truncate(capacity);
    return decode(bytes.constData(), int(bytes.size()));
}

} // namespace vedaris::cp1251
