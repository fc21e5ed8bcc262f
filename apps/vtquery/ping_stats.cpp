#include "apps/vtquery/ping_stats.h"

#include <algorithm>

PingStats SummarizeDurations(std::vector<double> durations) {
    if (durations.empty()) return {};
    std::sort(durations.begin(), durations.end());
    const size_t middle = durations.size() / 2;
    const double median =
        durations.size() % 2 ? durations[middle] : (durations[middle - 1] + durations[middle]) / 2;
    return PingStats{durations.front(), median, durations.back()};
}
