#include "apps/vtbrowse/server_snapshot.h"

ServerSnapshot ReadSnapshot(const HostServerData& data, double pingMs) {
    ServerSnapshot snapshot;
    snapshot.status = data.Status();
    for (std::wstring& name : data.TableNames()) {
        HostTable table = data.Table(name);
        snapshot.tables.push_back(NamedTable{std::move(name), std::move(table)});
    }
    snapshot.pingMs = pingMs;
    return snapshot;
}
