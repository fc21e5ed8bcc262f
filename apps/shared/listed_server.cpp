#include "apps/shared/listed_server.h"

#include "host/text/utf8_text.h"

std::unique_ptr<HostedServer> HostListedServer(const ServerAddress& server, int timeoutSeconds) {
    auto hosted = std::make_unique<HostedServer>(server.Text());
    hosted->entry->SetAddress(WideFromUtf8(server.address));
    hosted->entry->SetPort(server.port);
    hosted->entry->SetLabel(WideFromUtf8(server.Text()));
    hosted->entry->SetTimeout(timeoutSeconds);
    return hosted;
}
