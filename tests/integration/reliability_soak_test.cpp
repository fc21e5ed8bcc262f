// Soak: many ping cycles on one session against a server that changes its misbehaviour from
// cycle to cycle, and many sessions created, pinged and removed in rounds. Handles, private
// bytes and sockets stay flat, and every start of the socket layer is matched by a clean-up.
// TRIBES_LONG=1 runs 10,000 cycles and 2,000 sessions instead of 300 and 200.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>

#include "owners/unique_resource.h"
#include "tests/integration/reliability_support.h"
#include "tools/tribes_emu/emulator.h"

namespace integration {
namespace {

using std::chrono::milliseconds;
using tribes_emu::Behaviour;
using tribes_emu::ReplyMode;

// Cycles before the first figures: the first ones warm up the heap and the socket layer.
constexpr int WarmUpCycles = 20;
// Some handles come and go with the system's own threads; a handle lost per cycle or per
// session would be hundreds.
constexpr long HandleSlack = 16;

// One cycle's server, and what the record must show after it.
struct ModeStep {
    const char* name;
    Behaviour behaviour;
    int budget;
    std::wstring statusText;
    std::size_t playerRows;
    std::size_t propertyRows;
};

std::vector<ModeStep> FastSteps(const tribes_emu::ServerInfo& info) {
    tribes_emu::ServerInfo firstSix = info;
    firstSix.players.resize(6);
    Behaviour cut{ReplyMode::Cut};
    cut.cutLength = tribes_emu::BuildReply(firstSix).size();
    Behaviour lateWithStrays{ReplyMode::Delay};
    lateWithStrays.delay = milliseconds(60);
    lateWithStrays.strayEvery = milliseconds(15);
    const std::wstring answered = L"12/32 players on Alpha";
    return {
        {"normal", {ReplyMode::Normal}, 2, answered, 12, 10},
        {"double", {ReplyMode::Double}, 2, answered, 12, 10},
        {"team255-first", {ReplyMode::Team255First}, 2, answered, 12, 17},
        {"cut after six players", cut, 2, answered, 6, 10},
        {"oversized", {ReplyMode::Oversized}, 2, L"Failed to Communicate", 0, 0},
        {"late among strays", lateWithStrays, 2, answered, 12, 10},
    };
}

std::vector<ModeStep> SlowSteps() {
    return {
        {"silent", {ReplyMode::Silent}, 1, L"Timeout", 0, 0},
        {"other-port", {ReplyMode::OtherPort}, 1, L"Timeout", 0, 0},
    };
}

void Report(const char* what, const ProcessFigures& first, const ProcessFigures& last) {
    std::printf("%s\n  first: %s\n  last:  %s\n", what, Describe(first).c_str(), Describe(last).c_str());
    std::fflush(stdout);
}

void ExpectFlat(const ProcessFigures& first, const ProcessFigures& last, SIZE_T privateSlack) {
    EXPECT_LE(static_cast<long>(last.handles), static_cast<long>(first.handles) + HandleSlack);
    EXPECT_LE(last.privateBytes, first.privateBytes + privateSlack);
    EXPECT_EQ(last.sockets, first.sockets);
}

TEST(Soak, PingCyclesAgainstChangingServersLeaveHandlesMemoryAndSocketsFlat) {
    const tribes_emu::ServerInfo info = tribes_emu::DefaultServer();
    tribes_emu::TribesEmulator emulator{info, {}};
    PluginHost host;
    TestServer server{"alpha"};
    // The journal would grow with every call and hide a leak of the plugin's.
    server.entry->SetJournal(nullptr);
    server.data->SetJournal(nullptr);
    server.entry->SetPort(emulator.Port());
    host.CreateSession(server);
    Watchdog watchdog;

    const int cycles = ShortOrLong(300, 10000);
    const std::vector<ModeStep> fast = FastSteps(info);
    const std::vector<ModeStep> slow = SlowSteps();
    ProcessFigures first;
    int wrong = 0;
    for (int cycle = 0; cycle < cycles; ++cycle) {
        if (cycle == WarmUpCycles) first = MeasureProcess();
        // A timing-out server every hundredth cycle: they take a second each.
        const ModeStep& step =
            cycle % 100 == 99 ? slow[(cycle / 100) % slow.size()] : fast[cycle % fast.size()];
        emulator.SetBehaviour(step.behaviour);
        server.entry->SetTimeout(step.budget);
        watchdog.Within(PingLimit(step.budget), std::string("soak cycle ") + step.name,
                        [&] { host.Ping(server); });

        const std::wstring statusText = server.data->Status().statusText;
        const std::size_t players = server.data->Table(L"UsersTable").rows.size();
        const std::size_t properties = server.data->Table(L"PropertiesTable").rows.size();
        if (statusText != step.statusText || players != step.playerRows || properties != step.propertyRows) {
            if (++wrong <= 5) {
                ADD_FAILURE() << "cycle " << cycle << " (" << step.name << "): status \""
                              << std::string(statusText.begin(), statusText.end()) << "\", " << players
                              << " player rows, " << properties << " property rows";
            }
        }
    }
    const ProcessFigures last = MeasureProcess();

    Report(("after " + std::to_string(cycles) + " cycles").c_str(), first, last);
    EXPECT_EQ(wrong, 0);
    ExpectNothingHeld(server);
    EXPECT_TRUE(VtErrorReports().empty());
    // 1 MiB over 280 cycles finds a leak of 4 KiB a cycle, over 10,000 one of 100 bytes.
    ExpectFlat(first, last, 1024 * 1024);
}

// Whether this process may make a socket, i.e. someone holds the socket layer started.
bool SocketLayerStarted() {
    return static_cast<bool>(owners::unique_socket(socket(AF_INET, SOCK_DGRAM, 0)));
}

TEST(Soak, SessionsCreatedPingedAndRemovedInRoundsBalanceEverything) {
    ASSERT_FALSE(SocketLayerStarted()) << "an earlier test left the socket layer started";
    // One start of our own: if the plugin cleaned up more often than it started, it would take
    // this one too.
    owners::unique_winsock ours = owners::unique_winsock::start(0x0202);
    ASSERT_TRUE(ours);
    const int rounds = 10;
    const int perRound = ShortOrLong(20, 200);
    {
        tribes_emu::TribesEmulator emulator{tribes_emu::DefaultServer(), {}};
        PluginHost host;
        Watchdog watchdog;
        ProcessFigures first;
        int wrong = 0;
        for (int round = 0; round < rounds; ++round) {
            std::vector<std::unique_ptr<TestServer>> servers;
            for (int i = 0; i < perRound; ++i) {
                const std::string handle = "r" + std::to_string(round) + "s" + std::to_string(i);
                servers.push_back(std::make_unique<TestServer>(handle.c_str()));
                servers.back()->entry->SetJournal(nullptr);
                servers.back()->data->SetJournal(nullptr);
                servers.back()->entry->SetPort(emulator.Port());
                if (!host.CreateSession(*servers.back())) ++wrong;
            }
            for (auto& server : servers) {
                watchdog.Within(PingLimit(2), "a ping of a new session", [&] { host.Ping(*server); });
                if (server->data->Status().statusText != L"12/32 players on Alpha") ++wrong;
            }
            // Both ways out: one by one, and all at once.
            if (round % 2 == 0) {
                for (auto& server : servers)
                    host.Send(CMD_REMOVE_SESSION, reinterpret_cast<WPARAM>(&server->handle));
            } else {
                host.Send(CMD_RELEASE_ALL);
            }
            for (auto& server : servers) {
                if (server->entry->RefCount() != 1 || server->data->RefCount() != 1) ++wrong;
            }
            if (!host.NetworkWindows(host.parentWindow).empty()) ++wrong;
            servers.clear();
            if (round == 0) first = MeasureProcess();
        }
        const ProcessFigures last = MeasureProcess();

        Report(("after " + std::to_string(rounds * perRound) + " sessions").c_str(), first, last);
        EXPECT_EQ(wrong, 0) << "sessions that did not set up, answer or let go";
        ExpectFlat(first, last, 1024 * 1024);
    }
    EXPECT_TRUE(SocketLayerStarted());  // ours is left
    ours.reset();
    EXPECT_FALSE(SocketLayerStarted()) << "a session's start of the socket layer was never cleaned up";
}

}  // namespace
}  // namespace integration
