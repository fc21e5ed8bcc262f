// The plugin's server sessions, keyed by the host's server handle, and the commands that
// create, remove and release them.
#pragma once

#include <map>
#include <memory>

#include "plugin/boundary/server_session.h"
#include "common/contract/commands.h"
#include "plugin/error_trap/host_holds.h"

// Handles ordered by the host's operator<; two handles neither of which is less than the other
// are the same key. Owns its sessions.
class SessionRegistry {
public:
    // The session registered for handle, or null.
    ServerSession* Find(const VtHandle& handle) const;
    // Registers session under a copy of its handle and owns it from then on; the registered
    // session. Null, with session left to the caller and the registry as it was, when the handle
    // is registered already. The copy is the host's code and may fail: the session stays the
    // caller's until the entry is made.
    ServerSession* Insert(std::unique_ptr<ServerSession>& session);
    // Unregisters handle, its key handle going with the entry; its session, now the caller's, or
    // null when there was none.
    std::unique_ptr<ServerSession> Remove(const VtHandle& handle);
    // Hands every session to destroy (a callable taking the std::unique_ptr<ServerSession>) in key
    // order, smallest first, and only then empties the registry, the key handles going in the
    // same order.
    template <class Destroy>
    void DestroyAll(Destroy&& destroy);

private:
    // A session is taken out of its entry only by DestroyAll, which then erases every entry.
    std::map<VtHandle, std::unique_ptr<ServerSession>> sessions_;
};

template <class Destroy>
void SessionRegistry::DestroyAll(Destroy&& destroy) {
    for (auto& entry : sessions_) {
        if (entry.second) destroy(std::move(entry.second));
    }
    // One entry at a time, smallest first: the keys go in the order the sessions went.
    while (!sessions_.empty()) sessions_.erase(sessions_.begin());
}

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
int SetUpSession(ServerSession* session, error_trap::HostHolds& holds);
// Destroys session's network message window; null or no window does nothing. Returns 1.
int DestroyNetworkWindow(ServerSession* session);
