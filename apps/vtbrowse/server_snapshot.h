// What one ping left in a server's host objects, copied out on the pinging thread so the window
// never reads host objects that a ping may be changing.
#pragma once

#include <string>
#include <vector>

#include "host/server_objects.h"

struct NamedTable {
    std::wstring name;
    HostTable table;
};

struct ServerSnapshot {
    HostServerStatus status;
    std::vector<NamedTable> tables;  // in the order the plugin added them
    double pingMs = 0;               // how long the ping call took
};

// Status and every table of data, as they stand.
ServerSnapshot ReadSnapshot(const HostServerData& data, double pingMs);
