// What a master's entries come to: each server once, in the master's order, with what was not
// taken counted. A repeat is merged into the server's first entry; an entry no server can have
// is left out, so that no host program ever pings it.
#pragma once

#include <vector>

#include "apps/masters/master_packet.h"
#include "apps/shared/server_list.h"
#include "apps/shared/usable_address.h"

struct ListedServers {
    std::vector<ServerAddress> servers;  // distinct and usable, in the master's order
    int entries = 0;                     // every entry the packets held
    int repeats = 0;                     // entries of a server listed earlier
    UnusableCounts leftOut;              // entries no server can have, by why
};

// Time and memory linear in the entries: a hash set of address and port, no text per entry
// but the server's own.
ListedServers SortOutEntries(const std::vector<MasterEntry>& entries);
