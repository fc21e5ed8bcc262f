#include "apps/vtbrowse/server_table.h"

#include <algorithm>
#include <set>
#include <utility>

#include "apps/vtbrowse/player_filters.h"

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

// Takes a fetch's masters of one row in; whether the row goes.
bool TakeListing(ServerOrigin& origin, std::set<std::string> masters,
                 const std::vector<MasterOutcome>& outcomes) {
    const bool wasListed = !origin.masters.empty();
    for (const std::string& master : origin.masters) {
        if (StillNames(master, outcomes)) masters.insert(master);
    }
    origin.masters.assign(masters.begin(), masters.end());
    if (!origin.masters.empty()) {
        origin.notListed = false;
    } else if (wasListed && origin.favourite) {
        origin.notListed = true;
    }
    return wasListed && origin.masters.empty() && !origin.byHand && !origin.favourite;
}

}  // namespace

ServerTable::ServerTable(std::vector<ServerRow> rows) {
    for (ServerRow& row : rows) {
        nextId_ = std::max(nextId_, row.id + 1);
        byAddress_[row.address.Text()] = row.id;
        Emplace(std::move(row));
    }
}

void ServerTable::Subscribe(TableSubscriber& subscriber) {
    subscribers_.push_back(&subscriber);
}

void ServerTable::Unsubscribe(TableSubscriber& subscriber) {
    subscribers_.erase(std::remove(subscribers_.begin(), subscribers_.end(), &subscriber),
                       subscribers_.end());
}

ServerRow& ServerTable::Emplace(ServerRow row) {
    const ServerId id = row.id;
    ServerRow& placed = rows_.emplace(id, std::move(row)).first->second;
    if (id >= byId_.size()) byId_.resize(static_cast<size_t>(id) + 1, nullptr);
    byId_[id] = &placed;
    return placed;
}

const ServerRow* ServerTable::Find(ServerId id) const {
    return id < byId_.size() ? byId_[id] : nullptr;
}

const ServerRow* ServerTable::Find(const ServerAddress& address) const {
    const auto found = byAddress_.find(address.Text());
    return found == byAddress_.end() ? nullptr : Find(found->second);
}

ServerRow* ServerTable::Mutable(ServerId id) {
    return id < byId_.size() ? byId_[id] : nullptr;
}

void ServerTable::ForEach(const std::function<void(const ServerRow&)>& visit) const {
    for (const auto& [id, row] : rows_) visit(row);
}

std::vector<ServerId> ServerTable::Ids() const {
    std::vector<ServerId> ids;
    ids.reserve(rows_.size());
    for (const auto& [id, row] : rows_) ids.push_back(id);
    return ids;
}

ServerRow& ServerTable::RowFor(const ServerAddress& address, AddedRows& added) {
    const auto [place, fresh] = byAddress_.try_emplace(address.Text(), nextId_);
    if (!fresh) return *byId_.at(place->second);
    ServerRow made;
    made.id = nextId_++;
    made.address = address;
    added.emplace_back(made.id, address);
    return Emplace(std::move(made));
}

void ServerTable::EraseRows(const std::vector<ServerId>& ids) {
    for (const ServerId id : ids) {
        const auto found = rows_.find(id);
        if (found == rows_.end()) continue;
        byAddress_.erase(found->second.address.Text());
        byId_[id] = nullptr;
        rows_.erase(found);
    }
}

void ServerTable::TellAdded(const AddedRows& added) {
    if (added.empty()) return;
    for (TableSubscriber* subscriber : subscribers_) subscriber->RowsAdded(added);
}

void ServerTable::TellRemoved(const std::vector<ServerId>& ids) {
    if (ids.empty()) return;
    for (TableSubscriber* subscriber : subscribers_) subscriber->RowsRemoved(ids);
}

AddedRows ServerTable::AddByHand(const std::vector<ServerAddress>& servers) {
    AddedRows added;
    for (const ServerAddress& server : servers) RowFor(server, added).origin.byHand = true;
    TellAdded(added);
    return added;
}

std::vector<ServerId> ServerTable::Remove(const std::vector<ServerId>& ids) {
    std::vector<ServerId> removed;
    for (const ServerId id : ids) {
        if (Find(id) && std::find(removed.begin(), removed.end(), id) == removed.end()) removed.push_back(id);
    }
    EraseRows(removed);
    TellRemoved(removed);
    return removed;
}

