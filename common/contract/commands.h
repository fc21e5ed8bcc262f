// The commands a host sends the plugin's command window, and the records they point at. The
// host sends each one synchronously (SendMessage); a record needs to live only until it returns.
#pragma once

#include "common/contract/host_services.h"

class VtHostWindow;  // contract/host_window.h (Windows)

// WM_USER + 10 to 17, and WM_USER + 100.
enum Command : unsigned {
    CMD_IGNORED = 0x0400 + 10,
    CMD_RELEASE_ALL = 0x0400 + 11,
    CMD_CREATE_SESSION = 0x0400 + 12,
    CMD_REMOVE_SESSION = 0x0400 + 13,
    CMD_LAUNCH = 0x0400 + 14,
    CMD_PLUGIN_MENU = 0x0400 + 15,
    CMD_QUERY_SUPPORT = 0x0400 + 17,
    CMD_FORWARD = 0x0400 + 100,
};

// What command 1036 points at: filled by the host, read only while the command runs.
struct SessionCreateRecord {
    VtHandle* handle;
    VtServerData* serverData;
    VtServerEntry* serverEntry;
};

// What command 1124 points at: filled by the host, read only while the command runs.
struct HostWindowRecord {
    VtHandle* handle;
    VtHostWindow* window;
};
