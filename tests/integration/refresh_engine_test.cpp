// The refresh engine with the real plugin against fake Tribes servers on 127.0.0.1: sessions kept
// and reused while the list fits, batches within the bound past it, cancel. The host programs
// refresh only through it. (Its order around the pings running is its native test's.)
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>
#include <mutex>

#include "apps/shared/listed_server.h"
#include "host/runner/refresh_engine.h"
#include "tests/integration/plugin_host.h"
#include "tools/tribes_emu/emulator.h"

namespace integration {
namespace {

using Clock = std::chrono::steady_clock;
using ::testing::ElementsAre;
using tribes_emu::Behaviour;
using tribes_emu::ReplyMode;
using tribes_emu::TribesEmulator;

// What an engine reported, as the tests read it.
struct Seen {
    std::mutex mutex;
    std::vector<ServerKey> made;    // sessionMade
    std::vector<ServerKey> pinged;  // pinged, answered
    std::vector<std::vector<ServerKey>> batches;
    std::vector<RefreshEnd> ends;
};

class RefreshEngineTest : public ::testing::Test {
protected:
    // An engine over host.runner whose sessionMade goes to seen.
    std::unique_ptr<RefreshEngine> Engine(size_t mostSessions, WorkerPlan workers = RefreshWorkers(4, 1)) {
        EngineSettings settings;
        settings.mostSessions = mostSessions;
        settings.workers = workers;
        settings.countWindows = true;
        settings.sessionMade = [this](ServerKey key, HostedServer&) {
            std::lock_guard<std::mutex> hold(seen.mutex);
            seen.made.push_back(key);
        };
        return std::make_unique<RefreshEngine>(host.runner, std::move(settings));
    }
    // Lists the ports of emulator under keys first, first + 1, ...; the keys.
    static std::vector<ServerKey> List(RefreshEngine& engine, const TribesEmulator& emulator, ServerKey first,
                                       int budgetSeconds = 1) {
        std::vector<std::pair<ServerKey, MakeHostedServer>> listed;
        std::vector<ServerKey> keys;
        for (std::uint16_t port : emulator.Ports()) {
            keys.push_back(first + keys.size());
            listed.emplace_back(keys.back(), [port, budgetSeconds] {
                return HostListedServer(ServerAddress{"127.0.0.1", port}, budgetSeconds);
            });
        }
        engine.Add(std::move(listed));
        return keys;
    }
    RefreshReport Report() {
        RefreshReport report;
        report.pinged = [this](ServerKey key, HostedServer& server, const std::vector<double>&) {
            std::lock_guard<std::mutex> hold(seen.mutex);
            if (server.data->Status().recorded == RecordedOutcome::PlayerCount) seen.pinged.push_back(key);
        };
        report.batchDone = [this](const RefreshBatch& batch) {
            std::lock_guard<std::mutex> hold(seen.mutex);
            seen.batches.push_back(batch.keys);
        };
        report.ended = [this](const RefreshEnd& end) {
            std::lock_guard<std::mutex> hold(seen.mutex);
            seen.ends.push_back(end);
        };
        return report;
    }
    size_t NetworkWindowCount() const { return host.NetworkWindows(host.parentWindow).size(); }

