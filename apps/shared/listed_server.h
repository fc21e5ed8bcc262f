// A server of the user's list as a host program hands it to the plugin.
#pragma once

#include <memory>

#include "apps/shared/server_address.h"
#include "host/runner/hosted_server.h"

// The server's handle ("address:port"), and its entry with address, port, label and time budget.
std::unique_ptr<HostedServer> HostListedServer(const ServerAddress& server, int timeoutSeconds);
