// Where a server of the list came from: added by hand (Add, Import, the command line), listed by
// master servers, or both. It decides what a master's later list may take off. Portable.
#pragma once

#include <string>
#include <vector>

#include "apps/shared/server_list.h"

struct ServerOrigin {
    bool byHand = false;
    // The masters ("HOST:PORT", sorted) whose latest list holds the server.
    std::vector<std::string> masters;
    // A favourite stays when the masters stop listing it, marked notListed, and is still pinged.
    bool favourite = false;
    bool notListed = false;  // a favourite that the masters listed once and list no more
};

// A server that masters listed, as the settings file keeps it between runs.
struct ListedByMasters {
    ServerAddress server;
    std::vector<std::string> masters;
};
