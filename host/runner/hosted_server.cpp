#include "host/runner/hosted_server.h"

HostedServer::HostedServer(const std::string& handleText)
    : handle(handleText.c_str()),
      entry(HostRef<HostServerEntry>::Adopt(HostServerEntry::Create())),
      data(HostRef<HostServerData>::Adopt(HostServerData::Create())) {}
