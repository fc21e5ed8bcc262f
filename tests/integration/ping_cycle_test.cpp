// Pings through the real plugin against the fake Tribes server on 127.0.0.1: the outcomes,
// their write order, the query counts and the cycle's timing (in generous ranges).
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tests/integration/plugin_host.h"
#include "tools/tribes_emu/emulator.h"

namespace integration {
namespace {

using testing::ElementsAreArray;
using testing::StartsWith;
using tribes_emu::Behaviour;
using tribes_emu::ReplyMode;

// What every ping journals before its first send, and after its outcome.
const std::wstring Opening =
    L"entry.AddRef|data.AddRef|entry.Lock|entry.GetAddress|entry.GetPort|entry.GetTimeout|entry.Unlock|"
    L"data.BeginUpdate|data.ClearTable(UsersTable)|data.ClearTable(PropertiesTable)";
const std::wstring Closing = L"data.EndUpdate|entry.Release|data.Release";

std::vector<std::wstring> Tail(const std::vector<std::wstring>& lines, std::size_t count) {
    return {lines.end() - static_cast<std::ptrdiff_t>(std::min(count, lines.size())), lines.end()};
}

class PingCycle : public testing::Test {
protected:
    void SetUp() override {
        server.entry->SetPort(emulator.Port());
        host.CreateSession(server);
    }
    // One ping; its journal lines. Sets result and seconds.
    std::vector<std::wstring> Ping() {
        const std::size_t mark = server.journal->Lines().size();
        seconds = Timed([&] { result = host.Ping(server); });
        return server.JournalSince(mark);
    }
    // A successful ping first, so the tables hold rows the outcome under test must clear.
    void FillTables() {
        Ping();
        ASSERT_FALSE(server.data->Table(L"UsersTable").rows.empty());
    }
    void ExpectTablesEmptyAndNothingHeld() const {
        EXPECT_TRUE(server.data->Table(L"UsersTable").rows.empty());
        EXPECT_TRUE(server.data->Table(L"PropertiesTable").rows.empty());
        ExpectNothingHeld();
    }
    void ExpectNothingHeld() const {
        EXPECT_EQ(server.entry->RefCount(), 2);  // ours and the session's
        EXPECT_EQ(server.data->RefCount(), 2);
        EXPECT_EQ(server.data->UpdateDepth(), 0);
        EXPECT_EQ(server.entry->LockDepth(), 0);
    }

