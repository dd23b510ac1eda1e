#include "DateTimeText.h"

#include <cctype>
#include <string>

namespace sandbox {

namespace {
constexpr const char* Months[] = {"jan", "feb", "mar", "apr", "may", "jun",
                                  "jul", "aug", "sep", "oct", "nov", "dec"};

// Reads a date/time text left to right.
class Reader
{
public:
    explicit Reader(std::string_view text) : m_text(text) {}

    void skipBlanks()
    {
        while (m_at < m_text.size() && m_text[m_at] == ' ')
            ++m_at;
    }
    bool atEnd() const { return m_at >= m_text.size(); }
    size_t position() const { return m_at; }
    void rewind(size_t at) { m_at = at; }

    bool take(char c)
    {
        if (atEnd() || m_text[m_at] != c)
            return false;
        ++m_at;
        return true;
    }

    // Up to maxDigits digits, at least one; -1 when there is none.
    int number(size_t maxDigits, size_t* digits = nullptr)
    {
        int value = 0;
        size_t n = 0;
        while (n < maxDigits && !atEnd() &&
               std::isdigit(static_cast<unsigned char>(m_text[m_at]))) {
            value = value * 10 + (m_text[m_at++] - '0');
            ++n;
        }
        if (digits)
            *digits = n;
        return n ? value : -1;
    }

    // A month name or its first three letters; 0 when there is none.
    int monthName()
    {
        size_t end = m_at;
        while (end < m_text.size() && std::isalpha(static_cast<unsigned char>(m_text[end])))
            ++end;
        std::string word;
        for (size_t i = m_at; i < end; ++i)
            word += char(std::tolower(static_cast<unsigned char>(m_text[i])));
        for (int m = 0; m < 12; ++m)
            if (word.size() >= 3 && std::string_view(Months[m]) == word.substr(0, 3)) {
                m_at = end;
                return m + 1;
            }
        return 0;
    }

