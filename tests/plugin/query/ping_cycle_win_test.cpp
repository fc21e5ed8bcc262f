// Pings through the real plugin against the fake Tribes server on 127.0.0.1, one table of
// server behaviours: each ends in its outcome within the budget and one second, with the queries
// it needs, the record and both tables as that outcome leaves them, and nothing held. Three
// cases carry the whole write order of their ping; timing is checked in generous ranges.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "plugin/query/network_dlg.h"
#include "tests/plugin/plugin_host_win.h"
#include "tests/support/test_support.h"
#include "tools/tribes_emu/emulator.h"

namespace integration {
namespace {

using std::chrono::milliseconds;
using tribes_emu::Behaviour;
using tribes_emu::ReplyMode;
using tribes_emu::ServerInfo;

// What every ping journals before its first send, and after its outcome.
const std::wstring Opening =
    L"entry.AddRef|data.AddRef|entry.Lock|entry.GetAddress|entry.GetPort|entry.GetTimeout|entry.Unlock|"
    L"data.BeginUpdate|data.ClearTable(UsersTable)|data.ClearTable(PropertiesTable)";
const std::wstring Closing = L"data.EndUpdate|entry.Release|data.Release";
const std::wstring Clearing = L"data.ClearTable(UsersTable)|data.ClearTable(PropertiesTable)";
const std::wstring NoAnswer =
    L"data.SetMapName()|data.SetMaxPlayers(0)|data.SetPlayerCount(0)|data.RecordNoResponse";
const std::wstring FailureWrites = L"data.SetStatusDetail(*)|data.SetServerName(Failed to Communicate)|" +
                                   NoAnswer + L"|data.SetStatusText(Failed to Communicate)|" + Closing;

// A reply delay ms after each query, and a stray every strayEvery ms (0: none).
Behaviour Late(int ms, int strayEvery = 0, ReplyMode mode = ReplyMode::Delay) {
    Behaviour behaviour{mode, milliseconds(ms)};
    behaviour.strayEvery = milliseconds(strayEvery);
    return behaviour;
}

Behaviour CutAt(std::size_t length) {
    Behaviour behaviour{ReplyMode::Cut};
    behaviour.cutLength = length;
    return behaviour;
}

// The length of the reply of info with only its first players players.
std::size_t ReplyLengthWith(ServerInfo info, std::size_t players) {
    info.players.resize(players);
    return tribes_emu::BuildReply(info).size();
}

enum class Shown { Reply, Timeout, Failure };

struct BehaviourCase {
    const char* name;
    Behaviour before;  // the server for the ping before, which fills the tables
    Behaviour server;  // the server for the ping under test
    int budget;
    Shown shown;
    std::size_t playerRows;         // of a reply
    int queries;                    // the server gets
    double seconds[2];              // the least and most the ping takes
    std::wstring transcript = L"";  // empty: not checked
};

std::vector<BehaviourCase> Cases() {
    const ServerInfo info = tribes_emu::DefaultServer();
    const std::size_t all = info.players.size(), six = ReplyLengthWith(info, 6);
    Behaviour oversized{ReplyMode::Oversized};
    oversized.oversizedLength = 2001;  // one byte more than a receive takes
    const Behaviour n{}, silent{ReplyMode::Silent}, twice{ReplyMode::Double}, other{ReplyMode::OtherPort};
    const Shown reply = Shown::Reply, timeout = Shown::Timeout;
    const std::wstring answered =
        Opening + L"|...|data.SetStatusDetail(12/32 players on Alpha)|" +
        L"data.SetServerName(Alpha)|data.SetMapName(Raindance)|data.SetMaxPlayers(32)|" +
        L"data.SetPlayerCount(12)|data.RecordPlayerCount(12)|" +
        L"data.SetStatusText(12/32 players on Alpha)|" + Closing;
    const std::wstring failed = Opening + L"|" + Clearing + L"|" + FailureWrites;
    const std::wstring timedOut = Opening + L"|" + Clearing + L"|data.SetStatusDetail(Timeout)|" +
                                  L"data.SetServerName(Timeout)|" + NoAnswer +
                                  L"|data.SetStatusText(Timeout)|" + Closing;
    return {
        {"Answers", n, n, 2, reply, all, 1, {0, 1.0}, answered},
        {"SilentBudget2", n, silent, 2, timeout, 0, 3, {1.8, 3.0}, timedOut},
        // (Every budget's count and times, a budget below 1 too, are the pacing's own tests.)
        {"FromAnotherPort", n, other, 1, timeout, 0, 2, {0.8, 2.0}},
        // Strays come more often than a full wait lasts, so no wait runs out: nothing is re-sent,
        // and the cycle ends at its bound, budget plus one second.
        {"StraysFromASilentServer", n, Late(0, 300, ReplyMode::Silent), 1, timeout, 0, 1, {1.8, 2.6}},
        {"LateAmongStrays", n, Late(1500, 300), 2, reply, all, 1, {1.3, 2.5}},
        {"AnswersTheResend", n, Late(1500), 2, reply, all, 2, {1.3, 2.5}},
        // The late answer to the re-send before comes while this ping waits, to a socket it no
        // longer has.
        {"AfterALateTwin", Late(1500), Late(1200), 2, reply, all, 2, {1.0, 2.5}},
        // The second reply of a double comes after its ping: the next cycle must not take it.
        {"DoubleAfterDouble", twice, twice, 2, reply, all, 1, {0, 1.0}},
        // A team count of 255 ends the parse; the real reply's rows follow the seven it left.
        {"Team255First", n, {ReplyMode::Team255First}, 2, reply, all, 1, {0, 1.0}},
        {"CutInTheHeader", n, CutAt(30), 1, timeout, 0, 2, {0.8, 2.5}},
        {"CutAfterTheTeams", n, CutAt(ReplyLengthWith(info, 0)), 2, reply, 0, 1, {0, 1.0}},
        {"CutInASeventhName", n, CutAt(six + 5), 2, reply, 6, 1, {0, 1.0}},
        {"Oversized", n, oversized, 2, Shown::Failure, 0, 1, {0, 1.0}, failed},
    };
}

void PrintTo(const BehaviourCase& c, std::ostream* out) {
    *out << c.name;
}

class PingCycle : public testing::Test {
protected:
    void SetUp() override {
        server.entry->SetPort(emulator.Port());
        networkWindow = host.CreateSession(server);
    }
    // One ping, watched; its journal lines. Sets seconds.
    std::vector<std::wstring> Ping(int budget) {
        server.entry->SetTimeout(budget);
        const std::size_t mark = server.journal->Lines().size();
        test_support::Within(PingLimit(budget), "a ping",
                             [&] { seconds = SecondsOf([&] { EXPECT_EQ(host.Ping(server), 1); }); });
        return server.JournalSince(mark);
    }
    // The queries the server counted since mark, once they are expected or 2 s passed: the
    // server counts each on its own thread, and the last re-send of a timeout goes out right
    // before the outcome.
    int QueriesSince(int mark, int expected) {
        emulator.WaitForQueries(mark + expected, std::chrono::seconds(2));
        return emulator.QueryCount() - mark;
    }
    // Has the window thread handle the socket notifications queued for the network window. A
    // ping cancels its socket's notifications before it returns: what it left is queued by then.
    void HandleQueuedNotifications() {
        host.OnWindowThread([&] {
            MSG message;
            for (int taken = 0; taken < 100 && PeekMessageW(&message, networkWindow, WM_SOCKET_NOTIFY,
                                                            WM_SOCKET_NOTIFY, PM_REMOVE);
                 ++taken) {
                DispatchMessageW(&message);
            }
        });
    }
    // The wake-ups the network window raised that no cycle has taken.
    long PendingWakes() const {
        const LONG_PTR object = GetWindowLongPtrW(networkWindow, GWLP_USERDATA);
        const auto* dialog =
            static_cast<const CNetworkDlg*>(reinterpret_cast<window_framework::CDialogImplBase*>(object));
        return dialog ? dialog->PendingWakes() : -1;
    }

