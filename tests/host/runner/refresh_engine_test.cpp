#include "host/runner/refresh_engine.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <map>
#include <memory>
#include <thread>

using ::testing::ElementsAre;

namespace {

// Waits at most 5 s for done().
template <class Done>
bool WaitFor(Done done) {
    for (int i = 0; i < 500 && !done(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return done();
}

// A plugin as the engine meets it, lockless as ours: a ping reads its session and writes its host
// objects once the test lets it end. It counts sessions made or removed while a ping ran; under the
// sanitizers, a session or host object freed under a ping is a use after free.
class LocklessPlugin final : public PluginSessions {
public:
    void AddSessions(const std::vector<HostedServer*>& servers) override {
        changedWhilePinging += pinging.load();
        for (HostedServer* server : servers) sessions[server] = std::make_unique<std::wstring>(L"pinged");
        made += static_cast<int>(servers.size());
    }
    void RemoveSessions(const std::vector<HostedServer*>& servers) override {
        changedWhilePinging += pinging.load();
        for (HostedServer* server : servers) sessions.erase(server);
    }
    RefreshTimes PingAll(const std::vector<HostedServer*>& servers, int count, WorkerPlan workers,
                         const PingWork& work) override {
        PingWork held = work;
        held.ping = [&](size_t index) {
            const std::wstring* session = sessions.at(servers[index]).get();
            ++pinging;
            WaitFor([&] { return release.load(); });
            servers[index]->data->SetStatusText(*session);
            --pinging;
        };
        return RefreshServers(servers.size(), count, workers, held);
    }
    size_t PluginWindowCount() override { return sessions.size(); }

    std::map<HostedServer*, std::unique_ptr<std::wstring>> sessions;
    std::atomic<int> pinging{0}, changedWhilePinging{0}, made{0};
    std::atomic<bool> release{false};
};

// An engine that keeps two sessions at the most, over a LocklessPlugin, and what it reported.
class RefreshEngineTest : public testing::Test {
protected:
    RefreshEngineTest() {
        report.pinged = [this](ServerKey, HostedServer& server, const std::vector<double>&) {
            pinged += server.data->Status().statusText == L"pinged";
        };
        report.batchDone = [this](const RefreshBatch& batch) { batches.push_back(batch.keys); };
        report.ended = [this](const RefreshEnd& end) { ends.push_back(end); };
    }
    void Start(int workers) {
        EngineSettings settings;
        settings.mostSessions = 2;
        settings.workers = WorkerPlan{workers, workers};
        settings.countWindows = true;
        engine = std::make_unique<RefreshEngine>(plugin, settings);
    }
    void List(std::vector<ServerKey> keys) {
        for (ServerKey key : keys)
            engine->Add({{key, [key] { return std::make_unique<HostedServer>(std::to_string(key)); }}});
    }

    LocklessPlugin plugin;
    std::unique_ptr<RefreshEngine> engine;
    RefreshReport report;
    std::atomic<int> pinged{0};
    std::vector<std::vector<ServerKey>> batches;  // written on the engine's thread, read once it waits
    std::vector<RefreshEnd> ends;
};

// While the list fits, each session is made once and kept; past the bound every refresh goes a
// batch at a time and keeps none; shortened again, the list's sessions are kept. A cancel starts
// no new ping, in its batch or the next; a refresh asked after it runs in full.
TEST_F(RefreshEngineTest, SessionsKeptWhileTheListFitsBatchesPastItAndCancel) {
    plugin.release = true;
    Start(1);
    List({1, 2});
    engine->Refresh({1}, report);
    engine->Refresh({1, 2}, report);  // in the order asked
    engine->Wait();
    EXPECT_EQ(plugin.made, 2);
    List({3, 4, 5});
    engine->Refresh({1, 2, 3, 4, 5}, report);
    engine->Wait();
    EXPECT_THAT(batches, ElementsAre(ElementsAre(1), ElementsAre(1, 2), ElementsAre(1, 2), ElementsAre(3, 4),
                                     ElementsAre(5)));
    EXPECT_EQ(engine->Phases().mostWindows, 2u);
    EXPECT_TRUE(plugin.sessions.empty());
    EXPECT_EQ(pinged, 8);
    engine->Remove({1, 2, 3});
    engine->Refresh({4, 5}, report);
    engine->Wait();
    EXPECT_EQ(plugin.sessions.size(), 2u);

    List({6, 7, 8});
    plugin.release = false;
    const int made = plugin.made;
    engine->Refresh({4, 5, 6, 7, 8}, report);
    ASSERT_TRUE(WaitFor([&] { return plugin.pinging == 1; }));
    engine->Cancel();
    plugin.release = true;
    engine->Refresh({4}, report);
    engine->Wait();
    ASSERT_EQ(ends.size(), 6u);
    EXPECT_TRUE(ends[4].cancelled && ends[4].done == 1) << ends[4].done;
    EXPECT_TRUE(!ends[5].cancelled && ends[5].done == 1) << ends[5].done;
    EXPECT_EQ(plugin.made, made + 3) << "sessions made for the batches after the cancel";
}

// While pings run: a server unlisted (its session kept) and one listed, whose sessions go and come
// after the pings; then the engine ended (sessions made for a batch), which waits for the pings and
// drops the jobs behind them. Nothing a ping uses goes before it ends.
TEST_F(RefreshEngineTest, ListingUnlistingAndItsEndWaitForThePingsRunning) {
    Start(2);
    List({1, 2});
    engine->Refresh({1, 2}, report);
    ASSERT_TRUE(WaitFor([&] { return plugin.pinging == 2; }));
    engine->Remove({1});
    List({3});
    engine->Refresh({3}, report);
    std::this_thread::sleep_for(std::chrono::milliseconds(50));  // time to go wrong
    plugin.release = true;
    engine->Wait();
    EXPECT_EQ(pinged, 3);
    EXPECT_EQ(plugin.sessions.size(), 2u);

    plugin.release = false;
    List({4});  // past the bound: sessions a batch at a time
    engine->Refresh({2, 3, 4}, report);
    ASSERT_TRUE(WaitFor([&] { return plugin.pinging == 2; }));
    engine->Refresh({2}, report);  // waits behind: dropped when the engine ends
    std::atomic<bool> ended{false};
    std::thread ending([&] {
        engine.reset();
        ended = true;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_FALSE(ended) << "the engine ended while pings ran";
    plugin.release = true;
    ending.join();
    EXPECT_EQ(pinged, 5);
    EXPECT_EQ(ends.size(), 3u);
    EXPECT_EQ(plugin.changedWhilePinging, 0);
}

}  // namespace
