#include "DateTimeForm.h"

#include <cstdio>

namespace sandbox {

namespace {
constexpr uint64_t NanosecondsPerSecond = 1000000000;
constexpr uint64_t SecondsPerDay = 86400;

// hh:mm:ss and a fraction of `digits` digits, from a count of `perSecond` parts of a second.
std::string timeText(uint64_t parts, uint64_t perSecond, int digits, uint64_t fraction)
{
    const uint64_t seconds = parts / perSecond;
    char out[96];
    std::snprintf(out, sizeof out, "%02llu:%02llu:%02llu.%0*llu",
                  static_cast<unsigned long long>(seconds / 3600),
                  static_cast<unsigned long long>(seconds / 60 % 60),
                  static_cast<unsigned long long>(seconds % 60), digits,
                  static_cast<unsigned long long>(fraction));
    return out;
}

// The nanoseconds counted in units of `perSecond` to a second, the nearest unit.
uint64_t nearestUnits(uint64_t nanoseconds, uint64_t perSecond)
{
    const uint64_t fraction = nanoseconds % NanosecondsPerSecond;
    return nanoseconds / NanosecondsPerSecond * perSecond +
           (fraction * perSecond + NanosecondsPerSecond / 2) / NanosecondsPerSecond;
}

std::string withDate(int64_t days, const std::string& time)
{
    std::string text = dateText(days);
    text += ' ';
    text += time;
    return text;
}
} // namespace

int64_t daysSince1900(int year, int month, int day)
{
    const int64_t y = year - (month <= 2 ? 1 : 0);
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int64_t yoe = y - era * 400;
    const int64_t doy = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 693901; // days since 0000-03-01, then since 1900-01-01
}

std::string dateText(int64_t days)
{
    const int64_t z = days + 693901; // days since 0000-03-01
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const int64_t doe = z - era * 146097;
    const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int64_t mp = (5 * doy + 2) / 153;
    const int64_t day = doy - (153 * mp + 2) / 5 + 1;
    const int64_t month = mp < 10 ? mp + 3 : mp - 9;
    const int64_t year = yoe + era * 400 + (month <= 2 ? 1 : 0);
    char out[80];
    std::snprintf(out, sizeof out, "%04lld-%02lld-%02lld", static_cast<long long>(year),
                  static_cast<long long>(month), static_cast<long long>(day));
    return out;
}

std::string ticksText(uint64_t ticks)
{
    return timeText(ticks, 300, 3, ((ticks % 300) * 1000 + 150) / 300 % 1000);
}

std::string microsecondsText(uint64_t microseconds)
{
    return timeText(microseconds, 1000000, 6, microseconds % 1000000);
}

std::string minutesText(uint64_t minutes)
{
    return timeText(minutes * 60, 1, 0, 0).substr(0, 8);
}

std::string storedDateTime(std::string_view typeName, int64_t days, uint64_t nanoseconds)
{
    if (typeName == "date")
        return dateText(days);
    if (typeName == "smalldatetime") {
        // 29.998 s rounds down, 29.999 s up.
        const uint64_t minutes =
            (nanoseconds + 30 * NanosecondsPerSecond + 1000000) / (60 * NanosecondsPerSecond);
        return withDate(days + int64_t(minutes / 1440), minutesText(minutes % 1440));
    }
    const bool micro = typeName == "bigdatetime" || typeName == "bigtime";
    const uint64_t perSecond = micro ? 1000000 : 300;
    const uint64_t units = nearestUnits(nanoseconds, perSecond);
    const uint64_t perDay = perSecond * SecondsPerDay;
    const std::string time = micro ? microsecondsText(units % perDay) : ticksText(units % perDay);
    if (typeName == "time" || typeName == "bigtime")
        return time;
    return withDate(days + int64_t(units / perDay), time);
}

} // namespace sandbox
