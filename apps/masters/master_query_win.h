// Several masters asked for their lists at once, each on a thread and a socket of its own.
#pragma once

#include <atomic>
#include <functional>
#include <vector>

#include "apps/masters/master_exchange.h"
#include "apps/masters/master_outcome.h"

struct MasterGathering {
    std::vector<MasterOutcome> masters;  // in the order asked
    std::vector<ServerAddress> servers;  // every master's servers, each once: ready for a refresh
};

// Asks each master (resolved through KRNetUtil, as the plugin resolves servers) for its list and
// waits for all. cancel, when given and set, ends every exchange within 50 ms with what arrived;
// finished, when given, hears each master's outcome as it ends, on that master's thread, one
// call at a time.
MasterGathering GatherMasters(const std::vector<ServerAddress>& masters, const MasterTiming& timing,
                              const std::atomic<bool>* cancel = nullptr,
                              const std::function<void(size_t index, const MasterOutcome&)>& finished = {});
