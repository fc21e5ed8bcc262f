#include "host/vtquery/server_sessions_win.h"

#include "boundary/server_session.h"
#include "host/vtquery/utf8_text.h"

ServerSessions::ServerSessions(const PluginThread& plugin, const std::vector<ServerAddress>& servers,
                               int timeoutSeconds)
    : plugin_(plugin) {
    for (const ServerAddress& server : servers) {
        auto session = std::make_unique<HostSession>(
            HostSession{server, VtHandle(server.Text().c_str()),
                        HostRef<HostServerEntry>::Adopt(HostServerEntry::Create()),
                        HostRef<HostServerData>::Adopt(HostServerData::Create())});
        session->entry->SetAddress(WideFromUtf8(server.address));
        session->entry->SetPort(server.port);
        session->entry->SetLabel(WideFromUtf8(server.Text()));
        session->entry->SetTimeout(timeoutSeconds);
        SessionCreateRecord record{&session->handle, session->data.get(), session->entry.get()};
        plugin_.SendCommand(kCommandCreateSession, reinterpret_cast<WPARAM>(&record));
        sessions_.push_back(std::move(session));
    }
}

ServerSessions::~ServerSessions() {
    for (const auto& session : sessions_) {
        plugin_.SendCommand(kCommandRemoveSession, reinterpret_cast<WPARAM>(&session->handle));
    }
}
