#include "apps/masters/master_entries.h"

#include <unordered_set>

namespace {

std::string AddressText(std::uint32_t address) {
    return std::to_string(address >> 24) + "." + std::to_string(address >> 16 & 0xFF) + "." +
           std::to_string(address >> 8 & 0xFF) + "." + std::to_string(address & 0xFF);
}

}  // namespace

ListedServers SortOutEntries(const std::vector<MasterEntry>& entries) {
    ListedServers listed;
    listed.entries = static_cast<int>(entries.size());
    std::unordered_set<std::uint64_t> seen;
    seen.reserve(entries.size());
    for (const MasterEntry& entry : entries) {
        const Unusable why = UnusableServer(entry.address, entry.port);
        if (why != Unusable::None) {
            listed.leftOut.Count(why);
        } else if (!seen.insert(std::uint64_t{entry.address} << 16 | entry.port).second) {
            ++listed.repeats;
        } else {
            listed.servers.push_back({AddressText(entry.address), entry.port});
        }
    }
    return listed;
}
