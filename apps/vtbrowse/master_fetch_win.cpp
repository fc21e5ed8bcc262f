#include "apps/vtbrowse/master_fetch_win.h"

#include <utility>

#include "apps/masters/master_query_win.h"

MasterFetch::~MasterFetch() {
    cancel_ = true;
    if (thread_.joinable()) thread_.join();
}

void MasterFetch::Start(const std::vector<ServerAddress>& masters, const MasterTiming& timing, HWND window,
                        UINT message) {
    // The last fetch's thread has posted its end already: this join does not wait.
    if (thread_.joinable()) thread_.join();
    events_.Address(window, message);
    cancel_ = false;
    tally_.Start(masters.size());
    thread_ = std::thread([this, masters, timing] {
        const auto start = MasterClock::now();
        MasterGathering gathering =
            GatherMasters(masters, timing, &cancel_, [this](size_t, const MasterOutcome& outcome) {
                FetchEvent ended;
                ended.outcome = outcome;
                events_.Push(std::move(ended));
            });
        FetchEvent ended;
        ended.kind = FetchEvent::Kind::Ended;
        ended.outcomes = std::move(gathering.masters);
        ended.seconds = std::chrono::duration<double>(MasterClock::now() - start).count();
        ended.cancelled = cancel_;
        events_.Push(std::move(ended));
    });
}

void MasterFetch::Cancel() {
    if (!tally_.Running()) return;
    cancel_ = true;
    tally_.Cancel();
}
