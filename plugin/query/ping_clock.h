// The ping cycle's clock: the wall clock with milliseconds, and the difference of two readings.
#pragma once

#include <cstdint>

// One clock reading. microseconds is always a multiple of 1000 below 1000000.
struct TimeStamp {
    std::int32_t seconds;       // since the epoch
    std::int32_t microseconds;  // the reading's milliseconds times 1000
};

// Reads the time of day with milliseconds into stamp.
void MarkTime(TimeStamp& stamp);

// Milliseconds from start to now, in 32-bit signed arithmetic (wrapping), the division
// truncating toward zero. When now's microseconds are below start's, now borrows a second
// first: now is changed in place.
int ElapsedMilliseconds(TimeStamp& now, const TimeStamp& start);
