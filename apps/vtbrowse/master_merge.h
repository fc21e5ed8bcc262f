// What the masters' lists do to vtbrowse's server list, decided apart from any window: servers
// new to the list are added, a server that only masters listed and that none of them lists any
// more goes, and nothing is lost to a master that failed. Portable: tested natively.
#pragma once

#include <utility>
#include <vector>

#include "apps/masters/master_outcome.h"
#include "apps/vtbrowse/server_rows.h"

struct MastersMerge {
    AddedRows added;                // rows appended, in the masters' order
    std::vector<ServerId> removed;  // rows taken off the list
    std::vector<ServerId> listed;   // every row a master listed in this fetch, added ones too
    size_t notListed = 0;           // favourites kept that no master lists any more
};

// Takes one fetch into rows. outcomes holds one outcome per master of the masters list: every
// master is asked at each fetch, so a master that a row names and that was not asked has been
// taken off the masters list and is forgotten. For each row:
// - a master whose list came complete names the row exactly when its list holds the server;
// - a partial list (packets missing, or cancelled) only adds; a master that failed changes nothing;
// - a row whose last master went is taken off, unless it was added by hand (it stays) or is a
//   favourite (it stays, marked notListed until a master lists it again).
// Servers new to the list are appended with ids from nextId on.
MastersMerge MergeMasterLists(std::vector<ServerRow>& rows, const std::vector<MasterOutcome>& outcomes,
                              ServerId& nextId);

// The servers the settings file says masters listed, back on the list with their masters: a row
// already listed gets them, other servers are appended (ids from nextId on) and returned.
AddedRows RestoreListed(std::vector<ServerRow>& rows, const std::vector<ListedByMasters>& listed,
                        ServerId& nextId);

// What the settings file keeps of rows: servers (the "server" lines) holds every row added by
// hand or listed by no master (but a favourite no master lists any more, which its favourite line
// keeps), listed every row that masters listed, with those masters.
void StoreOrigins(const std::vector<ServerRow>& rows, std::vector<ServerAddress>& servers,
                  std::vector<ListedByMasters>& listed);
