// The plugin's per-server record: what the host receives as its VtPluginServerStruct (the
// contract's SessionRecord), then the plugin's own part.
#pragma once

#include <memory>
#include <string>

#include "common/contract/session_record.h"

class CNetworkDlg;  // the session's network message window (query/)

struct ServerSession : SessionRecord {
    ServerSession(const VtHandle& serverHandle, VtServerData* data, VtServerEntry* entry, std::wstring key);
    // Destroys the network window, if the session still has one. On the window's thread.
    ~ServerSession();
    ServerSession(const ServerSession&) = delete;
    ServerSession& operator=(const ServerSession&) = delete;

    std::unique_ptr<CNetworkDlg> networkWindow;  // null until the session is set up
};
