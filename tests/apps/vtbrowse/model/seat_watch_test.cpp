// One seat watch's decisions, event by event, and the line that says what it waits for.
#include "apps/vtbrowse/model/seat_watch.h"

#include <gtest/gtest.h>

#include <sstream>

#include "tests/apps/vtbrowse/model/answers.h"

namespace {

// Server id's row after a ping that answered with players of 8 (-1: none).
ServerRow Full(ServerId id, int players) {
    return RowAfter(id, {"127.0.0.1", static_cast<int>(28000 + id)},
                    Ping(L"Server " + std::to_wstring(id), L"Raindance", players, 8));
}

// One watch, 5 s a ping, event by event: "t5000=P" a tick at 5,000 ms (from its start) whose
// step is Ping; "o200:8" its own ping answered with 8 of 8 players (-1: no answer); "r6100:8" a
// refresh's answer, after another server's; "c100" cancelled. A step not written is Nothing;
// P Ping, L Launch, G GiveUp.
TEST(SeatWatchDecisions, PingAtItsPaceLaunchOnceGiveUpInTime) {
    const struct {
        const char* what;
        int giveUpMs;
        const char* events;
        WatchState end;
        int pings;
    } cases[] = {
        {"a seat frees", 60000, "t0=P t100 o200:8 t4999 t5000=P o5300:-1 t10000=P o10200:7=L r10300:6 t15000",
         WatchState::Launched, 3},
        // A slow answer: no second ping while one is out, the next as soon as it is back.
        {"a refresh's answer and a slow ping", 60000, "t0=P t6000 r6100:8 t6200 o6500:8 t6500=P r7000:5=L",
         WatchState::Launched, 2},
        {"no seat in time", 12000, "t0=P o100:8 t5000=P t12000=G o12100:7 t15000", WatchState::GaveUp, 2},
        {"an answer after the time is up", 12000, "t0=P o12500:7=G", WatchState::GaveUp, 1},
        {"cancelled", 60000, "t0=P c100 o200:7 t5000", WatchState::Cancelled, 1},
    };
    for (const auto& c : cases) {
        const SeatWatch::Clock::time_point start{};
        SeatWatch watch(
            1, SeatWatchPlan{std::chrono::milliseconds(5000), std::chrono::milliseconds(c.giveUpMs)}, start);
        std::istringstream events(c.events);
        for (std::string event; events >> event;) {
            const auto now = start + std::chrono::milliseconds(std::stoi(event.substr(1)));
            const size_t colon = event.find(':'), equals = event.find('=');
            const int players = colon == std::string::npos ? 0 : std::stoi(event.substr(colon + 1));
            WatchStep step = WatchStep::Nothing;
            if (event[0] == 't') step = watch.Tick(now);
            if (event[0] == 'c') watch.Cancel();
            if (event[0] == 'o') watch.PingEnded();
            if (event[0] == 'r') {
                EXPECT_EQ(watch.Answered(Full(2, 0), now), WatchStep::Nothing) << event;
            }
            if (event[0] == 'o' || event[0] == 'r') step = watch.Answered(Full(1, players), now);
            const char expected = equals == std::string::npos ? 'N' : event[equals + 1];
            EXPECT_EQ(step, expected == 'P'   ? WatchStep::Ping
                            : expected == 'L' ? WatchStep::Launch
                            : expected == 'G' ? WatchStep::GiveUp
                                              : WatchStep::Nothing)
                << c.what << ": " << event;
        }
        EXPECT_EQ(watch.State(), c.end) << c.what;
        EXPECT_EQ(watch.Pings(), c.pings) << c.what;
    }
}

TEST(SeatWatchDecisions, TheLineSaysWhatTheWatchWaitsForAndHowItEnded) {
    SeatWatch watch(1, SeatWatchPlan{}, SeatWatch::Clock::time_point{});
    watch.Tick(SeatWatch::Clock::time_point{});
    EXPECT_EQ(WatchLine(watch, Full(1, 8), L"14:32"),
              L"Waiting for a seat on Server 1 (8/8): checked 1 time, every 5 s, until 14:32");
    EXPECT_EQ(watch.NextTick(),
              SeatWatch::Clock::time_point{} + std::chrono::minutes(10));  // the ping is out
    watch.Answered(Full(1, 7), {});
    EXPECT_EQ(WatchLine(watch, Full(1, 7), L""), L"A seat freed on Server 1 (7/8): the game was started");
}

}  // namespace
