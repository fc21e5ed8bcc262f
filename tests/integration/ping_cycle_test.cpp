// Pings through the real plugin against the fake Tribes server on 127.0.0.1: the outcomes,
// their write order, the query counts and the cycle's timing (in generous ranges).
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "boundary/command_window.h"
#include "tests/integration/plugin_host.h"
#include "tools/tribes_emu/emulator.h"

namespace integration {
namespace {

using testing::ElementsAre;
using testing::ElementsAreArray;
using testing::StartsWith;
using tribes_emu::Behaviour;
using tribes_emu::ReplyMode;

// What every ping journals before its first send: references, settings under the lock, the
// update bracket, both tables emptied.
const std::vector<std::wstring> Opening = {
    L"entry.AddRef",
    L"data.AddRef",
    L"entry.Lock",
    L"entry.GetAddress",
    L"entry.GetPort",
    L"entry.GetTimeout",
    L"entry.Unlock",
    L"data.BeginUpdate",
    L"data.ClearTable(UsersTable)",
    L"data.ClearTable(PropertiesTable)",
};
const std::vector<std::wstring> Closing = {L"data.EndUpdate", L"entry.Release", L"data.Release"};

std::vector<std::wstring> Concat(std::initializer_list<std::vector<std::wstring>> parts) {
    std::vector<std::wstring> all;
    for (const auto& part : parts) all.insert(all.end(), part.begin(), part.end());
    return all;
}

std::vector<std::wstring> Tail(const std::vector<std::wstring>& lines, std::size_t count) {
    return {lines.end() - static_cast<std::ptrdiff_t>(std::min(count, lines.size())), lines.end()};
}

class PingCycle : public testing::Test {
protected:
    void SetUp() override {
        emulator = std::make_unique<tribes_emu::TribesEmulator>(tribes_emu::DefaultServer(), Behaviour{});
        server.entry->SetPort(emulator->Port());
        SessionCreateRecord record = server.Record();
        host.Send(CMD_CREATE_SESSION, reinterpret_cast<WPARAM>(&record));
    }

    // One ping; its journal lines, its result and how long it took.
    std::vector<std::wstring> Ping() {
        const std::size_t mark = server.journal->Lines().size();
        seconds = Timed([&] { result = host.Ping(server.handle); });
        return server.JournalSince(mark);
    }
    // A successful ping first, so the tables hold rows that the outcome under test must clear.
    void FillTables() {
        Ping();
        ASSERT_GT(server.data->Table(L"UsersTable").rows.size(), 0u);
    }
    void ExpectTablesEmpty() const {
        EXPECT_TRUE(server.data->Table(L"UsersTable").rows.empty());
        EXPECT_TRUE(server.data->Table(L"PropertiesTable").rows.empty());
    }
    // Both references and the bracket given back.
    void ExpectNothingHeld() const {
        EXPECT_EQ(server.entry->RefCount(), 2);  // ours and the session's
        EXPECT_EQ(server.data->RefCount(), 2);
        EXPECT_EQ(server.data->UpdateDepth(), 0);
        EXPECT_EQ(server.entry->LockDepth(), 0);
    }