const ServerRow* ServerTable::Answered(ServerId id, ServerResult result, bool alone) {
    ServerRow* row = Mutable(id);
    if (!row) return nullptr;
    ApplyResult(*row, std::move(result));
    for (TableSubscriber* subscriber : subscribers_) subscriber->RowAnswered(*row, alone);
    return row;
}

void ServerTable::Offered(ServerId id, std::vector<OfferedLaunchOption> options) {
    if (ServerRow* row = Mutable(id)) row->offeredOptions = std::move(options);
}

MastersMerge ServerTable::MergeMasterLists(const std::vector<MasterOutcome>& outcomes) {
    std::map<std::string, std::set<std::string>> listing = ListingMasters(outcomes);
    MastersMerge merge;
    for (auto& [id, row] : rows_) {
        const auto found = listing.find(row.address.Text());
        std::set<std::string> masters;
        if (found != listing.end()) {
            masters = std::move(found->second);
            listing.erase(found);
            merge.listed.push_back(id);
        }
        if (TakeListing(row.origin, std::move(masters), outcomes)) merge.removed.push_back(id);
        if (row.origin.notListed) ++merge.notListed;
    }
    EraseRows(merge.removed);
    // What is left of listing is new to the list: appended in the masters' order.
    for (const MasterOutcome& outcome : outcomes) {
        for (const ServerAddress& server : outcome.servers) {
            const auto fresh = listing.find(server.Text());
            if (fresh == listing.end()) continue;
            ServerRow& row = RowFor(server, merge.added);
            row.origin.masters.assign(fresh->second.begin(), fresh->second.end());
            listing.erase(fresh);
            merge.listed.push_back(row.id);
        }
    }
    TellRemoved(merge.removed);
    TellAdded(merge.added);
    return merge;
}

AddedRows ServerTable::RestoreListed(const std::vector<ListedByMasters>& listed) {
    AddedRows added;
    for (const ListedByMasters& server : listed) {
        ServerOrigin& origin = RowFor(server.server, added).origin;
        std::set<std::string> masters(origin.masters.begin(), origin.masters.end());
        masters.insert(server.masters.begin(), server.masters.end());
        origin.masters.assign(masters.begin(), masters.end());
    }
    TellAdded(added);
    return added;
}

AddedRows ServerTable::RestoreFavourites(const std::vector<ServerAddress>& addresses) {
    AddedRows added;
    for (const ServerAddress& address : addresses) {
        const size_t before = added.size();
        ServerRow& row = RowFor(address, added);
        // Appended: nothing else kept it, so no master lists it any more.
        if (added.size() > before) row.origin.notListed = true;
        row.origin.favourite = true;
    }
    TellAdded(added);
    return added;
}

bool ServerTable::ToggleFavourites(const std::vector<ServerId>& ids) {
    const bool allStarred = std::all_of(ids.begin(), ids.end(), [&](ServerId id) {
        const ServerRow* row = Find(id);
        return !row || row->origin.favourite;
    });
    for (const ServerId id : ids) {
        if (ServerRow* row = Mutable(id)) row->origin.favourite = !allStarred;
    }
    return !allStarred;
}

void ServerTable::StoreOrigins(std::vector<ServerAddress>& servers,
                               std::vector<ListedByMasters>& listed) const {
    servers.clear();
    listed.clear();
    for (const auto& [id, row] : rows_) {
        // A favourite no master lists any more is kept by its favourite line alone: as a server
        // line it would come back as one added by hand.
        const bool keptAsFavourite = row.origin.notListed && !row.origin.byHand;
        if (row.origin.byHand || (row.origin.masters.empty() && !keptAsFavourite))
            servers.push_back(row.address);
        if (!row.origin.masters.empty()) listed.push_back({row.address, row.origin.masters});
    }
}

std::vector<ServerAddress> ServerTable::FavouriteAddresses() const {
    std::vector<ServerAddress> addresses;
    for (const auto& [id, row] : rows_) {
        if (row.origin.favourite) addresses.push_back(row.address);
    }
    return addresses;
}

void ServerTable::VisibleOrder(const RowFilter& filter, const RowOrder& order,
                               std::vector<ServerId>& shown) const {
    std::vector<const ServerRow*> passed;
    passed.reserve(rows_.size());
    for (const auto& [id, row] : rows_) {
        if (Passes(row, filter)) passed.push_back(&row);
    }
    std::stable_sort(passed.begin(), passed.end(),
                     [&](const ServerRow* a, const ServerRow* b) { return SortsBefore(*a, *b, order); });
    shown.clear();
    shown.reserve(passed.size());
    for (const ServerRow* row : passed) shown.push_back(row->id);
}
