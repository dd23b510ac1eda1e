#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace sandbox {

// The one written form the sandbox keeps a date/time value in, whichever road brought it (a
// bulk row's binary value or a statement's literal): date 2024-03-01, time 13:45:10.500,
// datetime 2024-03-01 13:45:10.500 (1/300 s shown in milliseconds), smalldatetime
// 2024-03-01 13:45:00, bigtime and bigdatetime with six decimals.

// Days since 1900-01-01 of a civil date (the proleptic Gregorian calendar), and back.
int64_t daysSince1900(int year, int month, int day);
std::string dateText(int64_t days);

// A time of day from a count of the type's units since midnight.
std::string ticksText(uint64_t ticks); // 1/300 s, shown in milliseconds
std::string microsecondsText(uint64_t microseconds);
std::string minutesText(uint64_t minutes);

// A value of the named type given as days since 1900-01-01 and nanoseconds since midnight,
// rounded to the type's grain as ASE rounds it (1/300 s, a microsecond, a minute from 29.999 s
// up), carrying into the next day where rounding reaches midnight.
std::string storedDateTime(std::string_view typeName, int64_t days, uint64_t nanoseconds);

} // namespace sandbox
