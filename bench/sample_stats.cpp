#include "bench/sample_stats.h"

#include <algorithm>
#include <numeric>

namespace {

// The value below which the fraction of sorted samples lies, by the nearest rank.
double Quantile(const std::vector<double>& sorted, double fraction) {
    auto rank = static_cast<std::size_t>(fraction * static_cast<double>(sorted.size() - 1) + 0.5);
    return sorted[std::min(rank, sorted.size() - 1)];
}

}  // namespace

SampleSummary Summarize(std::vector<double> samples) {
    SampleSummary summary;
    if (samples.empty()) return summary;
    std::sort(samples.begin(), samples.end());
    std::size_t n = samples.size();
    summary.count = n;
    summary.min = samples.front();
    summary.max = samples.back();
    summary.p10 = Quantile(samples, 0.10);
    summary.p90 = Quantile(samples, 0.90);
    summary.median = n % 2 ? samples[n / 2] : (samples[n / 2 - 1] + samples[n / 2]) / 2;
    summary.mean = std::accumulate(samples.begin(), samples.end(), 0.0) / static_cast<double>(n);
    return summary;
}
