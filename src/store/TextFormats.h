#pragma once

#include <QByteArray>
#include <QDate>
#include <QString>

// The text forms shared by the list, the dialogs and the reports. Fixed to the
// Russian formats whatever the machine's locale.
namespace vedaris::text {

// Shortest general form, up to 15 significant digits, decimal comma, no grouping;
// exponent form only below 1E-5 or beyond 15 integer digits ("1E-5", "1,5E20").
QString formatNumber(double value);
// Digits with at most one decimal comma; anything else throws Error::conversion.
double parseNumber(const QString &text);

// What the program adds up itself is shown and written rounded to what its
// data can hold, so that the noise of summing binary fractions never shows
// (a zero as "2,498E-15"): sums to the kopeck, quantities to a millionth. The
// values stored in the files are never rounded. Not finite values pass.
double roundSum(double value);
double roundQuantity(double value);

// Day serials counted from 30.12.1899.
double dateToSerial(const QDate &date);
QDate serialToDate(double serial); // invalid QDate for a serial no date can hold
QString formatDate(const QDate &date); // dd.MM.yyyy
QString formatDate(double serial);
QDate parseDate(const QString &text); // dd.MM.yyyy or yyyy-MM-dd; invalid when neither
// The days a stored date may sensibly hold: 01.01.1900 (2) to 31.12.2200 (110880).
inline constexpr double FirstPlausibleDay = 2;
inline constexpr double LastPlausibleDay = 110880;
// Such a day, or 0, which is how older files stored an empty date. A time of day
// does not make a date impossible.
bool possibleDate(double serial);

// Characters of code 32 or less removed from both ends, code page 1251 capitals
// lower-cased: the key of the searches.
QString searchKey(const QString &text);
// The duplicate test's form of a name: searchKey, then ". - _ space / ," removed.
QString normalizeName(const QString &text);

// Russian linguistic order of the lists as the store's desktop sorts them:
// blanks and punctuation, digits, then Latin, then Cyrillic letters; ё beside е;
// case decides only between otherwise equal names, lower case first. Negative,
// 0 or positive. A fixed table of the code page's characters gives it, so the
// order is the same on every system whatever its collation library.
int compareRussian(const QString &a, const QString &b);
// Keys in that order: two names compare as their keys do (QString's own
// comparison), so a list makes each name's key once.
QString russianSortKey(const QString &text);
// The key of a column header sort: the code page 1251 bytes, Latin a-z taken
// as capitals; keys compare as unsigned bytes.
QByteArray codePageKey(const QString &text);
int compareCodePage(const QString &a, const QString &b);

} // namespace vedaris::text
