#include "apps/vtbrowse/model/server_table.h"

#include <algorithm>
#include <cstdint>
#include <memory>
#include <set>
#include <unordered_set>
#include <utility>

#include "apps/vtbrowse/model/player_filters.h"

// A fetch being taken in. Each server the masters listed is an entry, in the order of its first
// listing, with the masters that listed it as bits (by their place among the masters' names,
// sorted), so that no entry needs a set or a text of its own.
struct ServerTable::PendingMerge {
    std::vector<MasterOutcome> outcomes;
    std::vector<std::string> names;  // the masters asked, sorted, each once
    std::vector<size_t> rankOf;      // by outcome, the place of its master in names
    std::vector<bool> stillNames;    // by name: asked, its list not complete, so its old listings stay
    size_t words = 1;                // 64-bit words of an entry's masters

    struct Entry {
        const ServerAddress* server;
        bool taken;  // a row took it: walked or appended
    };
    std::unordered_map<AddressKey, size_t, AddressKeyHash> entryOf;
    std::vector<Entry> entries;
    std::vector<std::uint64_t> masters;  // words per entry
    // Rows there at the start that were removed before the walk reached them: not appended again.
    std::unordered_set<AddressKey, AddressKeyHash> removedUnwalked;

    size_t readOutcome = 0, readServer = 0;  // the next server to read
    ServerId walkEnd = 0;                    // rows below this id were there at the start
    ServerId walkNext = 0;                   // the next of them to walk
    size_t appendNext = 0;                   // the next entry to append
    MastersMerge done;

    bool Read() const { return readOutcome == outcomes.size(); }

    explicit PendingMerge(std::vector<MasterOutcome> taken, ServerId nextId) : outcomes(std::move(taken)) {
        for (const MasterOutcome& outcome : outcomes) names.push_back(outcome.master);
        std::sort(names.begin(), names.end());
        names.erase(std::unique(names.begin(), names.end()), names.end());
        stillNames.assign(names.size(), false);
        size_t entriesAtMost = 0;
        for (const MasterOutcome& outcome : outcomes) {
            const size_t rank = static_cast<size_t>(
                std::lower_bound(names.begin(), names.end(), outcome.master) - names.begin());
            rankOf.push_back(rank);
            if (outcome.status != MasterStatus::Complete) stillNames[rank] = true;
            entriesAtMost += outcome.servers.size();
        }
        words = std::max<size_t>(1, (names.size() + 63) / 64);
        entryOf.reserve(entriesAtMost);
        entries.reserve(entriesAtMost);
        masters.reserve(entriesAtMost * words);
        walkEnd = nextId;
    }

    // The masters of entry, sorted.
    std::vector<std::string> MastersOf(size_t entry) const {
        std::vector<std::string> listed;
        for (size_t rank = 0; rank < names.size(); ++rank) {
            if (masters[entry * words + rank / 64] >> (rank % 64) & 1) listed.push_back(names[rank]);
        }
        return listed;
    }

    // Whether master is one whose earlier listing of a server stays: asked, and its list not
    // complete. A master not asked was taken off the masters list.
    bool StillNames(const std::string& master) const {
        const auto found = std::lower_bound(names.begin(), names.end(), master);
        return found != names.end() && *found == master &&
               stillNames[static_cast<size_t>(found - names.begin())];
    }

    // Takes this fetch's masters of one row in (sorted); whether the row goes.
    bool TakeListing(ServerOrigin& origin, std::vector<std::string> listed) const {
        const bool wasListed = !origin.masters.empty();
        const size_t fetched = listed.size();
        for (const std::string& master : origin.masters) {
            if (StillNames(master)) listed.push_back(master);
        }
        if (listed.size() > fetched) {
            std::sort(listed.begin(), listed.end());
            listed.erase(std::unique(listed.begin(), listed.end()), listed.end());
        }
        origin.masters = std::move(listed);
        if (!origin.masters.empty()) {
            origin.notListed = false;
        } else if (wasListed && origin.favourite) {
            origin.notListed = true;
        }
        return wasListed && origin.masters.empty() && !origin.byHand && !origin.favourite;
    }
};

ServerTable::ServerTable(std::vector<ServerRow> rows) {
    for (ServerRow& row : rows) {
        nextId_ = std::max(nextId_, row.id + 1);
        byAddress_[KeyOf(row.address)] = row.id;
        Emplace(std::move(row));
    }
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

ServerTable::ServerTable() = default;
ServerTable::~ServerTable() = default;

const ServerRow* ServerTable::Find(const ServerAddress& address) const {
    const auto found = byAddress_.find(KeyOf(address));
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
    const auto [place, fresh] = byAddress_.try_emplace(KeyOf(address), nextId_);
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
        byAddress_.erase(KeyOf(found->second.address));
        byId_[id] = nullptr;
        rows_.erase(found);
    }
}

AddedRows ServerTable::AddByHand(const std::vector<ServerAddress>& servers) {
    AddedRows added;
    for (const ServerAddress& server : servers) RowFor(server, added).origin.byHand = true;
    return added;
}

std::vector<ServerId> ServerTable::Remove(const std::vector<ServerId>& ids) {
    std::vector<ServerId> removed;
    std::unordered_set<ServerId> taken;  // a whole list of thousands may be selected: no search of removed
    for (const ServerId id : ids) {
        const ServerRow* row = Find(id);
        if (!row || !taken.insert(id).second) continue;
        removed.push_back(id);
        // A row the merge has still to walk is not brought back by it: the user acted after it.
        if (merge_ && id >= merge_->walkNext && id < merge_->walkEnd)
            merge_->removedUnwalked.insert(KeyOf(row->address));
    }
    EraseRows(removed);
    return removed;
}

