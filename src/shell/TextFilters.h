#pragma once

#include <QString>

// The longest text FilterCharacters accepts.
inline constexpr qsizetype FilterCharactersLimit = 32767;

// The characters of text, in order, that occur in set (keep true) or that do not (keep
// false); case-sensitive. A text longer than FilterCharactersLimit throws Failure
// ("Overflow", number 6) to the caller.
QString FilterCharacters(const QString& text, const QString& set, bool keep);

// Only the ASCII letters and digits of text: "1st Qtr (2021)" gives "1stQtr2021".
QString KeepLettersAndDigits(const QString& text);
