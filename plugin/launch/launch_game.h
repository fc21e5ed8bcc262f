// Starting the game on one server: the host's launch command.
#pragma once

#include "common/contract/session_record.h"
#include "plugin/error_trap/host_holds.h"

// Starts the executable configured for session's server, in its own directory, with the
// composed command line. Shows "Unable to open specified application." when the shell cannot
// start it at all. Null does nothing; the outcome is not reported to the host. The entry's
// locks are recorded in holds while held.
void LaunchGame(SessionRecord* session, error_trap::HostHolds& holds);
