#pragma once

#include <QByteArray>
#include <QString>

namespace vedaris::cp1251 {

// A character code page 1251 cannot hold is stored as '?'.
QByteArray encode(QStringView text);
// The byte of one character, -1 when the code page has none.
int byteOf(char32_t u);
QString decode(const char *bytes, int length);
QChar toUnicode(unsigned char byte);
// Lower-cases the capitals of code page 1251 (Latin A-Z, Cyrillic А-Я, Ё and the
// other Cyrillic capitals of the page); every other character is unchanged.
QChar toLower(QChar c);
// What a text becomes when stored: cut to `capacity` characters, characters
// outside the code page as '?'.
QString stored(QStringView text, int capacity);

} // namespace vedaris::cp1251
