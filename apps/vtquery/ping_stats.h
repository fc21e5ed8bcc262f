// Summary of repeated ping calls to one server, like ping -c.
#pragma once

#include <vector>

struct PingStats {
    double min = 0;
    double median = 0;  // of an even count: the mean of the two middle values
    double max = 0;
};

// Statistics of the durations in milliseconds; all zero for no durations.
PingStats SummarizeDurations(std::vector<double> durations);