const ServerRow* ServerTable::Answered(ServerId id, ServerResult result) {
    ServerRow* row = Mutable(id);
    if (!row) return nullptr;
    ApplyResult(*row, std::move(result));
    return row;
}

void ServerTable::Offered(ServerId id, std::vector<OfferedLaunchOption> options) {
    if (ServerRow* row = Mutable(id)) row->offeredOptions = std::move(options);
}

MastersMerge ServerTable::MergeMasterLists(std::vector<MasterOutcome> outcomes) {
    AddedRows added;
    std::vector<ServerId> removed;
    StartMerge(std::move(outcomes), added, removed);
    MergeSlice(static_cast<size_t>(-1), added, removed);
    return TakeMerge(outcomes);
}

void ServerTable::StartMerge(std::vector<MasterOutcome> outcomes, AddedRows& added,
                             std::vector<ServerId>& removed) {
    if (merge_) {
        MergeSlice(static_cast<size_t>(-1), added, removed);
        merge_.reset();
    }
    merge_ = std::make_unique<PendingMerge>(std::move(outcomes), nextId_);
}

bool ServerTable::MergeSlice(size_t steps, AddedRows& added, std::vector<ServerId>& removed) {
    if (!merge_) return true;
    PendingMerge& merge = *merge_;
    const size_t removedBefore = removed.size(), addedBefore = added.size();
    steps -= ReadLists(merge, steps);
    if (merge.Read()) steps -= WalkRows(merge, steps, removed);
    EraseRows({removed.begin() + static_cast<std::ptrdiff_t>(removedBefore), removed.end()});
    if (merge.walkNext >= merge.walkEnd) AppendNew(merge, steps, added);
    merge.done.removed.insert(merge.done.removed.end(),
                              removed.begin() + static_cast<std::ptrdiff_t>(removedBefore), removed.end());
    merge.done.added.insert(merge.done.added.end(), added.begin() + static_cast<std::ptrdiff_t>(addedBefore),
                            added.end());
    return merge.appendNext == merge.entries.size() && merge.walkNext >= merge.walkEnd && merge.Read();
}

MastersMerge ServerTable::TakeMerge(std::vector<MasterOutcome>& outcomes) {
    if (!merge_) return {};
    MastersMerge done = std::move(merge_->done);
    outcomes = std::move(merge_->outcomes);
    merge_.reset();
    return done;
}

size_t ServerTable::ReadLists(PendingMerge& merge, size_t steps) {
    size_t taken = 0;
    while (taken < steps && !merge.Read()) {
        const MasterOutcome& outcome = merge.outcomes[merge.readOutcome];
        if (merge.readServer == outcome.servers.size()) {
            ++merge.readOutcome;
            merge.readServer = 0;
            continue;
        }
        const ServerAddress& server = outcome.servers[merge.readServer++];
        ++taken;
        const auto [place, fresh] = merge.entryOf.try_emplace(KeyOf(server), merge.entries.size());
        if (fresh) {
            merge.entries.push_back({&server, false});
            merge.masters.resize(merge.masters.size() + merge.words, 0);
        }
        const size_t rank = merge.rankOf[merge.readOutcome];
        merge.masters[place->second * merge.words + rank / 64] |= std::uint64_t{1} << (rank % 64);
    }
    return taken;
}

size_t ServerTable::WalkRows(PendingMerge& merge, size_t steps, std::vector<ServerId>& removed) {
    size_t taken = 0;
    auto row = rows_.lower_bound(merge.walkNext);
    for (; taken < steps && row != rows_.end() && row->first < merge.walkEnd; ++row, ++taken) {
        const ServerId id = row->first;
        ServerRow& walked = row->second;
        std::vector<std::string> listed;
        const auto found = merge.entryOf.find(KeyOf(walked.address));
        if (found != merge.entryOf.end()) {
            listed = merge.MastersOf(found->second);
            merge.entries[found->second].taken = true;
            merge.done.listed.push_back(id);
        }
        if (merge.TakeListing(walked.origin, std::move(listed))) removed.push_back(id);
        if (walked.origin.notListed) ++merge.done.notListed;
    }
    merge.walkNext = row == rows_.end() ? merge.walkEnd : std::min(row->first, merge.walkEnd);
    return taken;
}

size_t ServerTable::AppendNew(PendingMerge& merge, size_t steps, AddedRows& added) {
    if (merge.appendNext == 0) byAddress_.reserve(byAddress_.size() + merge.entries.size());
    size_t taken = 0;
    for (; taken < steps && merge.appendNext < merge.entries.size(); ++taken) {
        const size_t entry = merge.appendNext++;
        if (merge.entries[entry].taken) continue;
        const ServerAddress& server = *merge.entries[entry].server;
        // Removed by the user before the walk reached it, and not added back since.
        if (!merge.removedUnwalked.empty() && merge.removedUnwalked.count(KeyOf(server)) && !Find(server))
            continue;
        ServerRow& row = RowFor(server, added);
        row.origin.masters = merge.MastersOf(entry);
        row.origin.notListed = false;
        merge.done.listed.push_back(row.id);
    }
    return taken;
}

AddedRows ServerTable::RestoreListed(const std::vector<ListedByMasters>& listed) {
    AddedRows added;
    for (const ListedByMasters& server : listed) {
        ServerOrigin& origin = RowFor(server.server, added).origin;
        std::set<std::string> masters(origin.masters.begin(), origin.masters.end());
        masters.insert(server.masters.begin(), server.masters.end());
        origin.masters.assign(masters.begin(), masters.end());
    }
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
