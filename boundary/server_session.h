// The plugin's per-server record. The host receives it as its VtPluginServerStruct, so the
// host's fields come first and in the host's order.
#pragma once

#include <string>

#include "boundary/host_services.h"

struct NetworkWindowHolder;  // owns the session's network message window (query/)

struct ServerSession : VtPluginServerStruct {
    ServerSession(const VtHandle& serverHandle, VtServerData* data, VtServerEntry* entry, std::wstring key)
        : VtPluginServerStruct{serverHandle, data, entry}, settingsKey(std::move(key)) {}

    std::wstring settingsKey;                      // "Servers\<handle>\<identity>", kept for the host
    NetworkWindowHolder* networkWindow = nullptr;  // owned; null until the session is set up
};

// What command 1036 points at: filled by the host, read only while the command runs.
struct SessionCreateRecord {
    VtHandle* handle;
    VtServerData* serverData;
    VtServerEntry* serverEntry;
};
