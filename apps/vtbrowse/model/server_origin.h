// Where a server of the list came from: added by hand (Add, Import, the command line), listed by
// master servers, or both. It decides what a master's later list may take off. Portable.
#pragma once

#include <string>
#include <vector>

#include "apps/vtbrowse/settings/browser_settings.h"

struct ServerOrigin {
    bool byHand = false;
    // The masters ("HOST:PORT", sorted) whose latest list holds the server.
    std::vector<std::string> masters;
    // A favourite stays when the masters stop listing it, marked notListed, and is still pinged.
    bool favourite = false;
    bool notListed = false;  // a favourite that the masters listed once and list no more
};
