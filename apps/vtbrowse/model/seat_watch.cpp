#include "apps/vtbrowse/model/seat_watch.h"

#include <algorithm>

SeatWatch::SeatWatch(ServerId server, SeatWatchPlan plan, Clock::time_point now)
    : server_(server), plan_(plan), start_(now) {}

WatchStep SeatWatch::Tick(Clock::time_point now) {
    if (!Watching()) return WatchStep::Nothing;
    if (now >= GivesUpAt()) {
        state_ = WatchState::GaveUp;
        return WatchStep::GiveUp;
    }
    if (pingOut_ || (pings_ > 0 && now < lastPing_ + plan_.every)) return WatchStep::Nothing;
    pingOut_ = true;
    lastPing_ = now;
    ++pings_;
    return WatchStep::Ping;
}

WatchStep SeatWatch::Answered(const ServerRow& row, Clock::time_point now) {
    if (!Watching() || row.id != server_) return WatchStep::Nothing;
    // A seat that frees after the time is up is no longer waited for.
    if (now >= GivesUpAt()) return Tick(now);
    const HostServerStatus& status = row.last.status;
    const bool answered = LastPingAnswered(row);
    if (!answered || status.maxPlayers <= 0 || status.playerCount >= status.maxPlayers)
        return WatchStep::Nothing;
    state_ = WatchState::Launched;
    return WatchStep::Launch;
}

void SeatWatch::Cancel() {
    if (Watching()) state_ = WatchState::Cancelled;
}

SeatWatch::Clock::time_point SeatWatch::NextTick() const {
    if (pings_ == 0) return start_;
    return std::min(GivesUpAt(), pingOut_ ? GivesUpAt() : lastPing_ + plan_.every);
}

std::wstring ServerLabel(const ServerRow& row) {
    const std::wstring address = CellText(row, RowColumn::Address);
    const std::wstring& name = row.last.status.serverName;
    return LastPingAnswered(row) && !name.empty() ? name + L" (" + address + L")" : address;
}

std::wstring WatchLine(const SeatWatch& watch, const ServerRow& row, const std::wstring& givesUpClock) {
    const HostServerStatus& status = row.last.status;
    const std::wstring name =
        status.serverName.empty() ? CellText(row, RowColumn::Address) : status.serverName;
    const std::wstring count = LastPingAnswered(row) ? L" (" + CellText(row, RowColumn::Players) + L")" : L"";
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(watch.Plan().every).count();
    const auto minutes = std::chrono::duration_cast<std::chrono::minutes>(watch.Plan().giveUpAfter).count();
    switch (watch.State()) {
        case WatchState::Watching:
            return L"Waiting for a seat on " + name + count + L": checked " + std::to_wstring(watch.Pings()) +
                   (watch.Pings() == 1 ? L" time" : L" times") + L", every " + std::to_wstring(seconds) +
                   L" s, until " + givesUpClock;
        case WatchState::Launched:
            return L"A seat freed on " + name + count + L": the game was started";
        case WatchState::GaveUp:
            return L"No seat freed on " + name + L" in " + std::to_wstring(minutes) +
                   (minutes == 1 ? L" minute" : L" minutes") + L": stopped waiting";
        case WatchState::Cancelled:
            return L"Stopped waiting for a seat on " + name;
    }
    return L"";
}

WatchStep SeatWatching::Start(ServerId id, const ServerRow* row, const SeatWatchPlan& plan,
                              Clock::time_point now, std::vector<std::wstring>& log) {
    Stop(L"another server is watched now", log);
    watch_.emplace(id, plan, now);
    watched_ = row ? *row : ServerRow{};
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(plan.every).count();
    log.push_back(L"Waiting for a seat on " + ServerLabel(watched_) + L": a look every " +
                  std::to_wstring(seconds) + L" s; the game starts as soon as a seat is free");
    return Said(watch_->Tick(now), log);
}

WatchStep SeatWatching::Answered(const ServerRow& row, bool alone, Clock::time_point now,
                                 std::vector<std::wstring>& log) {
    if (!watch_ || row.id != watch_->Server()) return WatchStep::Nothing;
    watched_ = row;
    if (alone) watch_->PingEnded();
    return Said(watch_->Answered(row, now), log);
}

void SeatWatching::CheckFailed(ServerId id) {
    if (watch_ && id == watch_->Server()) watch_->PingEnded();
}

WatchStep SeatWatching::Tick(Clock::time_point now, std::vector<std::wstring>& log) {
    return watch_ ? Said(watch_->Tick(now), log) : WatchStep::Nothing;
}

bool SeatWatching::Stop(const wchar_t* why, std::vector<std::wstring>& log) {
    if (!watch_ || !watch_->Watching()) return false;
    watch_->Cancel();
    log.push_back(L"Stopped waiting for a seat on " + ServerLabel(watched_) + L": " + why);
    return true;
}

std::wstring SeatWatching::Line(const std::wstring& givesUpClock) const {
    return watch_ ? WatchLine(*watch_, watched_, givesUpClock) : L"";
}

WatchStep SeatWatching::Said(WatchStep step, std::vector<std::wstring>& log) const {
    if (step == WatchStep::Launch) {
        log.push_back(L"A seat freed on " + ServerLabel(watched_) + L", " +
                      CellText(watched_, RowColumn::Players) + L" players: starting the game");
    } else if (step == WatchStep::GiveUp) {
        log.push_back(WatchLine(*watch_, watched_, L""));
    }
    return step;
}
