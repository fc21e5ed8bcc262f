// Joining a full server the moment a seat frees: the decisions of one watch, apart from the
// window, its timer and the plugin. The watch pings only its server, one ping at a time and no
// more often than its pace; the first answer with fewer players than the limit launches the game,
// once, and ends the watch; it gives up when its time is up, and the user may cancel it.
// Portable: tested natively.
#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "apps/vtbrowse/model/server_rows.h"

struct SeatWatchPlan {
    std::chrono::milliseconds every{5000};          // from one ping's start to the next one's
    std::chrono::milliseconds giveUpAfter{600000};  // from the watch's start
};

enum class WatchStep { Nothing, Ping, Launch, GiveUp };
enum class WatchState { Watching, Launched, GaveUp, Cancelled };

class SeatWatch {
public:
    using Clock = std::chrono::steady_clock;

    SeatWatch(ServerId server, SeatWatchPlan plan, Clock::time_point now);

    // What the watch does at now: Ping when no ping of it is out and its pace allows (at once the
    // first time), GiveUp once its time is up (then Nothing ever after); otherwise Nothing.
    WatchStep Tick(Clock::time_point now);
    // The server's row after a ping of it ended (the watch's own, or any refresh's): Launch when it
    // answered with fewer players than its limit, the first time only; then the watch is over.
    WatchStep Answered(const ServerRow& row, Clock::time_point now);
    // The watch's own ping ended, with a result or without (the server left the list meanwhile).
    void PingEnded() { pingOut_ = false; }
    void Cancel();

    ServerId Server() const { return server_; }
    WatchState State() const { return state_; }
    bool Watching() const { return state_ == WatchState::Watching; }
    // When Tick next has something to do: the next ping or the giving up, whichever is first.
    Clock::time_point NextTick() const;
    Clock::time_point GivesUpAt() const { return start_ + plan_.giveUpAfter; }
    const SeatWatchPlan& Plan() const { return plan_; }
    int Pings() const { return pings_; }

private:
    ServerId server_;
    SeatWatchPlan plan_;
    Clock::time_point start_;
    Clock::time_point lastPing_;
    bool pingOut_ = false;
    int pings_ = 0;
    WatchState state_ = WatchState::Watching;
};

// The window's one seat watch (the game can be started on one server only) and the watched server
// as last seen, which its lines name once it left the list. Each call appends what it says to
// log and returns what the watch does now.
class SeatWatching {
public:
    using Clock = SeatWatch::Clock;

    const SeatWatch* Watch() const { return watch_ ? &*watch_ : nullptr; }
    // Watches id (row: its row while listed); a watch running before is stopped.
    WatchStep Start(ServerId id, const ServerRow* row, const SeatWatchPlan& plan, Clock::time_point now,
                    std::vector<std::wstring>& log);
    // A ping of row ended, the watch's own when alone.
    WatchStep Answered(const ServerRow& row, bool alone, Clock::time_point now,
                       std::vector<std::wstring>& log);
    // The watch's own ping of id ended without a result (the server left the list meanwhile).
    void CheckFailed(ServerId id);
    WatchStep Tick(Clock::time_point now, std::vector<std::wstring>& log);
    // The watch, while it runs, stops for why; whether it did.
    bool Stop(const wchar_t* why, std::vector<std::wstring>& log);
    // The line the window shows while a watch runs or once it ended (givesUpClock: the time of
    // day it gives up, "14:32"); empty before the first watch.
    std::wstring Line(const std::wstring& givesUpClock) const;

private:
    WatchStep Said(WatchStep step, std::vector<std::wstring>& log) const;

    std::optional<SeatWatch> watch_;
    ServerRow watched_;
};

// The server as the log names it: "Bravo Base (127.0.0.1:28001)", or its address alone.
std::wstring ServerLabel(const ServerRow& row);

// The line the window shows for a watch of row's server: what it waits for, how often it looks
// and until when (givesUpClock, the time of day: "14:32"), or how it ended.
std::wstring WatchLine(const SeatWatch& watch, const ServerRow& row, const std::wstring& givesUpClock);
