// vtquery's two jobs once the command line is understood; each returns the exit code.
#pragma once

#include <vector>

#include "apps/masters/master_outcome.h"
#include "apps/shared/server_list.h"
#include "apps/vtquery/options.h"

constexpr int ExitAllAnswered = 0;
constexpr int ExitNotAllAnswered = 1;  // a timeout or failure, or the plugin did not load
constexpr int ExitUsage = 2;

// Refreshes every server once (or --count times) and prints the report (with the masters asked,
// in JSON).
int RunRefresh(const QueryOptions& options, const std::vector<ServerAddress>& servers,
               const std::vector<MasterOutcome>& masters);

// Creates one session with the launch settings and asks the plugin to start the game.
int RunLaunch(const QueryOptions& options, const LaunchRequest& launch);