    ServerInfo info = tribes_emu::DefaultServer();
    tribes_emu::TribesEmulator emulator{info, Behaviour{}};
    PluginHost host;
    TestServer server{"alpha"};
    HWND networkWindow = nullptr;
    double seconds = 0;
};

class ServerBehaviour : public PingCycle, public testing::WithParamInterface<BehaviourCase> {};

TEST_P(ServerBehaviour, EndsInItsOutcomeWithItsQueriesInTime) {
    const BehaviourCase& c = GetParam();
    emulator.SetBehaviour(c.before);
    Ping(2);
    HandleQueuedNotifications();  // what came after that ping, such as a double's second reply
    emulator.SetBehaviour(c.server);
    const int mark = emulator.QueryCount();

    const std::vector<std::wstring> journal = Ping(c.budget);

    const int queries = QueriesSince(mark, c.queries);
    EXPECT_EQ(queries, c.queries);
    EXPECT_TRUE(seconds >= c.seconds[0] && seconds < c.seconds[1]) << seconds << " s";
    const bool early = c.server.mode == ReplyMode::Team255First;
    if (c.shown == Shown::Reply) ExpectReplyShown(server, info, c.playerRows, early ? 7 : 0);
    if (c.shown == Shown::Timeout) ExpectTimeoutShown(server);
    if (c.shown == Shown::Failure) ExpectFailureShown(server);
    ExpectNothingHeld(server);
    if (!c.transcript.empty()) {
        EXPECT_TRUE(Follows(journal, c.transcript)) << testing::PrintToString(journal);
    }
}

INSTANTIATE_TEST_SUITE_P(Integration, ServerBehaviour, testing::ValuesIn(Cases()),
                         [](const testing::TestParamInfo<BehaviourCase>& info) {
                             return std::string(info.param.name);
                         });

// The second reply of a double comes after its ping, and its notification can leave a count on
// the semaphore. A ping with a budget of 0 gets one wait: woken by that count, it would find
// nothing and end at once with the timeout outcome while its server was still about to answer.
TEST_F(PingCycle, Budget0AfterADoubleReplyWaitsForItsOwnAnswer) {
    emulator.SetBehaviour({ReplyMode::Double});
    Ping(2);
    // The second reply's notification leaves a count when it comes before the ping lets its
    // socket go; one more late notification, as the socket layer posts it, makes sure of one.
    PostMessageW(networkWindow, WM_SOCKET_NOTIFY, 0, MAKELPARAM(FD_READ, 0));
    HandleQueuedNotifications();
    ASSERT_GE(PendingWakes(), 1);
    emulator.SetBehaviour(Late(300));

    Ping(0);

    EXPECT_EQ(server.data->Status().statusText, L"12/32 players on Alpha");
    EXPECT_TRUE(seconds >= 0.2 && seconds < 1.0) << seconds << " s";
    ExpectReplyShown(server, info);
}

// Failures before the first send and after it: the socket layer's words, and the tables emptied
// by the outcome alone or after the opening's clearing too.
TEST_F(PingCycle, UnresolvableAddressAndClosedPortFailSayingWhy) {
    server.entry->SetAddress(L"no-such-host.invalid");
    EXPECT_TRUE(Follows(Ping(2), Opening + L"|" + FailureWrites));
    EXPECT_LT(seconds, 1.0);
    ExpectFailureShown(server);
    std::wstring notFound;  // the last error the host's resolve left
    KRNetUtil::getStringFromWinsockError(WSAHOST_NOT_FOUND, notFound);
    EXPECT_EQ(server.data->Status().statusDetail, notFound);

    // Wine reports the refusal to a later re-send rather than to a receive: within the budget.
    server.entry->SetAddress(L"127.0.0.1");
    tribes_emu::SocketLayer layer;
    server.entry->SetPort(tribes_emu::UdpEndpoint::BindLoopback(0).LocalPort());  // let go at once
    EXPECT_TRUE(Follows(Ping(2), Opening + L"|" + Clearing + L"|" + FailureWrites));
    EXPECT_LT(seconds, 3.0);
    ExpectFailureShown(server);
    ExpectNothingHeld(server);
}

TEST_F(PingCycle, ReplyOfExactlyTheBufferSizeCounts) {
    const std::size_t replyLength = tribes_emu::BuildReply(info).size();
    // The server pads with zero bytes, which read as empty five-byte player records.
    ASSERT_EQ((2000 - replyLength) % 5, 0u) << "pick a padding that ends on a record";
    Behaviour full{ReplyMode::Oversized};
    full.oversizedLength = 2000;
    emulator.SetBehaviour(full);

    Ping(2);

    EXPECT_EQ(server.data->Status().statusText, L"12/32 players on Alpha");
    const auto users = server.data->Table(L"UsersTable").rows;
    ASSERT_EQ(users.size(), info.players.size() + (2000 - replyLength) / 5);
    EXPECT_EQ(users[info.players.size() - 1][0].value_or(L""), L"Observer");
    EXPECT_EQ(users.back()[0].value_or(L"<unset>"), L"");
}

// Under load the window's thread may handle the notification of an earlier ping's datagram
// only after the next ping has begun: the count it leaves wakes a ping whose own socket has
// nothing yet. The ping waits on for its own reply.
TEST_F(PingCycle, WakeForAnEarlierSocketsDatagramFindsNothingAndThePingWaitsOn) {
    emulator.SetBehaviour(Late(400));
    server.entry->SetTimeout(2);
    ASSERT_NE(networkWindow, nullptr);

    test_support::Within(PingLimit(2), "a ping woken for nothing", [&] {
        std::thread pinger([&] { seconds = SecondsOf([&] { host.Ping(server); }); });
        EXPECT_TRUE(emulator.WaitForQueries(1, std::chrono::seconds(2)));
        PostMessageW(networkWindow, WM_SOCKET_NOTIFY, 0, WSAMAKESELECTREPLY(FD_READ, 0));
        pinger.join();
    });

    EXPECT_TRUE(seconds > 0.3 && seconds < 1.5) << seconds << " s";
    ExpectReplyShown(server, info);
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

}  // namespace
}  // namespace integration
