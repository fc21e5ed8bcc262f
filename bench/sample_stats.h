// Order statistics of a set of timings, as the benchmark programs print them.
#pragma once

#include <cstddef>
#include <vector>

struct SampleSummary {
    std::size_t count = 0;
    double min = 0;
    double p10 = 0;
    double median = 0;  // of an even count: the mean of the two middle values
    double p90 = 0;
    double max = 0;
    double mean = 0;
};

// Summary of samples (any unit); all zero for no samples.
SampleSummary Summarize(std::vector<double> samples);