    tribes_emu::TribesEmulator emulator{tribes_emu::DefaultServer(), Behaviour{}};
    PluginHost host;
    TestServer server{"alpha"};
    int result = -1;
    double seconds = 0;
};

TEST_F(PingCycle, ReplyWithinTheFirstSecondFillsRecordAndTables) {
    const auto journal = Ping();

    EXPECT_EQ(result, 1);
    EXPECT_LT(seconds, 1.0);
    EXPECT_EQ(emulator.QueryCount(), 1);
    const HostServerStatus status = server.data->Status();
    EXPECT_EQ(status.statusDetail, L"12/32 players on Alpha");
    EXPECT_EQ(status.recorded, RecordedOutcome::PlayerCount);
    const HostTable users = server.data->Table(L"UsersTable");
    ASSERT_EQ(users.rows.size(), 12u);
    EXPECT_EQ(users.rows[0][0].value_or(L""), L"Cobra");
    const HostTable rules = server.data->Table(L"PropertiesTable");
    ASSERT_FALSE(rules.rows.empty());
    EXPECT_EQ(rules.rows[0][1].value_or(L""), L"Tribes");
    EXPECT_THAT(std::vector<std::wstring>(journal.begin(), journal.begin() + 10),
                ElementsAreArray(Calls(Opening)));
    EXPECT_THAT(
        Tail(journal, 10),
        ElementsAreArray(Calls(L"data.SetStatusDetail(12/32 players on Alpha)|data.SetServerName(Alpha)|"
                               L"data.SetMapName(Raindance)|data.SetMaxPlayers(32)|data.SetPlayerCount(12)|"
                               L"data.RecordPlayerCount(12)|data.SetStatusText(12/32 players on Alpha)|" +
                               Closing)));
    ExpectNothingHeld();
}

TEST_F(PingCycle, SilentServerGetsThreeQueriesASecondApartThenTimeout) {
    FillTables();
    emulator.SetBehaviour({ReplyMode::Silent});

    const auto journal = Ping();

    // Budget 2: the first send and two re-sends, the last right before the outcome (the
    // server's thread may not have counted it yet).
    EXPECT_TRUE(emulator.WaitForQueries(1 + 3, std::chrono::seconds(1)));
    EXPECT_EQ(emulator.QueryCount(), 1 + 3);
    const auto times = emulator.QueryTimesAt(0);
    for (std::size_t i = times.size() - 2; i < times.size(); ++i) {
        const double gap = std::chrono::duration<double>(times[i] - times[i - 1]).count();
        EXPECT_TRUE(gap > 0.8 && gap < 1.6) << "query " << i << " after " << gap << " s";
    }
    EXPECT_TRUE(seconds > 1.8 && seconds < 3.0) << seconds << " s";
    EXPECT_THAT(journal,
                ElementsAreArray(Calls(Opening +
                                       L"|data.ClearTable(UsersTable)|data.ClearTable(PropertiesTable)|"
                                       L"data.SetStatusDetail(Timeout)|data.SetServerName(Timeout)|"
                                       L"data.SetMapName()|data.SetMaxPlayers(0)|data.SetPlayerCount(0)|"
                                       L"data.RecordNoResponse|data.SetStatusText(Timeout)|" +
                                       Closing)));
    ExpectTablesEmptyAndNothingHeld();
}

TEST_F(PingCycle, StrayDatagramsNeitherResendNorOutlastBudgetPlusOneSecond) {
    emulator.SetBehaviour({ReplyMode::Stray});  // a non-reply every 250 ms, never a reply

    Ping();

    // A silent server gets 3 queries in this budget; strays add none (a wait made late by a
    // busy machine may re-send once).
    EXPECT_LE(emulator.QueryCount(), 2);
    EXPECT_TRUE(seconds > 1.8 && seconds < 3.6) << seconds << " s";  // budget 2 + 1 s, and slack
    EXPECT_EQ(server.data->Status().statusText, L"Timeout");
    ExpectNothingHeld();
}

TEST_F(PingCycle, SecondReplyOfADoubleLeavesNothingThatFailsTheNextCycle) {
    emulator.SetBehaviour({ReplyMode::Double});
    Ping();
    Sleep(300);  // the window thread handles the second reply's notification
    // A reply that takes a moment: a count left behind would wake the next cycle before it.
    Behaviour delayed{ReplyMode::Delay};
    delayed.delay = std::chrono::milliseconds(300);
    emulator.SetBehaviour(delayed);

    Ping();

    EXPECT_EQ(server.data->Status().statusText, L"12/32 players on Alpha");
    EXPECT_EQ(emulator.QueryCount(), 2);
    EXPECT_TRUE(seconds > 0.2 && seconds < 1.0) << seconds << " s";
}

TEST_F(PingCycle, BudgetOfZeroWaitsOneFullSecondAndResendsOnce) {
    emulator.SetBehaviour({ReplyMode::Silent});
    server.entry->SetTimeout(0);

    Ping();

    // The first send, then the re-send after the one full wait.
    EXPECT_TRUE(emulator.WaitForQueries(2, std::chrono::seconds(1)));
    EXPECT_EQ(emulator.QueryCount(), 2);
    EXPECT_TRUE(seconds > 0.9 && seconds < 2.0) << seconds << " s";
    EXPECT_EQ(server.data->Status().statusText, L"Timeout");
}

TEST_F(PingCycle, ASessionWithoutWindowFailsSayingSoNotWithAStaleError) {
    // A parent that is no window: the next session's network window cannot be made.
    host.Init(reinterpret_cast<HWND>(static_cast<std::uintptr_t>(0x7FF0)));
    TestServer windowless("windowless");
    EXPECT_EQ(host.CreateSession(windowless), nullptr);
    host.Init(host.parentWindow);
    WSASetLastError(WSAECONNREFUSED);  // what a failure that no socket call reported must not show

    EXPECT_EQ(host.Ping(windowless), 1);

    const HostServerStatus status = windowless.data->Status();
    EXPECT_EQ(status.statusText, L"Failed to Communicate");
    EXPECT_EQ(status.statusDetail, L"No network window: the plugin could not create this server's window");
}

struct FailureCase {
    const char* name;
    void (*arrange)(TestServer& server, tribes_emu::TribesEmulator& emulator);
    int queries;      // the fake server gets
    bool beforeSend;  // the cycle fails before its first send
    double maxSeconds;
};

class PingFailure : public PingCycle, public testing::WithParamInterface<FailureCase> {};

TEST_P(PingFailure, EmptiesTablesAndReportsFailedToCommunicate) {
    FillTables();
    GetParam().arrange(server, emulator);

    const auto journal = Ping();

    EXPECT_LT(seconds, GetParam().maxSeconds);
    EXPECT_EQ(emulator.QueryCount() - 1, GetParam().queries);
    const auto tail = Tail(journal, 12);
    EXPECT_THAT(tail[2], StartsWith(L"data.SetStatusDetail("));  // the socket layer's description
    EXPECT_NE(tail[2], L"data.SetStatusDetail()");
    EXPECT_THAT(std::vector<std::wstring>(tail.begin() + 3, tail.end()),
                ElementsAreArray(Calls(L"data.SetServerName(Failed to Communicate)|data.SetMapName()|"
                                       L"data.SetMaxPlayers(0)|data.SetPlayerCount(0)|data.RecordNoResponse|"
                                       L"data.SetStatusText(Failed to Communicate)|" +
                                       Closing)));
    // Failing before the first send, the opening's table clearing never came: only the outcome's.
    EXPECT_EQ(std::count(journal.begin(), journal.end(), L"data.ClearTable(UsersTable)"),
              GetParam().beforeSend ? 1 : 2);
    ExpectTablesEmptyAndNothingHeld();
}

// A port on which nothing listens: bound once, then let go.
int ClosedPort() {
    tribes_emu::SocketLayer layer;
    return tribes_emu::UdpEndpoint::BindLoopback(0).LocalPort();
}

INSTANTIATE_TEST_SUITE_P(
    Integration, PingFailure,
    testing::Values(
        FailureCase{
            "UnresolvableAddress",
            [](TestServer& s, tribes_emu::TribesEmulator&) { s.entry->SetAddress(L"no-such-host.invalid"); },
            0, true, 1.0},
        // Wine reports the refusal to a later re-send rather than to a receive: within the budget.
        FailureCase{"ClosedLocalPort",
                    [](TestServer& s, tribes_emu::TribesEmulator&) { s.entry->SetPort(ClosedPort()); }, 0,
                    false, 3.0},
        FailureCase{
            "OversizedReply",
            [](TestServer&, tribes_emu::TribesEmulator& e) { e.SetBehaviour({ReplyMode::Oversized}); }, 1,
            false, 1.0}),
    [](const testing::TestParamInfo<FailureCase>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace integration
