// What players open a browser for, in vtbrowse's portable half: friends and their appearances,
// the seat watch's decisions, the filters players choose servers by, favourites.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "apps/vtbrowse/friends.h"
#include "apps/vtbrowse/player_filters.h"
#include "apps/vtbrowse/player_search.h"
#include "apps/vtbrowse/seat_watch.h"

using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace {

// A server's row after a ping: players > -1 answered with those names in its user table and
// rules, -1 timed out.
ServerRow Answer(ServerId id, int players, int limit, std::vector<std::wstring> names = {},
                 std::vector<std::pair<std::wstring, std::wstring>> rules = {}, double pingMs = 1) {
    ServerRow row;
    row.id = id;
    row.address = ServerAddress{"127.0.0.1", static_cast<int>(28000 + id)};
    ServerResult result;
    result.status.serverName = players < 0 ? L"Timeout" : L"Server " + std::to_wstring(id);
    result.status.mapName = players < 0 ? L"" : L"Raindance";
    result.status.playerCount = std::max(players, 0);
    result.status.maxPlayers = limit;
    result.status.recorded = players < 0 ? RecordedOutcome::NoResponse : RecordedOutcome::PlayerCount;
    result.status.recordCount = 1;
    result.outcome = ClassifyOutcome(result.status);
    result.pingMs = {pingMs};
    for (std::wstring& name : names) result.players.rows.push_back({std::move(name), L"0"});
    for (auto& [key, value] : rules) result.rules.rows.push_back({key, value});
    ApplyResult(row, std::move(result));
    return row;
}

TEST(Friends, PatternsMatchWholeNamesWithStarsLetterCaseAside) {
    const struct {
        const wchar_t* pattern;
        const wchar_t* name;
        bool matches;
    } cases[] = {
        {L"Cobra", L"cOBRA", true}, {L"Cobra", L"Cobra2", false}, {L"Jet", L"Jet ", false},
        {L"cob*", L"Cobra", true},  {L"*RA", L"Cobra", true},     {L"*ob*", L"Cobra", true},
        {L"*", L"", true},          {L"c*b*a", L"Cabra", true},   {L"c*z*a", L"Cobra", false},
        {L"a*a", L"a", false},      {L"a**a", L"aa", true},       {L"[TW]*", L"[tw]Jet", true},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(MatchesFriend(c.pattern, c.name), c.matches)
            << testing::PrintToString(std::wstring(c.pattern)) << " "
            << testing::PrintToString(std::wstring(c.name));
    }
}

// One server's answers in a row, and the friends each makes appear: a friend is told once per
// stay, whatever the letter case the server spells them in, and a ping without an answer ends
// no stay.
TEST(Friends, AnAppearanceIsToldOncePerStay) {
    const std::vector<std::wstring> friends{L"cob*", L"Jet"};
    const struct {
        int players;
        std::vector<std::wstring> names;
        std::vector<std::wstring> appeared;
    } answers[] = {
        {1, {L"Sparrow"}, {}},
        {2, {L"Sparrow", L"Cobra"}, {L"Cobra"}},
        {2, {L"COBRA", L"Sparrow"}, {}},
        {-1, {}, {}},
        {1, {L"Cobra"}, {}},
        {0, {}, {}},
        {4, {L"Cobra", L"jet", L"cobra", L"Cobra2"}, {L"Cobra", L"jet", L"Cobra2"}},
    };
    FriendAppearances appearances;
    for (const auto& answer : answers) {
        std::vector<std::wstring> told;
        for (const FriendSighting& sighting :
             appearances.Answered(Answer(1, answer.players, 8, answer.names), friends))
            told.push_back(sighting.player);
        EXPECT_EQ(told, answer.appeared) << "after " << answer.names.size() << " names";
    }
    // On another server the same friend appears anew; a server forgotten starts afresh.
    EXPECT_THAT(appearances.Answered(Answer(2, 1, 8, {L"Cobra"}), friends), testing::SizeIs(1));
    appearances.Forget(2);
    EXPECT_THAT(appearances.Answered(Answer(2, 1, 8, {L"Cobra"}), friends), testing::SizeIs(1));
    // A friend the user adds while they play is shown, not told.
    const std::vector<std::wstring> more{L"cob*", L"Jet", L"Sparrow"};
    const ServerTable rows({Answer(1, 2, 8, {L"Sparrow", L"Cobra"})});
    appearances.SeeAll(rows, more);
    EXPECT_THAT(appearances.Answered(*rows.Find(1), more), IsEmpty());
}

TEST(Friends, WhereEachFriendPlaysInTheUsersOrder) {
    const ServerTable rows(
        {Answer(1, 2, 8, {L"Sparrow", L"Cobra"}), Answer(2, -1, 0, {L"Ghost"}), Answer(3, 1, 8, {L"cobra"})});
    const std::vector<FriendSighting> where = WhereFriendsPlay(rows, {L"Ghost", L"Cobra"});
    ASSERT_EQ(where.size(), 3u);
    EXPECT_EQ(where[0].player, L"");  // the silent server's tables are stale
    EXPECT_EQ(where[0].server, 0u);
    EXPECT_EQ(where[1].server, 1u);
    EXPECT_EQ(where[2].player, L"cobra");
    EXPECT_EQ(AppearanceText(where[1]), L"Cobra is playing on Server 1 (127.0.0.1:28001), map Raindance");
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
                step = watch.Answered(Answer(1, event.players, 8), now);
                break;
            case WatchEvent::OtherAnswer:
                // Another server's answer, then a refresh's answer for this one.
                EXPECT_EQ(watch.Answered(Answer(2, 0, 8), now), WatchStep::Nothing);
                step = watch.Answered(Answer(1, event.players, 8), now);
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
    const ServerRow full = Answer(1, 8, 8);
    EXPECT_EQ(WatchLine(watch, full, L"14:32"),
              L"Waiting for a seat on Server 1 (8/8): checked 1 time, every 5 s, until 14:32");
    EXPECT_EQ(watch.NextTick(),
              SeatWatch::Clock::time_point{} + std::chrono::minutes(10));  // the ping is out
    watch.Answered(Answer(1, 7, 8), {});
    EXPECT_EQ(WatchLine(watch, Answer(1, 7, 8), L""),
              L"A seat freed on Server 1 (7/8): the game was started");
}

// The ids rows shows through filter in order, as the list asks the table for them.
std::vector<ServerId> VisibleRows(std::vector<ServerRow> rows, const RowFilter& filter,
                                  const RowOrder& order) {
    std::vector<ServerId> shown;
    ServerTable(std::move(rows)).VisibleOrder(filter, order, shown);
    return shown;
}

// Filters on four servers with rules (a fifth never refreshed, its address empty): Server 1 CTF
// base open 4 ms, Server 2 Deathmatch rpg with a password 9 ms and full, Server 3 ctf base open
// 2 ms and empty, Server 4 silent; 2 and 5 favourites.
std::vector<ServerRow> RuledFleet() {
    using Rules = std::vector<std::pair<std::wstring, std::wstring>>;
    std::vector<ServerRow> rows{
        Answer(1, 3, 8, {}, Rules{{L"game", L"CTF"}, {L"mods", L"base"}, {L"needpass", L"0"}}, 4),
        Answer(2, 8, 8, {}, Rules{{L"game", L"Deathmatch"}, {L"mods", L"rpg"}, {L"needpass", L"1"}}, 9),
        Answer(3, 0, 8, {}, Rules{{L"game", L"ctf"}, {L"mods", L"base"}, {L"needpass", L"0"}}, 2),
        Answer(4, -1, 0, {}, Rules{{L"game", L"CTF"}}), ServerRow{}};
    rows[4].id = 5;
    rows[1].origin.favourite = rows[4].origin.favourite = true;
    return rows;
}

TEST(PlayerFilters, CombineWithEachOtherAndWithTheCountFilters) {
    using F = RowFilter&;
    const struct Case {
        const char* label;
        void (*choose)(RowFilter&);
        std::vector<ServerId> shown;
    } cases[] = {
        {"hide empty", [](F f) { f.hideEmpty = true; }, {5, 1, 2, 4}},
        {"hide full", [](F f) { f.hideFull = true; }, {5, 1, 3, 4}},
        {"hide silent", [](F f) { f.hideSilent = true; }, {5, 1, 2, 3}},
        {"name, letter case aside", [](F f) { f.text = L"sERVER 3"; }, {3}},
        {"map, letter case aside", [](F f) { f.text = L"rAIN"; }, {1, 2, 3}},
        {"game type, letter case aside", [](F f) { f.gameType = L"CTF"; }, {1, 3}},
        {"mod", [](F f) { f.mod = L"rpg"; }, {2}},
        {"password required", [](F f) { f.password = PasswordFilter::Required; }, {2}},
        {"no password", [](F f) { f.password = PasswordFilter::NotRequired; }, {1, 3}},
        {"ping under 5 ms", [](F f) { f.pingUnderMs = 5; }, {1, 3}},
        {"favourites", [](F f) { f.favouritesOnly = true; }, {5, 2}},
        {"CTF under 3 ms", [](F f) { f.gameType = L"ctf", f.pingUnderMs = 3; }, {3}},
        {"favourites not full", [](F f) { f.favouritesOnly = f.hideFull = true; }, {5}},
    };
    for (const Case& c : cases) {
        RowFilter filter;
        c.choose(filter);
        EXPECT_EQ(VisibleRows(RuledFleet(), filter, RowOrder{RowColumn::Address, false}), c.shown) << c.label;
    }
    // The choices offered are what the servers that answered send, each once.
    EXPECT_THAT(RuleValuesSeen(ServerTable(RuledFleet()), {GameTypeRule, ModRule}),
                ElementsAre(ElementsAre(L"CTF", L"Deathmatch"), ElementsAre(L"base", L"rpg")));
    EXPECT_EQ(RuleValue(RuledFleet()[3], GameTypeRule), nullptr);
}

TEST(Favourites, StarsToggleTogetherSortFirstAndSayWhenNoMasterListsThem) {
    ServerTable rows(RuledFleet());
    EXPECT_TRUE(rows.ToggleFavourites({1, 2}));  // not all starred: all are now
    EXPECT_THAT(rows.FavouriteAddresses(), testing::SizeIs(3));
    EXPECT_FALSE(rows.ToggleFavourites({1, 2}));
    std::vector<ServerId> shown;
    rows.VisibleOrder(RowFilter{}, RowOrder{RowColumn::Favourite, false}, shown);
    EXPECT_EQ(shown, (std::vector<ServerId>{5, 1, 2, 3, 4}));
    // Back from the settings file: a listed favourite is starred again; one that nothing else
    // kept (no master lists it any more) comes back marked, and is kept by its favourite line.
    const ServerAddress first = rows.Find(1)->address;
    const ServerAddress gone{"127.0.0.1", 29000};
    const auto added = rows.RestoreFavourites({first, gone});
    ASSERT_EQ(added.size(), 1u);
    EXPECT_EQ(added[0].first, 6u);
    EXPECT_EQ(FavouriteText(*rows.Find(1)), L"\u2605");
    EXPECT_EQ(CellText(*rows.Find(gone), RowColumn::Favourite), L"\u2605 not listed");
    EXPECT_EQ(FavouriteText(*rows.Find(3)), L"");
    std::vector<ServerAddress> serverLines;
    std::vector<ListedByMasters> listedLines;
    rows.StoreOrigins(serverLines, listedLines);
    EXPECT_THAT(serverLines, testing::Not(testing::Contains(gone)));
    EXPECT_THAT(serverLines, testing::Contains(first));
}

}  // namespace
