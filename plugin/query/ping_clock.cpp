#include "plugin/query/ping_clock.h"

#include <chrono>

void MarkTime(TimeStamp& stamp) {
    using namespace std::chrono;
    const auto sinceEpoch = duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
    stamp.seconds = static_cast<std::int32_t>(sinceEpoch / 1000);
    stamp.microseconds = static_cast<std::int32_t>(sinceEpoch % 1000) * 1000;
}

int ElapsedMilliseconds(TimeStamp& now, const TimeStamp& start) {
    if (now.microseconds < start.microseconds) {
        now.seconds -= 1;
        now.microseconds += 1000000;
    }
    // Wrapping 32-bit arithmetic, done unsigned so an overflow is defined.
    const auto seconds = static_cast<std::uint32_t>(now.seconds) - static_cast<std::uint32_t>(start.seconds);
    const std::int32_t milliseconds = (now.microseconds - start.microseconds) / 1000;
    return static_cast<std::int32_t>(seconds * 1000u + static_cast<std::uint32_t>(milliseconds));
}