    PluginHost host;
    Seen seen;
};

TEST_F(RefreshEngineTest, SessionsOfAListThatFitsAreMadeOnceAndReusedByEveryRefresh) {
    TribesEmulator servers(tribes_emu::DefaultServer(), Behaviour{}, std::vector<std::uint16_t>(3, 0));
    auto engine = Engine(10);
    const std::vector<ServerKey> keys = List(*engine, servers, 1);
    engine->Wait();
    const std::vector<HWND> windows = host.NetworkWindows(host.parentWindow);
    EXPECT_EQ(windows.size(), 3u);

    for (int refresh = 0; refresh < 2; ++refresh) engine->Refresh(keys, Report());
    engine->Wait();
    EXPECT_EQ(seen.made.size(), 3u);
    EXPECT_EQ(host.NetworkWindows(host.parentWindow), windows) << "sessions were made again";
    EXPECT_EQ(seen.pinged.size(), 6u);
    ASSERT_EQ(seen.ends.size(), 2u);
    for (const RefreshEnd& end : seen.ends) {
        EXPECT_EQ(end.done, 3u);
        EXPECT_FALSE(end.cancelled);
    }
    EXPECT_EQ(servers.QueryCount(), 6);

    // Unlisted: its session goes, and no later refresh pings it.
    engine->Remove({keys[0]});
    engine->Refresh(keys, Report());
    engine->Wait();
    EXPECT_EQ(NetworkWindowCount(), 2u);
    EXPECT_EQ(seen.ends.back().total, 2u);
    EXPECT_EQ(servers.QueryCountAt(0), 2);
}

TEST_F(RefreshEngineTest, ALongerListGoesInBatchesWithinTheBoundAndKeepsNoSession) {
    TribesEmulator servers(tribes_emu::DefaultServer(), Behaviour{}, std::vector<std::uint16_t>(5, 0));
    auto engine = Engine(2);
    const std::vector<ServerKey> keys = List(*engine, servers, 10);
    engine->Refresh(keys, Report());
    engine->Wait();

    EXPECT_THAT(seen.batches, ElementsAre(ElementsAre(10, 11), ElementsAre(12, 13), ElementsAre(14)));
    const RefreshPhases phases = engine->Phases();
    EXPECT_EQ(phases.batches, 3u);
    EXPECT_EQ(phases.mostWindows, 2u);
    EXPECT_EQ(NetworkWindowCount(), 0u);
    EXPECT_EQ(seen.pinged.size(), 5u);
    ASSERT_EQ(seen.ends.size(), 1u);
    EXPECT_EQ(seen.ends[0].done, 5u);

    // Shortened to the bound, the list's sessions are kept again.
    engine->Remove({10, 11, 12});
    engine->Refresh(keys, Report());
    engine->Wait();
    EXPECT_EQ(NetworkWindowCount(), 2u);
    EXPECT_EQ(seen.ends.back().done, 2u);
}

// Cancelled while silent servers are waited for: no new ping starts, neither in the batch nor
// in the batches after it, and the running ones end within their budget + 1 s.
TEST_F(RefreshEngineTest, CancelStartsNoNewPingAndEndsWithinTheBudget) {
    TribesEmulator silent(tribes_emu::DefaultServer(), Behaviour{ReplyMode::Silent},
                          std::vector<std::uint16_t>(12, 0));
    auto engine = Engine(8, WorkerPlan{2, 2});
    const std::vector<ServerKey> keys = List(*engine, silent, 1);
    engine->Refresh(keys, Report());
    ASSERT_TRUE(silent.WaitForQueries(1, std::chrono::seconds(10)));
    engine->Cancel();
    const Clock::time_point cancelled = Clock::now();
    engine->Wait();

    // Generous for a loaded machine: the budget is 1 s.
    EXPECT_LT(SecondsSince(cancelled), 4.0);
    ASSERT_EQ(seen.ends.size(), 1u);
    EXPECT_TRUE(seen.ends[0].cancelled);
    EXPECT_LT(seen.ends[0].done, 12u);
    int neverAsked = 0;
    for (size_t port = 0; port < 12; ++port) neverAsked += silent.QueryCountAt(port) == 0;
    EXPECT_GE(neverAsked, 8) << "pings went on after the cancel";
    EXPECT_EQ(NetworkWindowCount(), 0u);

    // A refresh asked after the cancel runs in full.
    seen.ends.clear();
    engine->Refresh({keys[0]}, Report());
    engine->Wait();
    ASSERT_EQ(seen.ends.size(), 1u);
    EXPECT_FALSE(seen.ends[0].cancelled);
    EXPECT_EQ(seen.ends[0].done, 1u);
}

}  // namespace
}  // namespace integration
