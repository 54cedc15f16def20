// Wall-clock local time with milliseconds, and the high-resolution monotonic counter
// (the performance counter on Windows). Callable from any thread.
#pragma once

#include <cstdint>

namespace Zarn::Platform {

struct LocalTime {
    int year = 0;
    int month = 0;  // 1..12
    int day = 0;    // 1..31
    int hour = 0;
    int minute = 0;
    int second = 0;
    int millisecond = 0;
};

LocalTime CurrentLocalTime();

// Ticks of the monotonic counter and the number of ticks per second.
std::int64_t PerformanceCounter();
std::int64_t PerformanceFrequency();

}  // namespace Zarn::Platform
