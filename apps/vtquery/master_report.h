// What vtquery says about the masters it asked: a line or two each on stderr, or a JSON array.
#pragma once

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "apps/masters/master_outcome.h"

// "master 127.0.0.1:28000: complete: 2000 servers from 2000 entries in 31/31 packets, 1 request,
// 0.012 s", what was merged, left out or dropped and why, then the master's name and message of
// the day on a line of their own.
std::string FormatMasterLines(const std::vector<MasterOutcome>& outcomes);

// [{"master", "status", "detail", "name", "motd", "servers": ["ADDRESS:PORT", ...], "entries",
//   "repeats", "leftOut": {...}, "packetsReceived", "packetsTotal", "requestsSent",
//   "rejected": {...}, "seconds"}, ...]
nlohmann::ordered_json MastersJson(const std::vector<MasterOutcome>& outcomes);

// vtquery --list --json: {"servers": [{"address", "port"}, ...], "masters": [...]}.
std::string FormatListJson(const std::vector<ServerAddress>& servers,
                           const std::vector<MasterOutcome>& outcomes);
