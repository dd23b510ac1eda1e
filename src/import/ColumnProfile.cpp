#include "ColumnProfile.h"

#include <algorithm>

namespace {
bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Whether the digits (no sign, no leading zero) stay within limit, given as digits too.
bool within(QByteArrayView digits, QByteArrayView limit)
{
    if (digits.size() != limit.size())
        return digits.size() < limit.size();
    return std::lexicographical_compare(digits.begin(), digits.end(), limit.begin(), limit.end()) ||
           digits == limit;
}

int number(QByteArrayView text, qsizetype from, qsizetype size)
{
    int n = 0;
    for (qsizetype i = from; i < from + size; ++i) {
        if (!isDigit(text[i]))
            return -1;
        n = n * 10 + (text[i] - '0');
    }
    return n;
}

bool validDate(int year, int month, int day)
{
    static constexpr int Days[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (year < 1 || month < 1 || month > 12 || day < 1 || day > Days[month - 1])
        return false;
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month != 2 || day < 29 || leap;
}
} // namespace

void ColumnProfile::add(QByteArrayView value, qint64 bytes)
{
    if (value.isEmpty()) {
        m_empty = true;
        return;
    }
    ++m_values;
    m_longest = std::max(m_longest, bytes);
    if (m_numbers)
        addNumber(value);
    if (m_dates || m_dateTimes)
        addTemporal(value);
}

void ColumnProfile::addNumber(QByteArrayView value)
{
    // One walk over the bytes: a sign, digits, and a point with digits after it.
    const char* p = value.data();
    const char* const end = p + value.size();
    const bool negative = *p == '-';
    p += negative;
    const char* const wholeFrom = p;
    while (p < end && isDigit(*p))
        ++p;
    const QByteArrayView whole(wholeFrom, p - wholeFrom);
    const bool hasPoint = p < end && *p == '.';
    p += hasPoint;
    const char* const fractionFrom = p;
    while (p < end && isDigit(*p))
        ++p;
    const QByteArrayView fraction(fractionFrom, p - fractionFrom);
    // "007" is a code, not a number; so are "1." and anything after the digits.
    if (p != end || whole.isEmpty() || (whole.size() > 1 && whole.front() == '0') ||
        (hasPoint && fraction.isEmpty())) {
        m_numbers = m_integers = false;
        return;
    }
    const int wholeDigits = whole == "0" ? 0 : int(whole.size());
    m_integerDigits = std::max(m_integerDigits, wholeDigits);
    m_scale = std::max(m_scale, int(fraction.size()));
    // Significant digits, for a binary float: leading zeros of a fraction do not count.
    qsizetype leading = 0;
    if (wholeDigits == 0)
        while (leading < fraction.size() && fraction[leading] == '0')
            ++leading;
    m_significant = std::max(m_significant, int(wholeDigits + fraction.size() - leading));
    if (hasPoint) {
        m_integers = false;
        return;
    }
    m_fitsInt = m_fitsInt && within(whole, negative ? "2147483648" : "2147483647");
    m_fitsBigint =
        m_fitsBigint && within(whole, negative ? "9223372036854775808" : "9223372036854775807");
}

namespace {
// YYYY-MM-DD at the start of value, a real calendar day.
bool startsWithDate(QByteArrayView value)
{
    return value.size() >= 10 && value[4] == '-' && value[7] == '-' &&
           validDate(number(value, 0, 4), number(value, 5, 2), number(value, 8, 2));
}

// " HH:MM:SS" after the date.
bool hasTime(QByteArrayView value)
{
    if (value.size() < 19 || value[10] != ' ' || value[13] != ':' || value[16] != ':')
        return false;
    const int hour = number(value, 11, 2), minute = number(value, 14, 2),
              second = number(value, 17, 2);
    return hour >= 0 && hour < 24 && minute >= 0 && minute < 60 && second >= 0 && second < 60;
}

// Nothing after the seconds, or a point and one to six digits; nonzero when they are not all 0.
bool fractionOf(QByteArrayView value, bool& nonzero)
{
    nonzero = false;
    if (value.size() == 19)
        return true;
    const QByteArrayView fraction = value.sliced(20);
    if (value[19] != '.' || fraction.isEmpty() || fraction.size() > 6 ||
        !std::all_of(fraction.begin(), fraction.end(), isDigit))
        return false;
    nonzero = fraction.count('0') != fraction.size();
    return true;
}
} // namespace

void ColumnProfile::addTemporal(QByteArrayView value)
{
    const bool datePart = startsWithDate(value);
    m_dates = m_dates && datePart && value.size() == 10;
    bool nonzero = false;
    const bool dateTime = datePart && hasTime(value) && fractionOf(value, nonzero);
    m_fractions = m_fractions || (dateTime && nonzero);
    m_dateTimes = m_dateTimes && dateTime;
    if (datePart && number(value, 0, 4) < 1753)
        m_beforeDatetime = true;
}
