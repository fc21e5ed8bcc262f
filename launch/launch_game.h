// Starting the game on one server: the host's launch command.
#pragma once

#include "boundary/server_session.h"

// Starts the executable configured for session's server, in its own directory, with the
// composed command line. Shows "Unable to open specified application." when the shell cannot
// start it at all. Null does nothing; the outcome is not reported to the host.
void LaunchGame(ServerSession* session);
