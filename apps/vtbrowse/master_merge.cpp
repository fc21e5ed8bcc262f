#include "apps/vtbrowse/master_merge.h"

#include <algorithm>
#include <map>
#include <set>
#include <string>

namespace {

// For each server a master listed in this fetch, the masters that listed it, sorted.
std::map<std::string, std::set<std::string>> ListingMasters(const std::vector<MasterOutcome>& outcomes) {
    std::map<std::string, std::set<std::string>> listing;
    for (const MasterOutcome& outcome : outcomes) {
        for (const ServerAddress& server : outcome.servers) listing[server.Text()].insert(outcome.master);
    }
    return listing;
}

// Whether master still names a server that its list of this fetch does not hold.
bool StillNames(const std::string& master, const std::vector<MasterOutcome>& outcomes) {
    const auto asked = std::find_if(outcomes.begin(), outcomes.end(),
                                    [&](const MasterOutcome& outcome) { return outcome.master == master; });
    return asked != outcomes.end() && asked->status != MasterStatus::Complete;
}

}  // namespace

MastersMerge MergeMasterLists(std::vector<ServerRow>& rows, const std::vector<MasterOutcome>& outcomes,
                              ServerId& nextId) {
    std::map<std::string, std::set<std::string>> listing = ListingMasters(outcomes);
    MastersMerge merge;
    for (ServerRow& row : rows) {
        ServerOrigin& origin = row.origin;
        const bool wasListed = !origin.masters.empty();
        const auto found = listing.find(row.address.Text());
        std::set<std::string> masters;
        if (found != listing.end()) masters = std::move(found->second);
        for (const std::string& master : origin.masters) {
            if (StillNames(master, outcomes)) masters.insert(master);
        }
        origin.masters.assign(masters.begin(), masters.end());
        if (found != listing.end()) {
            listing.erase(found);
            merge.listed.push_back(row.id);
        }
        if (!origin.masters.empty()) {
            origin.notListed = false;
        } else if (wasListed && origin.favourite) {
            origin.notListed = true;
        }
        if (origin.notListed) ++merge.notListed;
        if (wasListed && origin.masters.empty() && !origin.byHand && !origin.favourite)
            merge.removed.push_back(row.id);
    }
    rows.erase(std::remove_if(rows.begin(), rows.end(),
                              [&](const ServerRow& row) {
                                  return std::find(merge.removed.begin(), merge.removed.end(), row.id) !=
                                         merge.removed.end();
                              }),
               rows.end());
    // What is left of listing is new to the list: appended in the masters' order.
    for (const MasterOutcome& outcome : outcomes) {
        for (const ServerAddress& server : outcome.servers) {
            const auto fresh = listing.find(server.Text());
            if (fresh == listing.end()) continue;
            ServerRow row;
            row.id = nextId++;
            row.address = server;
            row.origin.masters.assign(fresh->second.begin(), fresh->second.end());
            listing.erase(fresh);
            merge.added.emplace_back(row.id, server);
            merge.listed.push_back(row.id);
            rows.push_back(std::move(row));
        }
    }
    return merge;
}

AddedRows RestoreListed(std::vector<ServerRow>& rows, const std::vector<ListedByMasters>& listed,
                        ServerId& nextId) {
    AddedRows added;
    for (const ListedByMasters& server : listed) {
        ServerOrigin& origin = RowFor(rows, server.server, nextId, added).origin;
        std::set<std::string> masters(origin.masters.begin(), origin.masters.end());
        masters.insert(server.masters.begin(), server.masters.end());
        origin.masters.assign(masters.begin(), masters.end());
    }
    return added;
}

void StoreOrigins(const std::vector<ServerRow>& rows, std::vector<ServerAddress>& servers,
                  std::vector<ListedByMasters>& listed) {
    servers.clear();
    listed.clear();
    for (const ServerRow& row : rows) {
        // A favourite no master lists any more is kept by its favourite line alone: as a server
        // line it would come back as one added by hand.
        const bool keptAsFavourite = row.origin.notListed && !row.origin.byHand;
        if (row.origin.byHand || (row.origin.masters.empty() && !keptAsFavourite))
            servers.push_back(row.address);
        if (!row.origin.masters.empty()) listed.push_back({row.address, row.origin.masters});
    }
}
