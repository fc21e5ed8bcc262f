// The plugin's server sessions, keyed by the host's server handle, and the commands that
// create, remove and release them.
#pragma once

#include <map>
#include <vector>

#include "boundary/server_session.h"
#include "contract/commands.h"
#include "error_trap/host_holds.h"

// Handles ordered by the host's operator<; two handles neither of which is less than the other
// are the same key. Holds session pointers (never null) but does not own the sessions.
class SessionRegistry {
public:
    // The session registered for handle, or null.
    ServerSession* Find(const VtHandle& handle) const;
    // Registers session under a copy of handle. False, with the registry unchanged, when the
    // handle is registered already.
    bool Insert(const VtHandle& handle, ServerSession* session);
    // Unregisters handle (its key handle goes with the entry); its session, or null when there
    // was none.
    ServerSession* Remove(const VtHandle& handle);
    // Every registered session, in key order, smallest first; the registry is unchanged.
    std::vector<ServerSession*> InKeyOrder() const;
    // Unregisters every session, its key handle going with each entry, in key order.
    void Clear();
    bool Empty() const { return sessions_.empty(); }

private:
    std::map<VtHandle, ServerSession*> sessions_;
};

// The module's one registry.
SessionRegistry& Sessions();

// The session registered for handle (which may be null), or null.
ServerSession* FindSession(const VtHandle* handle);

// Whether a command that an exception or fault from a host object left reports it.
enum class FailureReports { Report, Silent };

// Command 1036: a session for record's handle, holding a reference on each host object, with
// its network window, its launch option and its result tables set up. A handle that is
// registered already keeps its session and nothing else happens. A host object that fails
// during the set-up leaves no session: what was made is undone, what was taken given back, and
// the failure reported. Always 0.
int CreateSession(const SessionCreateRecord* record);
// Command 1037: destroys handle's network window, unregisters the session, then gives back its
// references and destroys it; a failed giving back is reported and the rest still done.
// Always 0.
int RemoveSession(const VtHandle* handle);
// Command 1035 and process detach: destroys every session in handle order (its window, its
// references, the session), and only then empties the registry; a session whose giving back
// fails does not stop the others. Always 0.
int ReleaseAllSessions(FailureReports reports = FailureReports::Report);

// Gives a new session its network message window (created on this thread, which must pump its
// messages), offers the password launch option and lays out the result tables, inside update
// brackets recorded in holds. Returns 1.
int SetUpSession(ServerSession* session, HostHolds& holds);
// Destroys session's network message window and its holder; null or no holder does nothing.
// Returns 1.
int DestroyNetworkWindow(ServerSession* session);
