#pragma once

#include <QCollator>
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
// digits, then Latin, then Cyrillic letters; case decides only between otherwise
// equal names, lower case first. Negative, 0 or positive.
int compareRussian(const QString &a, const QString &b);
// A collator giving that order, for sort keys (building one is costly).
QCollator russianCollator();
// A column header sort: code page 1251 codes, Latin a-z taken as capitals.
int compareCodePage(const QString &a, const QString &b);

} // namespace vedaris::text
