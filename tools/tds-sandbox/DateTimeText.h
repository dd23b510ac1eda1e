#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace sandbox {

// The parts of a date/time text; what the text leaves out is ASE's default, 1 Jan 1900 at
// midnight.
struct DateTimeParts
{
    int year = 1900, month = 1, day = 1;
    int hour = 0, minute = 0, second = 0;
    uint32_t nanosecond = 0;
};

// Whether ASE converts this text to a date/time value: a date (2024-03-01, 20240301,
// 03/01/2024, Mar 1 2024, 1 Mar 2024), a time (13:45, 13:45:10.5, 1:45PM, 10AM), or a date
// and a time; blanks alone are ASE's default date. With dateOnly (the date type) a time
// alone is refused, with timeOnly (time, bigtime) a date alone is.
bool isDateTimeText(std::string_view text, bool dateOnly, bool timeOnly);
// The same reading, with the value read: a two-digit year below 50 is 20yy, from 50 19yy; a
// fraction after a period is a decimal one, after a colon a count of milliseconds.
std::optional<DateTimeParts> readDateTimeText(std::string_view text, bool dateOnly, bool timeOnly);

} // namespace sandbox
