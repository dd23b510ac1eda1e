#pragma once

#include <string_view>

namespace sandbox {

// Whether ASE converts this text to a date/time value: a date (2024-03-01, 20240301,
// 03/01/2024, Mar 1 2024, 1 Mar 2024), a time (13:45, 13:45:10.5, 1:45PM, 10AM), or a date
// and a time; blanks alone are ASE's default date. With dateOnly (the date type) a time
// alone is refused, with timeOnly (time, bigtime) a date alone is.
bool isDateTimeText(std::string_view text, bool dateOnly, bool timeOnly);

} // namespace sandbox
