// Sixteen host threads ping sixteen sessions at once, each of its own server, for seconds on
// end: every ping shows its own server's reply and nothing of another's. Half the servers
// answer twice and some send strays meanwhile, so datagrams keep arriving outside the pings.
// TRIBES_LONG=1 runs for 10 s instead of 3 s.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>

#include "query/ping_outcome.h"
#include "tests/integration/reliability_support.h"
#include "tools/tribes_emu/emulator.h"

namespace integration {
namespace {

using std::chrono::milliseconds;
using tribes_emu::Behaviour;
using tribes_emu::ReplyMode;
using tribes_emu::ServerInfo;

constexpr int Threads = 16;
// Bounds each thread's loop by count as well as by time.
constexpr int MostPingsPerThread = 100000;

// Server n: its own name, map, limit and players, each player named after the server.
ServerInfo NumberedServer(int n) {
    ServerInfo info = tribes_emu::ServerWithPlayers(1 + n);
    const std::string number = std::to_string(n);
    info.serverName = "Server " + number;
    info.map = "Map " + number;
    info.playerLimit = static_cast<std::uint8_t>(40 + n);
    info.cpu = static_cast<std::uint16_t>(1000 + n);
    for (std::size_t i = 0; i < info.players.size(); ++i) {
        info.players[i].name = "s" + number + "p" + std::to_string(i);
    }
    return info;
}

Behaviour NumberedBehaviour(int n) {
    if (n % 2 == 0) return {ReplyMode::Double};
    Behaviour behaviour{ReplyMode::Delay};
    behaviour.delay = milliseconds(5 * (n % 4));
    if (n % 4 == 3) behaviour.strayEvery = milliseconds(7);
    return behaviour;
}

// What differs between the record and tables of server and the reply of info; empty if nothing.
std::string Mismatch(const TestServer& server, const ServerInfo& info) {
    const HostServerStatus status = server.data->Status();
    const std::wstring line = StatusLine(info.playerCount, info.playerLimit, Widen(info.serverName));
    if (status.statusText != line) {
        return "status " + std::string(status.statusText.begin(), status.statusText.end()) + " (" +
               std::string(status.statusDetail.begin(), status.statusDetail.end()) + ")";
    }
    if (status.serverName != Widen(info.serverName) || status.mapName != Widen(info.map)) {
        return "name or map";
    }
    const auto properties = server.data->Table(L"PropertiesTable").rows;
    if (properties.size() != 10) return std::to_string(properties.size()) + " property rows";
    if (properties[4][1].value_or(L"") != std::to_wstring(info.cpu)) return "cpu of another server";
    const auto users = server.data->Table(L"UsersTable").rows;
    if (users.size() != info.players.size()) return std::to_string(users.size()) + " player rows";
    for (std::size_t i = 0; i < users.size(); ++i) {
        if (users[i][0].value_or(L"") != Widen(info.players[i].name)) return "player " + std::to_string(i);
    }
    return {};
}

struct ThreadResult {
    int pings = 0;
    int wrong = 0;
    std::string firstWrong;
};

TEST(Parallel, SixteenThreadsPingTheirOwnSessionsWithoutCrossTalk) {
    PluginHost host;
    std::vector<ServerInfo> infos;
    std::vector<std::unique_ptr<tribes_emu::TribesEmulator>> emulators;
    std::vector<std::unique_ptr<TestServer>> servers;
    for (int n = 0; n < Threads; ++n) {
        infos.push_back(NumberedServer(n));
        emulators.push_back(std::make_unique<tribes_emu::TribesEmulator>(infos[n], NumberedBehaviour(n)));
        servers.push_back(std::make_unique<TestServer>(("server" + std::to_string(n)).c_str()));
        servers[n]->entry->SetJournal(nullptr);
        servers[n]->data->SetJournal(nullptr);
        servers[n]->entry->SetPort(emulators[n]->Port());
        host.CreateSession(*servers[n]);
    }
    const int socketsBefore = OpenSocketCount();
    const auto duration = std::chrono::seconds(ShortOrLong(3, 10));

    std::vector<ThreadResult> results(Threads);
    Watchdog watchdog;
    watchdog.Within(duration + std::chrono::seconds(30), "the parallel pings", [&] {
        const auto end = std::chrono::steady_clock::now() + duration;
        std::vector<std::thread> threads;
        for (int n = 0; n < Threads; ++n) {
            threads.emplace_back([&, n] {
                ThreadResult& result = results[n];
                while (std::chrono::steady_clock::now() < end && result.pings < MostPingsPerThread) {
                    host.Ping(*servers[n]);
                    ++result.pings;
                    const std::string mismatch = Mismatch(*servers[n], infos[n]);
                    if (!mismatch.empty() && result.wrong++ == 0) {
                        result.firstWrong = "ping " + std::to_string(result.pings) + ": " + mismatch;
                    }
                }
            });
        }
        for (std::thread& thread : threads) thread.join();
    });

    int total = 0;
    for (int n = 0; n < Threads; ++n) {
        total += results[n].pings;
        EXPECT_GT(results[n].pings, 0) << "server " << n;
        EXPECT_EQ(results[n].wrong, 0)
            << "server " << n << " of " << results[n].pings << " pings, first " << results[n].firstWrong;
        ExpectReplyShown(*servers[n], infos[n]);
        ExpectNothingHeld(*servers[n]);
        // Each ping's query reached its own server (a busy machine may add a re-send).
        EXPECT_GE(emulators[n]->QueryCount(), results[n].pings) << "server " << n;
    }
    std::printf("%d pings from %d threads in %lld s\n", total, Threads,
                static_cast<long long>(duration.count()));
    EXPECT_EQ(OpenSocketCount(), socketsBefore);
    EXPECT_TRUE(VtErrorReports().empty());
}

}  // namespace
}  // namespace integration
