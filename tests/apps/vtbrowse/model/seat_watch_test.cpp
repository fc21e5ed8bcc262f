// One seat watch's decisions, event by event, and the line that says what it waits for.
#include "apps/vtbrowse/model/seat_watch.h"

#include <gtest/gtest.h>

#include "tests/apps/vtbrowse/model/answers.h"

namespace {

// Server id's row after a ping that answered with players of 8 (-1: none).
ServerRow Full(ServerId id, int players) {
    return RowAfter(id, {"127.0.0.1", static_cast<int>(28000 + id)},
                    Ping(L"Server " + std::to_wstring(id), L"Raindance", players, 8));
}

// The seat watch, event by event: the time (ms from its start), what happens, and its step.
struct WatchEvent {
    enum Kind { Tick, OwnAnswer, OtherAnswer, Cancel } kind;
    int ms;
    int players = 0;  // of the answer, -1: no answer (a timeout)
    WatchStep expected = WatchStep::Nothing;
};

struct WatchCase {
    const char* label;
    int giveUpMs;
    std::vector<WatchEvent> events;
    WatchState end;
    int pings;
};

class SeatWatchDecisions : public ::testing::TestWithParam<WatchCase> {};

TEST_P(SeatWatchDecisions, PingAtItsPaceLaunchOnceGiveUpInTime) {
    const WatchCase& c = GetParam();
    const SeatWatch::Clock::time_point start{};
    SeatWatch watch(1, SeatWatchPlan{std::chrono::milliseconds(5000), std::chrono::milliseconds(c.giveUpMs)},
                    start);
    for (const WatchEvent& event : c.events) {
        const auto now = start + std::chrono::milliseconds(event.ms);
        WatchStep step = WatchStep::Nothing;
        switch (event.kind) {
            case WatchEvent::Tick:
                step = watch.Tick(now);
                break;
            case WatchEvent::OwnAnswer:
                watch.PingEnded();
                step = watch.Answered(Full(1, event.players), now);
                break;
            case WatchEvent::OtherAnswer:
                // Another server's answer, then a refresh's answer for this one.
                EXPECT_EQ(watch.Answered(Full(2, 0), now), WatchStep::Nothing);
                step = watch.Answered(Full(1, event.players), now);
                break;
            case WatchEvent::Cancel:
                watch.Cancel();
                break;
        }
        EXPECT_EQ(step, event.expected) << c.label << " at " << event.ms << " ms";
    }
    EXPECT_EQ(watch.State(), c.end);
    EXPECT_EQ(watch.Pings(), c.pings);
}

using E = WatchEvent;
constexpr WatchStep Ping = WatchStep::Ping;
constexpr WatchStep Launch = WatchStep::Launch;

INSTANTIATE_TEST_SUITE_P(
    Watches, SeatWatchDecisions,
    ::testing::Values(WatchCase{"a seat frees",
                                60000,
                                {{E::Tick, 0, 0, Ping},
                                 {E::Tick, 100},
                                 {E::OwnAnswer, 200, 8},
                                 {E::Tick, 4999},
                                 {E::Tick, 5000, 0, Ping},
                                 {E::OwnAnswer, 5300, -1},
                                 {E::Tick, 10000, 0, Ping},
                                 {E::OwnAnswer, 10200, 7, Launch},
                                 {E::OtherAnswer, 10300, 6},
                                 {E::Tick, 15000}},
                                WatchState::Launched,
                                3},
                      // A slow answer: no second ping while one is out, the next as soon as it is back.
                      WatchCase{"a refresh's answer and a slow ping",
                                60000,
                                {{E::Tick, 0, 0, Ping},
                                 {E::Tick, 6000},
                                 {E::OtherAnswer, 6100, 8},
                                 {E::Tick, 6200},
                                 {E::OwnAnswer, 6500, 8},
                                 {E::Tick, 6500, 0, Ping},
                                 {E::OtherAnswer, 7000, 5, Launch}},
                                WatchState::Launched,
                                2},
                      WatchCase{"no seat in time",
                                12000,
                                {{E::Tick, 0, 0, Ping},
                                 {E::OwnAnswer, 100, 8},
                                 {E::Tick, 5000, 0, Ping},
                                 {E::Tick, 12000, 0, WatchStep::GiveUp},
                                 {E::OwnAnswer, 12100, 7},
                                 {E::Tick, 15000}},
                                WatchState::GaveUp,
                                2},
                      WatchCase{"an answer after the time is up",
                                12000,
                                {{E::Tick, 0, 0, Ping}, {E::OwnAnswer, 12500, 7, WatchStep::GiveUp}},
                                WatchState::GaveUp,
                                1},
                      WatchCase{
                          "cancelled",
                          60000,
                          {{E::Tick, 0, 0, Ping}, {E::Cancel, 100}, {E::OwnAnswer, 200, 7}, {E::Tick, 5000}},
                          WatchState::Cancelled,
                          1}));

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
