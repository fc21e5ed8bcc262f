#include "apps/vtquery/refresh_totals.h"

RefreshTotals CountOutcomes(const std::vector<ServerResult>& results) {
    RefreshTotals totals;
    AddOutcomes(totals, results);
    return totals;
}

void AddOutcomes(RefreshTotals& totals, const std::vector<ServerResult>& results) {
    for (const ServerResult& result : results) {
        ++totals.servers;
        totals.pings += static_cast<int>(result.pingMs.size());
        switch (result.outcome) {
            case Outcome::Success:
                ++totals.successes;
                break;
            case Outcome::Timeout:
                ++totals.timeouts;
                break;
            case Outcome::Failure:
                ++totals.failures;
                break;
        }
    }
}
