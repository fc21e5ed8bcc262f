// vtquery's masters: asked before anything else, their servers joined to the list, their
// outcomes said, and --list.
#pragma once

#include <vector>

#include "apps/masters/master_outcome.h"
#include "apps/vtquery/options.h"

// Added to the exit code when a master gave no list or only part of one: a master that failed
// is not a server that failed (1), and a script can tell the two apart.
constexpr int ExitMasterFailed = 4;

// Asks every master of the options (none: nothing) and says on stderr, in text mode, what each
// gave. Returns the outcomes; servers gets the masters' servers appended.
std::vector<MasterOutcome> GatherFromMasters(const QueryOptions& options,
                                             std::vector<ServerAddress>& servers);

// 0 when every master gave its whole list (or none was asked), else ExitMasterFailed.
int MastersExitCode(const std::vector<MasterOutcome>& outcomes);

// --list, or a refresh left with no servers: the list as ADDRESS:PORT lines (or JSON) on stdout.
int RunList(const QueryOptions& options, const std::vector<ServerAddress>& servers,
            const std::vector<MasterOutcome>& outcomes);
