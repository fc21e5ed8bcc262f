#include "boundary/session_registry.h"

ServerSession* SessionRegistry::Find(const VtHandle& handle) const {
    auto found = sessions_.find(handle);
    return found == sessions_.end() ? nullptr : found->second;
}

bool SessionRegistry::Insert(const VtHandle& handle, ServerSession* session) {
    return sessions_.emplace(handle, session).second;
}

ServerSession* SessionRegistry::Remove(const VtHandle& handle) {
    auto found = sessions_.find(handle);
    if (found == sessions_.end()) return nullptr;
    ServerSession* session = found->second;
    sessions_.erase(found);
    return session;
}

std::vector<ServerSession*> SessionRegistry::InKeyOrder() const {
    std::vector<ServerSession*> sessions;
    sessions.reserve(sessions_.size());
    for (const auto& entry : sessions_) sessions.push_back(entry.second);
    return sessions;
}

void SessionRegistry::Clear() {
    // One entry at a time, smallest first: the keys go in the order the sessions went.
    while (!sessions_.empty()) sessions_.erase(sessions_.begin());
}

SessionRegistry& Sessions() {
    // Built with the module's static data, gone at its end, after process detach has
    // destroyed every session it pointed to.
    static SessionRegistry registry;
    return registry;
}

ServerSession* FindSession(const VtHandle* handle) {
    return handle ? Sessions().Find(*handle) : nullptr;
}
