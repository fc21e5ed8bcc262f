// Hostile servers: each misbehaviour of the fake server ends in its outcome within the budget
// and one second, with the record and both tables as that outcome leaves them, and the session
// still good for the next ping.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>

#include "query/network_dlg.h"
#include "tests/integration/reliability_support.h"
#include "tools/tribes_emu/emulator.h"

namespace integration {
namespace {

using std::chrono::milliseconds;
using tribes_emu::Behaviour;
using tribes_emu::ReplyMode;
using tribes_emu::ServerInfo;

Behaviour Delayed(milliseconds delay, milliseconds strayEvery = milliseconds(0)) {
    Behaviour behaviour{ReplyMode::Delay};
    behaviour.delay = delay;
    behaviour.strayEvery = strayEvery;
    return behaviour;
}

class HostileServer : public testing::Test {
protected:
    void SetUp() override {
        server.entry->SetPort(emulator.Port());
        networkWindow = host.CreateSession(server);
    }
    // One ping under the watchdog; sets seconds.
    void Ping(int budget) {
        server.entry->SetTimeout(budget);
        watchdog.Within(PingLimit(budget), "a ping",
                        [&] { seconds = Timed([&] { EXPECT_EQ(host.Ping(server), 1); }); });
    }
    // A good reply first, so the outcome under test has rows to clear.
    void FillTables() {
        Ping(2);
        ASSERT_EQ(server.data->Table(L"UsersTable").rows.size(), info.players.size());
    }
    int QueriesSince(int mark) {
        // The server counts each query on its own thread, and the last re-send of a timeout
        // goes out right before the outcome.
        Sleep(100);
        return emulator.QueryCount() - mark;
    }

