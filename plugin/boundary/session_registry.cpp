#include "plugin/boundary/session_registry.h"

ServerSession* SessionRegistry::Find(const VtHandle& handle) const {
    auto found = sessions_.find(handle);
    return found == sessions_.end() ? nullptr : found->second.get();
}

ServerSession* SessionRegistry::Insert(std::unique_ptr<ServerSession>& session) {
    auto [entry, added] = sessions_.try_emplace(session->handle);
    // An entry whose session DestroyAll took, left by a failure that cut it short, is free.
    if (!added && entry->second) return nullptr;
    entry->second = std::move(session);
    return entry->second.get();
}

std::unique_ptr<ServerSession> SessionRegistry::Remove(const VtHandle& handle) {
    auto found = sessions_.find(handle);
    if (found == sessions_.end()) return nullptr;
    std::unique_ptr<ServerSession> session = std::move(found->second);
    sessions_.erase(found);
    return session;
}

SessionRegistry& Sessions() {
    // Built with the module's static data, gone at its end, after process detach has
    // destroyed every session it held.
    static SessionRegistry registry;
    return registry;
}

ServerSession* FindSession(const VtHandle* handle) {
    return handle ? Sessions().Find(*handle) : nullptr;
}
