#include "bench/bench_sessions_win.h"

#include "apps/shared/listed_server.h"

int BenchSessions::Add(std::uint16_t port, int timeoutSeconds) {
    servers_.push_back(HostListedServer(ServerAddress{"127.0.0.1", port}, timeoutSeconds));
    runner_.AddSession(*servers_.back());
    return static_cast<int>(servers_.size()) - 1;
}

bool BenchSessions::Answered(int index) const {
    return servers_[static_cast<std::size_t>(index)]->data->Status().recorded == RecordedOutcome::PlayerCount;
}