    ServerInfo info = tribes_emu::DefaultServer();
    tribes_emu::TribesEmulator emulator{info, Behaviour{}};
    PluginHost host;
    TestServer server{"alpha"};
    Watchdog watchdog;
    HWND networkWindow = nullptr;
    double seconds = 0;
};

// A budget below 1 still waits one full second and re-sends once before giving up.
class SilentServer : public HostileServer, public testing::WithParamInterface<int> {};

TEST_P(SilentServer, TimesOutAfterOneFullWaitAndOneResendWhateverTheSmallBudget) {
    FillTables();
    emulator.SetBehaviour({ReplyMode::Silent});
    const int mark = emulator.QueryCount();

    Ping(GetParam());

    EXPECT_EQ(QueriesSince(mark), 2);
    EXPECT_TRUE(seconds > 0.8 && seconds < 2.5) << seconds << " s";
    ExpectTimeoutShown(server);
    ExpectNothingHeld(server);
}

INSTANTIATE_TEST_SUITE_P(Budgets, SilentServer, testing::Values(1, 0, -3));

TEST_F(HostileServer, ReplyAfterTheFirstResendSucceedsAndItsTwinLeavesTheNextPingAlone) {
    emulator.SetBehaviour(Delayed(milliseconds(1500)));

    Ping(2);

    EXPECT_TRUE(seconds > 1.3 && seconds < 2.5) << seconds << " s";
    EXPECT_EQ(emulator.QueryCount(), 2);  // the first query and one re-send, each answered late
    ExpectReplyShown(server, info);

    // The answer to the re-send comes a second after the outcome, while the next ping waits,
    // addressed to the socket that ping no longer has.
    emulator.SetBehaviour(Delayed(milliseconds(1200)));
    Ping(2);
    EXPECT_TRUE(seconds > 1.0 && seconds < 2.5) << seconds << " s";
    ExpectReplyShown(server, info);
    ExpectNothingHeld(server);
}

TEST_F(HostileServer, DoubleRepliesBackToBackGiveOneReplysRowsEachTime) {
    emulator.SetBehaviour({ReplyMode::Double});
    for (int cycle = 0; cycle < 5; ++cycle) {
        Ping(2);
        EXPECT_LT(seconds, 1.0) << "cycle " << cycle;
        ExpectReplyShown(server, info);
    }
    EXPECT_EQ(QueriesSince(0), 5);  // no second reply was taken for another query's
    ExpectNothingHeld(server);
}

// Under load the window's thread may handle the notification of an earlier ping's datagram (the
// twin of a double reply, say) only after the next ping has begun: the count it leaves wakes a
// ping whose own socket has nothing yet. The ping waits on for its own reply.
TEST_F(HostileServer, WakeForAnEarlierSocketsDatagramFindsNothingAndThePingWaitsOn) {
    emulator.SetBehaviour(Delayed(milliseconds(400)));
    server.entry->SetTimeout(2);
    ASSERT_NE(networkWindow, nullptr);

    watchdog.Within(PingLimit(2), "a ping woken for nothing", [&] {
        std::thread pinger([&] { seconds = Timed([&] { host.Ping(server); }); });
        EXPECT_TRUE(emulator.WaitForQueries(1, std::chrono::seconds(2)));
        PostMessageW(networkWindow, WM_SOCKET_NOTIFY, 0, WSAMAKESELECTREPLY(FD_READ, 0));
        pinger.join();
    });

    EXPECT_TRUE(seconds > 0.3 && seconds < 1.5) << seconds << " s";
    ExpectReplyShown(server, info);
    ExpectNothingHeld(server);
}

// Strays come more often than a full wait lasts, so no wait runs out: nothing is re-sent.
TEST_F(HostileServer, StraysEvery300msNeitherResendNorHideALateReply) {
    emulator.SetBehaviour(Delayed(milliseconds(1500), milliseconds(300)));

    Ping(2);

    EXPECT_TRUE(seconds > 1.3 && seconds < 2.5) << seconds << " s";
    EXPECT_EQ(QueriesSince(0), 1);
    ExpectReplyShown(server, info);
}

// The same strays keep a silent server's cycle from counting its re-sends down; the cycle
// then ends at its bound, budget plus one second.
TEST_F(HostileServer, StraysEvery300msFromASilentServerEndInTimeoutAtTheBound) {
    FillTables();
    Behaviour strays{ReplyMode::Silent};
    strays.strayEvery = milliseconds(300);
    emulator.SetBehaviour(strays);
    const int mark = emulator.QueryCount();

    Ping(1);

    EXPECT_TRUE(seconds > 1.8 && seconds < 2.6) << seconds << " s";
    EXPECT_EQ(QueriesSince(mark), 1);
    ExpectTimeoutShown(server);
    ExpectNothingHeld(server);
}

TEST_F(HostileServer, ReplyOfExactlyTheBufferSizeCountsAndOneByteMoreFails) {
    const std::size_t replyLength = tribes_emu::BuildReply(info).size();
    // The server pads with zero bytes, which read as empty five-byte player records.
    ASSERT_EQ((2000 - replyLength) % 5, 0u) << "pick a padding that ends on a record";
    Behaviour full{ReplyMode::Oversized};
    full.oversizedLength = 2000;
    emulator.SetBehaviour(full);

    Ping(2);

    EXPECT_LT(seconds, 1.0);
    EXPECT_EQ(server.data->Status().statusText, L"12/32 players on Alpha");
    const auto users = server.data->Table(L"UsersTable").rows;
    ASSERT_EQ(users.size(), info.players.size() + (2000 - replyLength) / 5);
    EXPECT_EQ(users[info.players.size() - 1][0].value_or(L""), L"Observer");
    EXPECT_EQ(users.back()[0].value_or(L"<unset>"), L"");

    Behaviour over = full;
    over.oversizedLength = 2001;
    emulator.SetBehaviour(over);
    Ping(2);
    EXPECT_LT(seconds, 1.0);
    EXPECT_EQ(QueriesSince(0), 2);  // the failure re-sends nothing
    ExpectFailureShown(server);

    emulator.SetBehaviour({});
    Ping(2);
    ExpectReplyShown(server, info);
    ExpectNothingHeld(server);
}

TEST_F(HostileServer, TeamCount255FirstLeavesItsSevenRowsBeforeTheFullReply) {
    emulator.SetBehaviour({ReplyMode::Team255First});

    Ping(2);

    EXPECT_LT(seconds, 1.0);
    ExpectReplyShown(server, info, info.players.size(), 7);
    const auto properties = server.data->Table(L"PropertiesTable").rows;
    const wchar_t* const early[] = {L"gamename", L"version", L"dedicated", L"needpass",
                                    L"cpu",      L"mods",    L"game"};
    for (std::size_t row = 0; row < 7; ++row) {
        EXPECT_EQ(properties[row][0].value_or(L""), early[row]);
        EXPECT_EQ(properties[row + 7][0].value_or(L""), early[row]);  // the full reply's own
    }
}

TEST_F(HostileServer, ReplyFromAnotherPortIsIgnoredUntilTimeout) {
    FillTables();
    emulator.SetBehaviour({ReplyMode::OtherPort});
    const int mark = emulator.QueryCount();

    Ping(1);

    EXPECT_TRUE(seconds > 0.8 && seconds < 2.0) << seconds << " s";
    EXPECT_EQ(QueriesSince(mark), 2);
    ExpectTimeoutShown(server);
    ExpectNothingHeld(server);
}

// Where the reply of info ends its team section, and where each player record's name ends.
struct ReplyLayout {
    std::size_t playersStart = 0;
    std::vector<std::size_t> nameEnds;
};

ReplyLayout LayoutOf(ServerInfo info) {
    ReplyLayout layout;
    const auto players = info.players;
    info.players.clear();
    layout.playersStart = tribes_emu::BuildReply(info).size();
    for (const auto& player : players) {
        const std::size_t start = tribes_emu::BuildReply(info).size();
        layout.nameEnds.push_back(start + 4 + player.name.size());
        info.players.push_back(player);
    }
    return layout;
}

// What a ping of a reply cut to length shows: -1 for the timeout outcome, else the player rows.
struct CutResult {
    int playerRows = -2;
    std::wstring statusText;
    std::wstring lastName;
};

// Every prefix of a realistic reply, one ping each, spread over sessions pinged in parallel so
// the many that time out (budget 1) overlap. A prefix that stops before the player records
// never completes; one that reaches them is a complete reply of the players whose names it
// holds whole.
TEST(CutReplies, EveryLengthEndsInTimeoutOrInTheWholePlayersItHolds) {
    const ServerInfo info = tribes_emu::DefaultServer();
    const std::size_t length = tribes_emu::BuildReply(info).size();
    const ReplyLayout layout = LayoutOf(info);
    constexpr int Workers = 16;
    PluginHost host;
    std::vector<std::unique_ptr<TestServer>> servers;
    std::vector<std::unique_ptr<tribes_emu::TribesEmulator>> emulators;
    Behaviour cut{ReplyMode::Cut};
    for (int w = 0; w < Workers; ++w) {
        emulators.push_back(std::make_unique<tribes_emu::TribesEmulator>(info, cut));
        servers.push_back(std::make_unique<TestServer>(("cut" + std::to_string(w)).c_str()));
        servers[w]->entry->SetPort(emulators[w]->Port());
        servers[w]->entry->SetTimeout(1);
        host.CreateSession(*servers[w]);
    }

    std::vector<CutResult> results(length + 1);
    std::atomic<std::size_t> next{0};
    Watchdog watchdog;
    watchdog.Within(std::chrono::seconds(90), "the cut replies", [&] {
        std::vector<std::thread> threads;
        for (int w = 0; w < Workers; ++w) {
            threads.emplace_back([&, w] {
                Behaviour mine = cut;
                for (std::size_t cutAt; (cutAt = next++) <= length;) {
                    mine.cutLength = cutAt;
                    emulators[w]->SetBehaviour(mine);
                    host.Ping(*servers[w]);
                    const HostServerStatus status = servers[w]->data->Status();
                    const auto users = servers[w]->data->Table(L"UsersTable").rows;
                    results[cutAt].statusText = status.statusText;
                    results[cutAt].playerRows =
                        status.statusText == L"Timeout" ? -1 : static_cast<int>(users.size());
                    if (!users.empty()) results[cutAt].lastName = users.back()[0].value_or(L"<unset>");
                }
            });
        }
        for (std::thread& thread : threads) thread.join();
    });

    for (std::size_t cutAt = 0; cutAt <= length; ++cutAt) {
        int rows = -1;
        if (cutAt >= layout.playersStart) {
            rows = static_cast<int>(std::count_if(layout.nameEnds.begin(), layout.nameEnds.end(),
                                                  [&](std::size_t end) { return end <= cutAt; }));
        }
        EXPECT_EQ(results[cutAt].playerRows, rows) << "cut at " << cutAt << ": " << results[cutAt].statusText;
        if (rows >= 0) {
            EXPECT_EQ(results[cutAt].statusText, L"12/32 players on Alpha") << "cut at " << cutAt;
        }
        if (rows > 0) {
            EXPECT_EQ(results[cutAt].lastName, Widen(info.players[rows - 1].name)) << "cut at " << cutAt;
        }
    }
    for (const auto& server : servers) ExpectNothingHeld(*server);
}

}  // namespace
}  // namespace integration
