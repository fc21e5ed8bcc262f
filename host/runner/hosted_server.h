// One server as a host hands it to the plugin: its handle and its two host objects, which the
// host keeps for as long as the server is listed.
#pragma once

#include <mutex>
#include <string>

#include "common/contract/commands.h"
#include "host/services/server_objects.h"

struct HostedServer {
    explicit HostedServer(const std::string& handleText);
    HostedServer(const HostedServer&) = delete;
    HostedServer& operator=(const HostedServer&) = delete;

    // What command 1036 points at for this server.
    SessionCreateRecord Record() { return {&handle, data.get(), entry.get()}; }

    VtHandle handle;
    HostRef<HostServerEntry> entry;
    HostRef<HostServerData> data;
    std::mutex pinging;  // held by the runner for the length of each ping of this server
};
