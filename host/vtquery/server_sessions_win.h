// The host's side of the plugin's sessions: per server a handle and the two host objects,
// handed to the plugin with the create command and taken back with the remove command.
#pragma once

#include <memory>
#include <vector>

#include "host/server_objects.h"
#include "host/vtquery/plugin_thread_win.h"
#include "host/vtquery/server_list.h"

// Command numbers of the plugin's command window.
constexpr UINT kCommandCreateSession = WM_USER + 12;  // 1036
constexpr UINT kCommandRemoveSession = WM_USER + 13;  // 1037
constexpr UINT kCommandLaunch = WM_USER + 14;         // 1038

struct HostSession {
    ServerAddress server;
    VtHandle handle;
    HostRef<HostServerEntry> entry;
    HostRef<HostServerData> data;
};

// One session per server from construction to destruction; must not outlive the plugin.
class ServerSessions {
public:
    // Creates the host objects (address, port, label, time budget) and the plugin's sessions.
    ServerSessions(const PluginThread& plugin, const std::vector<ServerAddress>& servers, int timeoutSeconds);
    // Removes every session from the plugin, then lets go of the host objects.
    ~ServerSessions();
    ServerSessions(const ServerSessions&) = delete;
    ServerSessions& operator=(const ServerSessions&) = delete;

    size_t size() const { return sessions_.size(); }
    HostSession& operator[](size_t index) { return *sessions_[index]; }

private:
    const PluginThread& plugin_;
    // Sessions stay put in memory: the plugin copies the handle but the host objects are shared.
    std::vector<std::unique_ptr<HostSession>> sessions_;
};
