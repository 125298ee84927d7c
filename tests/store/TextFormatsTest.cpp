#include "store/TextFormats.h"
#include "store/Cp1251.h"
#include "store/Error.h"

#include <gtest/gtest.h>
#include <limits>

using namespace vedaris;

TEST(TextFormats, FormatNumber)
{
    const long double tenth = 0.1L;
    const double inf = std::numeric_limits<double>::infinity();
    const struct
    {
        double value;
        const char *text;
    } cases[] = {
        {0, "0"},
        {1, "1"},
        {-2.5, "-2,5"},
        {100, "100"},
        {0.5, "0,5"},
        {double(3 * tenth), "0,3"},
        {0.1 + 0.2, "0,3"},
        {1234.5678, "1234,5678"},
        {1.0 / 3, "0,333333333333333"},
        {2.0 / 3, "0,666666666666667"},
        {0.0001, "0,0001"},
        {0.00012, "0,00012"},
        {1e-5, "1E-5"},
        {-1.23e-7, "-1,23E-7"},
        {123456789012345, "123456789012345"},
        {999999999999999.9, "1E15"},
        {1e15, "1E15"},
        {1.5e20, "1,5E20"},
        {1e100, "1E100"},
        {-0.0, "0"},
        {std::numeric_limits<double>::quiet_NaN(), "NAN"},
        {inf, "INF"},
        {-inf, "-INF"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(text::formatNumber(c.value).toStdString(), c.text) << c.text;
}

TEST(TextFormats, ParseNumber)
{
    const struct
    {
        const char *text;
        double value;
    } good[] = {
        {"1", 1},
        {"1,5", 1.5},
        {",5", 0.5},
        {"5,", 5},
        {"007", 7},
        {"0,1", 0.1},
        {"123456789,125", 123456789.125},
    };
    for (const auto &c : good)
        EXPECT_EQ(text::parseNumber(QString::fromLatin1(c.text)), c.value) << c.text;

    for (const char *bad : {"", ",", "1.5", "1,5,5", "-1", " 1", "1 ", "1e5", "abc", "٣"}) {
        const QString t = QString::fromUtf8(bad);
        try {
            text::parseNumber(t);
            ADD_FAILURE() << "accepted " << bad;
        } catch (const Error &e) {
            EXPECT_EQ(e.message(),
                      QStringLiteral("'%1' is not a valid floating point value").arg(t));
        }
    }
    EXPECT_THROW(text::parseNumber(QStringLiteral("1") + QString(400, u'0')), Error);
}

TEST(TextFormats, DateSerials)
{
    EXPECT_EQ(text::dateToSerial(QDate(2024, 1, 1)), 45292);
    EXPECT_EQ(text::dateToSerial(QDate(1899, 12, 30)), 0);
    EXPECT_EQ(text::dateToSerial(QDate(1900, 1, 1)), 2);

    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    const struct
    {
        double serial;
        QDate date;
    } cases[] = {
        {45292, QDate(2024, 1, 1)},
        {45292.75, QDate(2024, 1, 1)},
        {-1.5, QDate(1899, 12, 29)},
        {2958465, QDate(9999, 12, 31)},
        {-693593, QDate(1, 1, 1)},
        {2958466, QDate()},
        {-693594, QDate()},
        {1e300, QDate()},
        {-1e300, QDate()},
        {nan, QDate()},
        {inf, QDate()},
        {-inf, QDate()},
    };
    for (const auto &c : cases)
        EXPECT_EQ(text::serialToDate(c.serial), c.date) << c.serial;
}

TEST(TextFormats, DateTexts)
{
    EXPECT_EQ(text::formatDate(QDate(2024, 1, 5)), QStringLiteral("05.01.2024"));
    EXPECT_EQ(text::formatDate(45292.0), QStringLiteral("01.01.2024"));
    EXPECT_EQ(text::formatDate(QDate()), QString());
    const struct
    {
        const char *text;
        QDate date;
    } cases[] = {
        {"05.01.2024", QDate(2024, 1, 5)},
        {"2024-01-05", QDate(2024, 1, 5)},
        {"5.1.2024", QDate(2024, 1, 5)},
        {"31.02.2024", QDate()},
        {"abc", QDate()},
        {"", QDate()},
    };
    for (const auto &c : cases)
        EXPECT_EQ(text::parseDate(QString::fromLatin1(c.text)), c.date) << c.text;
}

TEST(TextFormats, SearchKeyAndNormalizeName)
{
    EXPECT_EQ(text::searchKey(QStringLiteral("  АНАЛ")), QStringLiteral("анал"));
    EXPECT_EQ(text::searchKey(QStringLiteral("\tЁж Ü\n")), QStringLiteral("ёж Ü"));
    for (const char *name : {"Анальгин 0,5", "анальгин 05", " АНАЛЬГИН0.5"})
        EXPECT_EQ(text::normalizeName(QString::fromUtf8(name)), QStringLiteral("анальгин05"))
            << name;
    EXPECT_EQ(text::normalizeName(QStringLiteral(" A_b-c/d\te ")), QStringLiteral("abcd\te"));
}

TEST(TextFormats, CompareRussian)
{
    using text::compareRussian;
    EXPECT_LT(compareRussian(QStringLiteral("анальгин"), QStringLiteral("Анальгин")), 0);
    EXPECT_LT(compareRussian(QStringLiteral("Анальгин"), QStringLiteral("бисептол")), 0);
    EXPECT_LT(compareRussian(QStringLiteral("бисептол"), QStringLiteral("Валидол")), 0);
    EXPECT_LT(compareRussian(QStringLiteral("яд"), QStringLiteral("Яды")), 0);
    EXPECT_EQ(compareRussian(QStringLiteral("Йод"), QStringLiteral("Йод")), 0);

    // The order the store's desktop and spreadsheet give: digits, Latin, then
    // Cyrillic; ё beside е; case only between otherwise equal names.
    const QStringList sorted = {"10 мг",    "2 мг",     "aspirin", "Aspirin", "Vitamin C", "Zinc",
                                "анальгин", "Анальгин", "е",       "ё",       "еж",        "ёж",
                                "Ёж",       "ежевика",  "Жгут",    "яд",      "Яды"};
    for (qsizetype i = 1; i < sorted.size(); ++i)
        EXPECT_LT(compareRussian(sorted[i - 1], sorted[i]), 0)
            << sorted[i - 1].toStdString() << " / " << sorted[i].toStdString();
    for (qsizetype i = 1; i < sorted.size(); ++i)
        EXPECT_LT(text::russianSortKey(sorted[i - 1]).compare(text::russianSortKey(sorted[i])), 0)
            << sorted[i].toStdString();
}

// The order is a fixed table, the same on every system: blanks and punctuation
// first, then digits, Latin and Cyrillic; accents and case only break ties.
TEST(TextFormats, RussianOrderIsTheTablesOrder)
{
    const QStringList sorted = {
        " Б",  "-Б",      "(Б)", "0,5 мг", "5-НОК",  "A-Б", "ab", "aB", "Ab",    "AB",
        "abc", "\u0101x", "№ 5", "Zn",     "µ-тест", "а",   "А",  "аа", "б",     "г",
        "ґ",   "д",       "е",   "Е",      "ё",      "Ё",   "ёа", "еб", "є",     "ж",
        "и",   "і",       "ї",   "й",      "к",      "у",   "ў",  "ф",  "ш",     "щ",
        "ъ",   "ы",       "ь",   "э",      "ю",      "я",   "Я",  "яя", "\u4e2d"};
    for (qsizetype i = 1; i < sorted.size(); ++i)
        EXPECT_LT(text::compareRussian(sorted[i - 1], sorted[i]), 0)
            << sorted[i - 1].toStdString() << " / " << sorted[i].toStdString();
    // Control characters play no part; equal texts are equal.
    EXPECT_EQ(text::compareRussian(QStringLiteral("Йо") + QChar(1) + QStringLiteral("д"),
                                   QStringLiteral("Йод")),
              0);
    EXPECT_EQ(text::compareRussian(QString(), QString()), 0);
    EXPECT_LT(text::compareRussian(QString(), QStringLiteral(" ")), 0);
}

TEST(TextFormats, CompareCodePage)
{
    using text::compareCodePage;
    EXPECT_EQ(compareCodePage(QStringLiteral("abc"), QStringLiteral("ABC")), 0);
    EXPECT_LT(compareCodePage(QStringLiteral("abc"), QStringLiteral("ABD")), 0);
    EXPECT_LT(compareCodePage(QStringLiteral("Z"), QStringLiteral("а")), 0);
    EXPECT_LT(compareCodePage(QStringLiteral("Я"), QStringLiteral("а")), 0); // capitals first
    EXPECT_LT(compareCodePage(QStringLiteral("ab"), QStringLiteral("abc")), 0);
    EXPECT_LT(compareCodePage(QStringLiteral("10"), QStringLiteral("9")), 0);
}

TEST(Cp1251, EveryByteRoundTrips)
{
    QByteArray all(256, Qt::Uninitialized);
    for (int i = 0; i < 256; ++i)
        all[i] = char(i);
    const QString text = cp1251::decode(all.constData(), 256);
    ASSERT_EQ(text.size(), 256);
    EXPECT_EQ(cp1251::encode(text).toHex(), all.toHex());
    EXPECT_EQ(text[0xA8], QChar(0x0401)); // Ё
    EXPECT_EQ(text[0xB9], QChar(0x2116)); // №
    EXPECT_EQ(text[0x88], QChar(0x20AC)); // €
    EXPECT_EQ(text[0xC0], QChar(0x0410)); // А
    EXPECT_EQ(text[0xFF], QChar(0x044F)); // я
}

TEST(Cp1251, UnknownCharactersBecomeQuestionMarks)
{
    EXPECT_EQ(cp1251::encode(u"aΩ\U0001F600b"), QByteArray("a??b"));
    EXPECT_EQ(cp1251::stored(u"абв", 2), QStringLiteral("аб"));
    EXPECT_EQ(cp1251::stored(u"ΩΩΩ", 2), QStringLiteral("??"));
}

TEST(Cp1251, LowerCaseTableOfThePage)
{
    // Capitals by byte with their small letters, written out by hand.
    QMap<int, int> lower;
    for (int b = 'A'; b <= 'Z'; ++b)
        lower[b] = b + 0x20;
    for (int b = 0xC0; b <= 0xDF; ++b)
        lower[b] = b + 0x20;
    const int pairs[][2] = {{0x80, 0x90}, {0x81, 0x83}, {0x8A, 0x9A}, {0x8C, 0x9C}, {0x8D, 0x9D},
                            {0x8E, 0x9E}, {0x8F, 0x9F}, {0xA1, 0xA2}, {0xA3, 0xBC}, {0xA5, 0xB4},
                            {0xA8, 0xB8}, {0xAA, 0xBA}, {0xAF, 0xBF}, {0xB2, 0xB3}, {0xBD, 0xBE}};
    for (const auto &p : pairs)
        lower[p[0]] = p[1];
    for (int b = 0; b < 256; ++b) {
        const QChar c = cp1251::toUnicode(static_cast<unsigned char>(b));
        const QByteArray got = cp1251::encode(QString(cp1251::toLower(c)));
        EXPECT_EQ(static_cast<unsigned char>(got[0]), lower.value(b, b)) << "byte " << b;
    }
}
