#pragma once

#include <chrono>
#include <cstdint>
#include <ctime>

// Milliseconds of a monotonic clock, for code that asks often (once a row): the coarse clock
// answers from memory, several times faster than the precise one, and its few milliseconds of
// grain are nothing against intervals of ten milliseconds or more.
inline std::int64_t CoarseMilliseconds()
{
#ifdef CLOCK_MONOTONIC_COARSE
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC_COARSE, &now);
    return std::int64_t(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
#else
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
#endif
}
