// The browser's servers: the one owner of the rows, found by id or by address, each with the
// origin that decides what a master's later list may take off. Each change says what it did to
// the rows (added, removed); the model tells its observers. Nobody outside keeps a reference or
// a place into the table, only ids. Portable: tested natively.
#pragma once

#include <cstddef>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "apps/masters/master_outcome.h"
#include "apps/vtbrowse/model/address_key.h"
#include "apps/vtbrowse/model/server_origin.h"
#include "apps/vtbrowse/model/server_rows.h"

// Rows that a master fetch changed.
struct MastersMerge {
    AddedRows added;                // rows appended, in the masters' order
    std::vector<ServerId> removed;  // rows taken off the list
    std::vector<ServerId> listed;   // every row a master listed in this fetch, added ones too
    size_t notListed = 0;           // favourites kept that no master lists any more
};

class ServerTable {
public:
    ServerTable();
    // rows as they stand, ids kept; the next row appended gets an id past theirs.
    explicit ServerTable(std::vector<ServerRow> rows);
    ~ServerTable();
    ServerTable(const ServerTable&) = delete;
    ServerTable& operator=(const ServerTable&) = delete;

    size_t Size() const { return rows_.size(); }
    bool Empty() const { return rows_.empty(); }
    // The row of id or of address, null when none; valid until the table next changes.
    const ServerRow* Find(ServerId id) const;
    const ServerRow* Find(const ServerAddress& address) const;
    // Every row in the order they were added.
    void ForEach(const std::function<void(const ServerRow&)>& visit) const;
    std::vector<ServerId> Ids() const;

    // The servers, added by hand: rows appended for those not listed (returned), and every one of
    // them kept when the masters stop listing it.
    AddedRows AddByHand(const std::vector<ServerAddress>& servers);
    // Takes the rows of ids off; ids not found are passed over. The ids removed, in ids' order.
    std::vector<ServerId> Remove(const std::vector<ServerId>& ids);
    // A ping of id ended with result: the row takes it in (ApplyResult). Null when id left.
    const ServerRow* Answered(ServerId id, ServerResult result);
    // The launch options the plugin offered for id.
    void Offered(ServerId id, std::vector<OfferedLaunchOption> options);

    // Takes one fetch in. outcomes holds one outcome per master of the masters list: every master
    // is asked at each fetch, so a master that a row names and that was not asked has been taken
    // off the masters list and is forgotten. For each row:
    // - a master whose list came complete names the row exactly when its list holds the server;
    // - a partial list (packets missing, or cancelled) only adds; a master that failed changes
    //   nothing;
    // - a row whose last master went is taken off, unless it was added by hand (it stays) or is a
    //   favourite (it stays, marked notListed until a master lists it again).
    // Servers new to the list are appended in the masters' order.
    MastersMerge MergeMasterLists(std::vector<MasterOutcome> outcomes);
    // The same merge a slice at a time, so that a window answers between slices: StartMerge
    // takes the fetch in (a merge still running is finished first, its record dropped, the rows
    // it changed appended to added and removed); each MergeSlice goes up to steps entries or rows
    // further (the lists read, the rows there at the start walked, the new servers appended) and
    // appends the rows it removed and added; true once the merge is over, and TakeMerge then hands
    // back all it did and the outcomes. Changes between slices come after the merge: a row removed
    // stays removed, a row added by hand that a master lists takes that master, and no row is
    // added or removed twice.
    void StartMerge(std::vector<MasterOutcome> outcomes, AddedRows& added, std::vector<ServerId>& removed);
    bool MergeSlice(size_t steps, AddedRows& added, std::vector<ServerId>& removed);
    bool Merging() const { return merge_ != nullptr; }
    MastersMerge TakeMerge(std::vector<MasterOutcome>& outcomes);
    // The servers the settings file says masters listed, back with their masters: a row already
    // listed gets them, other servers are appended and returned.
    AddedRows RestoreListed(const std::vector<ListedByMasters>& listed);
    // The favourites of the settings file: rows already listed are starred; the others
    // (favourites no master lists any more, which nothing else keeps) are appended, starred and
    // marked notListed, and returned.
    AddedRows RestoreFavourites(const std::vector<ServerAddress>& addresses);
    // Stars the rows of ids, or takes their stars off when all of them have one; whether they are
    // favourites now.
    bool ToggleFavourites(const std::vector<ServerId>& ids);

    // What the settings file keeps: servers (the "server" lines) holds every row added by hand or
    // listed by no master (but a favourite no master lists any more, which its favourite line
    // keeps), listed every row that masters listed, with those masters.
    void StoreOrigins(std::vector<ServerAddress>& servers, std::vector<ListedByMasters>& listed) const;
    std::vector<ServerAddress> FavouriteAddresses() const;

    // The ids of the rows the filter lets through, in order, into shown (its memory reused: the
    // list asks five times a second while thousands of servers refresh).
    void VisibleOrder(const RowFilter& filter, const RowOrder& order, std::vector<ServerId>& shown) const;

private:
    struct PendingMerge;
    ServerRow* Mutable(ServerId id);
    ServerRow& Emplace(ServerRow row);
    // The row of address; one is appended (and noted in added) when the table has none.
    ServerRow& RowFor(const ServerAddress& address, AddedRows& added);
    void EraseRows(const std::vector<ServerId>& ids);
    // The steps of a merge: reading the lists, walking the rows there at its start, appending.
    size_t ReadLists(PendingMerge& merge, size_t steps);
    size_t WalkRows(PendingMerge& merge, size_t steps, std::vector<ServerId>& removed);
    size_t AppendNew(PendingMerge& merge, size_t steps, AddedRows& added);

    // Ids only grow, so the map's order is the order the rows were added in.
    std::map<ServerId, ServerRow> rows_;
    // By id, the row in rows_ (its node never moves), null when gone: a list of 20,000 looks up
    // every row it shows at each batch of answers, and a walk down the map for each is a cache
    // miss at every step.
    std::vector<ServerRow*> byId_;
    std::unordered_map<AddressKey, ServerId, AddressKeyHash> byAddress_;
    ServerId nextId_ = 1;
    std::unique_ptr<PendingMerge> merge_;  // a fetch being taken in, a slice at a time
};