    bool takeWord(std::string_view word)
    {
        if (m_text.size() - m_at < word.size())
            return false;
        for (size_t i = 0; i < word.size(); ++i)
            if (std::tolower(static_cast<unsigned char>(m_text[m_at + i])) != word[i])
                return false;
        m_at += word.size();
        return true;
    }

private:
    std::string_view m_text;
    size_t m_at = 0;
};

bool validDay(int year, int month, int day)
{
    static constexpr int days[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12 || day < 1 || day > days[month - 1])
        return false;
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month != 2 || day < 29 || leap;
}

// A two-digit year as ASE reads it.
int fullYear(int year, size_t digits)
{
    if (digits != 2)
        return year;
    return year < 50 ? 2000 + year : 1900 + year;
}

bool setDate(DateTimeParts& parts, int year, int month, int day)
{
    parts.year = year;
    parts.month = month;
    parts.day = day;
    return true;
}

// 2024-03-01, 2024/03/01, 20240301, 03/01/2024, 03-01-2024, 03.01.2024
bool numericDate(Reader& r, DateTimeParts& parts)
{
    size_t digits = 0;
    const int first = r.number(8, &digits);
    if (digits == 8)
        return validDay(first / 10000, first / 100 % 100, first % 100) &&
               setDate(parts, first / 10000, first / 100 % 100, first % 100);
    const char separators[] = {'-', '/', '.'};
    for (char sep : separators) {
        if (!r.take(sep))
            continue;
        const int second = r.number(2);
        size_t lastDigits = 0;
        if (second < 0 || !r.take(sep))
            return false;
        const int third = r.number(4, &lastDigits);
        if (digits == 4)
            return lastDigits >= 1 && lastDigits <= 2 && validDay(first, second, third) &&
                   setDate(parts, first, second, third);
        return digits <= 2 && (lastDigits == 4 || lastDigits == 2) &&
               validDay(lastDigits == 2 ? 2000 + third : third, first, second) &&
               setDate(parts, fullYear(third, lastDigits), first, second);
    }
    return false;
}

// Mar 1 2024, Mar 1, 2024, 1 Mar 2024
bool namedMonthDate(Reader& r, DateTimeParts& parts)
{
    int month = r.monthName();
    int day = -1;
    if (month) {
        r.skipBlanks();
        day = r.number(2);
    } else {
        day = r.number(2);
        r.skipBlanks();
        month = r.monthName();
    }
    r.skipBlanks();
    r.take(',');
    r.skipBlanks();
    size_t digits = 0;
    const int year = r.number(4, &digits);
    return month && day > 0 && digits == 4 && validDay(year, month, day) &&
           setDate(parts, year, month, day);
}

// The nanoseconds of a fraction of `digits` digits: a decimal one, or after a colon up to
// three digits counting milliseconds.
uint32_t fractionNanoseconds(int value, size_t digits, bool afterColon)
{
    if (afterColon && digits <= 3)
        return uint32_t(value) * 1000000u;
    uint32_t nanoseconds = uint32_t(value);
    for (size_t i = digits; i < 9; ++i)
        nanoseconds *= 10;
    return nanoseconds;
}

// :ss and a fraction after the minutes, when there are; false when they are not a time's.
bool secondsOf(Reader& r, DateTimeParts& parts)
{
    if (!r.take(':'))
        return true;
    const int second = r.number(2);
    if (second < 0 || second > 59)
        return false;
    parts.second = second;
    const bool period = r.take('.');
    if (!period && !r.take(':'))
        return true;
    size_t digits = 0;
    const int fraction = r.number(9, &digits);
    if (fraction < 0)
        return false;
    parts.nanosecond = fractionNanoseconds(fraction, digits, !period);
    return true;
}

// 13:45, 13:45:10, 13:45:10.123, 13:45:10:123, 1:45PM, 10 AM
bool timeOfDay(Reader& r, DateTimeParts& parts)
{
    const int hour = r.number(2);
    if (hour < 0)
        return false;
    bool colon = false;
    if (r.take(':')) {
        colon = true;
        const int minute = r.number(2);
        if (minute > 59 || !secondsOf(r, parts))
            return false;
        parts.minute = minute < 0 ? 0 : minute;
    }
    r.skipBlanks();
    const bool am = r.takeWord("am");
    const bool pm = !am && r.takeWord("pm");
    const bool meridian = am || pm;
    parts.hour = meridian ? hour % 12 + (pm ? 12 : 0) : hour;
    return (colon || meridian) && hour <= (meridian ? 12 : 23);
}

bool dateAt(Reader& r, DateTimeParts& parts)
{
    const size_t start = r.position();
    if (numericDate(r, parts))
        return true;
    r.rewind(start);
    return namedMonthDate(r, parts);
}
} // namespace

std::optional<DateTimeParts> readDateTimeText(std::string_view text, bool dateOnly, bool timeOnly)
{
    DateTimeParts parts;
    Reader r(text);
    r.skipBlanks();
    if (r.atEnd())
        return parts; // blanks are ASE's default date, 1 Jan 1900
    const size_t start = r.position();
    const bool haveDate = dateAt(r, parts);
    if (!haveDate) {
        r.rewind(start);
        parts = DateTimeParts();
    }
    r.skipBlanks();
    if (haveDate && r.take('T'))
        r.skipBlanks();
    bool haveTime = false;
    if (!r.atEnd()) {
        haveTime = timeOfDay(r, parts);
        if (!haveTime)
            return std::nullopt;
    }
    r.skipBlanks();
    if (!r.atEnd() || (!haveDate && !haveTime))
        return std::nullopt;
    if ((dateOnly && !haveDate) || (timeOnly && !haveTime))
        return std::nullopt;
    return parts;
}

bool isDateTimeText(std::string_view text, bool dateOnly, bool timeOnly)
{
    return readDateTimeText(text, dateOnly, timeOnly).has_value();
}

} // namespace sandbox