    PluginHost host;
    TestServer server{"alpha"};
    std::unique_ptr<tribes_emu::TribesEmulator> emulator;
    int result = -1;
    double seconds = 0;
};

TEST_F(PingCycle, ReplyWithinTheFirstSecondFillsRecordAndTables) {
    const auto journal = Ping();

    EXPECT_EQ(result, 1);
    EXPECT_LT(seconds, 1.0);
    EXPECT_EQ(emulator->QueryCount(), 1);
    const HostServerStatus status = server.data->Status();
    EXPECT_EQ(status.statusText, L"12/32 players on Alpha");
    EXPECT_EQ(status.statusDetail, L"12/32 players on Alpha");
    EXPECT_EQ(status.serverName, L"Alpha");
    EXPECT_EQ(status.mapName, L"Raindance");
    EXPECT_EQ(status.maxPlayers, 32);
    EXPECT_EQ(status.playerCount, 12);
    EXPECT_EQ(status.recorded, RecordedOutcome::PlayerCount);
    EXPECT_EQ(status.recordedPlayerCount, 12);

    const HostTable users = server.data->Table(L"UsersTable");
    ASSERT_EQ(users.rows.size(), 12u);
    EXPECT_EQ(users.rows[0][0].value_or(L""), L"Cobra");
    const HostTable rules = server.data->Table(L"PropertiesTable");
    ASSERT_FALSE(rules.rows.empty());
    EXPECT_EQ(rules.rows[0][1].value_or(L""), L"Tribes");

    EXPECT_THAT(std::vector<std::wstring>(journal.begin(), journal.begin() + 10), ElementsAreArray(Opening));
    EXPECT_THAT(Tail(journal, 10),
                ElementsAreArray(Concat(
                    {{L"data.SetStatusDetail(12/32 players on Alpha)", L"data.SetServerName(Alpha)",
                      L"data.SetMapName(Raindance)", L"data.SetMaxPlayers(32)", L"data.SetPlayerCount(12)",
                      L"data.RecordPlayerCount(12)", L"data.SetStatusText(12/32 players on Alpha)"},
                     Closing})));
    ExpectNothingHeld();
}

TEST_F(PingCycle, SilentServerGetsThreeQueriesASecondApartThenTimeout) {
    FillTables();
    emulator->SetBehaviour({ReplyMode::Silent});
    const int before = emulator->QueryCount();

    const auto journal = Ping();

    EXPECT_EQ(result, 1);
    EXPECT_EQ(emulator->QueryCount() - before, 3);  // budget 2: the first send and two re-sends
    const auto times = emulator->QueryTimesAt(0);
    ASSERT_GE(times.size(), 3u);
    for (std::size_t i = times.size() - 2; i < times.size(); ++i) {
        const double gap = Seconds(times[i] - times[i - 1]).count();
        EXPECT_GT(gap, 0.8) << "query " << i;
        EXPECT_LT(gap, 1.6) << "query " << i;
    }
    EXPECT_GT(seconds, 1.8);
    EXPECT_LT(seconds, 3.0);
    EXPECT_THAT(
        journal,
        ElementsAreArray(Concat({Opening,
                                 {L"data.ClearTable(UsersTable)", L"data.ClearTable(PropertiesTable)",
                                  L"data.SetStatusDetail(Timeout)", L"data.SetServerName(Timeout)",
                                  L"data.SetMapName()", L"data.SetMaxPlayers(0)", L"data.SetPlayerCount(0)",
                                  L"data.RecordNoResponse", L"data.SetStatusText(Timeout)"},
                                 Closing})));
    ExpectTablesEmpty();
    EXPECT_EQ(server.data->Status().recorded, RecordedOutcome::NoResponse);
    ExpectNothingHeld();
}

TEST_F(PingCycle, StrayDatagramsNeitherResendNorOutlastBudgetPlusOneSecond) {
    emulator->SetBehaviour({ReplyMode::Stray});  // a non-reply every 250 ms, no reply

    Ping();

    // A silent server gets 3 queries in this budget; strays must not add any. One late full
    // wait on a busy machine may re-send once.
    EXPECT_LE(emulator->QueryCount(), 2);
    EXPECT_GT(seconds, 1.8);
    EXPECT_LT(seconds, 3.6);  // budget 2 + 1 s, and slack for a busy machine
    EXPECT_EQ(server.data->Status().statusText, L"Timeout");
    ExpectNothingHeld();
}

TEST_F(PingCycle, SecondReplyOfADoubleLeavesNothingThatFailsTheNextCycle) {
    emulator->SetBehaviour({ReplyMode::Double});
    Ping();
    ASSERT_EQ(server.data->Status().statusText, L"12/32 players on Alpha");
    // Time for the window thread to handle the second reply's notification.
    Sleep(300);
    // A reply that takes a moment: a count left behind would wake the next cycle before it.
    Behaviour delayed{ReplyMode::Delay};
    delayed.delay = std::chrono::milliseconds(300);
    emulator->SetBehaviour(delayed);

    Ping();

    EXPECT_EQ(server.data->Status().statusText, L"12/32 players on Alpha");
    EXPECT_EQ(emulator->QueryCount(), 2);
    EXPECT_GT(seconds, 0.2);
    EXPECT_LT(seconds, 1.0);
}

// The failure outcome: what was in the tables goes, the socket layer's description of its last
// error is the detail.
struct FailureCase {
    const char* name;
    void (*arrange)(TestServer& server, tribes_emu::TribesEmulator& emulator);
    int queries;      // queries the fake server gets
    bool beforeSend;  // the cycle fails before its first send
    double maxSeconds;
};

class PingFailure : public PingCycle, public testing::WithParamInterface<FailureCase> {};

TEST_P(PingFailure, EmptiesTablesAndReportsFailedToCommunicate) {
    FillTables();
    GetParam().arrange(server, *emulator);
    const int before = emulator->QueryCount();

    const auto journal = Ping();

    EXPECT_EQ(result, 1);
    EXPECT_LT(seconds, GetParam().maxSeconds);
    EXPECT_EQ(emulator->QueryCount() - before, GetParam().queries);
    const HostServerStatus status = server.data->Status();
    EXPECT_EQ(status.serverName, L"Failed to Communicate");
    EXPECT_EQ(status.statusText, L"Failed to Communicate");
    EXPECT_FALSE(status.statusDetail.empty());
    ExpectTablesEmpty();
    ASSERT_GE(journal.size(), 12u);
    const auto tail = Tail(journal, 12);
    EXPECT_THAT(tail[2], StartsWith(L"data.SetStatusDetail("));
    EXPECT_THAT(
        std::vector<std::wstring>(tail.begin() + 3, tail.end()),
        ElementsAreArray(Concat({{L"data.SetServerName(Failed to Communicate)", L"data.SetMapName()",
                                  L"data.SetMaxPlayers(0)", L"data.SetPlayerCount(0)",
                                  L"data.RecordNoResponse", L"data.SetStatusText(Failed to Communicate)"},
                                 Closing})));
    if (GetParam().beforeSend) {
        // Stopped before the opening's table clearing, so before any send: only the outcome clears.
        EXPECT_EQ(std::count(journal.begin(), journal.end(), L"data.ClearTable(UsersTable)"), 1);
    }
    ExpectNothingHeld();
}

// A port on which nothing listens: bound once, then let go.
int ClosedPort() {
    tribes_emu::SocketLayer layer;
    return tribes_emu::UdpEndpoint::BindLoopback(0).LocalPort();
}

INSTANTIATE_TEST_SUITE_P(
    Integration, PingFailure,
    testing::Values(FailureCase{"UnresolvableAddress",
                                [](TestServer& server, tribes_emu::TribesEmulator&) {
                                    server.entry->SetAddress(L"no-such-host.invalid");
                                },
                                0, true, 1.0},
                    FailureCase{
                        "ClosedLocalPort",
                        [](TestServer& server, tribes_emu::TribesEmulator&) {
                            server.entry->SetPort(ClosedPort());
                        },
                        // Wine reports the refusal to a later re-send, not to a receive: within the budget.
                        0, false, 3.0},
                    FailureCase{"OversizedReply",
                                [](TestServer&, tribes_emu::TribesEmulator& emulator) {
                                    emulator.SetBehaviour({ReplyMode::Oversized});
                                },
                                1, false, 1.0}),
    [](const testing::TestParamInfo<FailureCase>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace integration
