// The one refresh engine of the host programs: a list of servers kept across refreshes, their
// sessions made through the runner, refreshes in batches within the bound on live sessions,
// cancel, progress and results as they come. Portable: it meets the runner as PluginSessions.
//
// Sessions: while the whole list fits within mostSessions, each server's session is made once
// (when it is listed) and kept for every later refresh. Past the bound, the sessions kept are
// removed and every refresh makes and removes them a batch at a time.
//
// Order: servers are listed and unlisted, sessions made and removed, and refreshes run, one job
// after another on the engine's own thread, so no session is made or removed while any ping
// runs (the plugin's session registry has no lock) and the caller never waits for a refresh.
// A server listed while a refresh runs is queued: its session is made once that refresh has
// ended, and the refreshes asked after it ping it. A refresh of one server (a watch that pings it
// every few seconds) reuses its kept session and waits only for the jobs asked before it.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

#include "host/runner/plugin_sessions.h"
#include "host/runner/work_queue.h"

// A caller's name for a listed server; the engine never makes one up.
using ServerKey = std::uint64_t;

// Makes a listed server's host objects, when the engine first needs them (its first session).
using MakeHostedServer = std::function<std::unique_ptr<HostedServer>()>;

struct EngineSettings {
    size_t mostSessions = DefaultMostSessions;  // sessions alive at once, at the most
    WorkerPlan workers = RefreshWorkers(0, 1);
    int count = 1;  // pings of each server in a refresh, one after another
    // Count the plugin's windows after sessions are made (RefreshPhases::mostWindows). Each count
    // asks Wine's server once per window: off unless someone reads it.
    bool countWindows = false;
    // After a server's session was made, on the engine's thread (the offered launch options are
    // in its entry then).
    std::function<void(ServerKey, HostedServer&)> sessionMade;
};

struct RefreshEnd {
    size_t done = 0;   // servers pinged
    size_t total = 0;  // servers asked for that were listed
    bool cancelled = false;
    double seconds = 0;  // from the refresh's start on the engine's thread to its end
};

// A batch of a refresh: its servers in the order asked, with their ping times.
struct RefreshBatch {
    std::vector<ServerKey> keys;
    std::vector<std::shared_ptr<HostedServer>> servers;
    RefreshTimes times;
};

// What a refresh tells as it goes; each part may be left empty.
struct RefreshReport {
    // A server's pings are all done, its session still made: on the pinging workers, several at once.
    std::function<void(ServerKey, HostedServer&, const std::vector<double>& pingMs)> pinged;
    // done of total servers pinged: on the engine's thread, at least ten times a second while pings run.
    std::function<void(size_t done, size_t total)> progress;
    // A batch, once its pings ended and any session made only for it is removed: on the engine's
    // thread.
    std::function<void(const RefreshBatch&)> batchDone;
    std::function<void(const RefreshEnd&)> ended;  // on the engine's thread
};

class RefreshEngine {
public:
    RefreshEngine(PluginSessions& runner, EngineSettings settings);
    // Cancels the refreshes asked, drops the jobs not started and waits for the one running.
    ~RefreshEngine();
    RefreshEngine(const RefreshEngine&) = delete;
    RefreshEngine& operator=(const RefreshEngine&) = delete;

    // Lists servers (a key already listed is left as it is).
    void Add(std::vector<std::pair<ServerKey, MakeHostedServer>> servers);
    // Unlists servers at once: no refresh asked later pings them, and their host objects go once
    // no job holds them. Their kept sessions are removed behind the jobs asked before.
    void Remove(const std::vector<ServerKey>& keys);
    // Refreshes the listed servers among keys, behind the jobs asked before.
    void Refresh(std::vector<ServerKey> keys, RefreshReport report);
    // Every refresh asked so far starts no new ping; the pings running end by themselves.
    void Cancel();
    // send(server) with a session made for the server: on lane when its session is kept, otherwise
    // on the engine's thread in a session made for it and removed after. Nothing when not listed.
    // A command that may wait (a launch's message box) goes on a lane of its own.
    void Command(ServerKey key, WorkQueue& lane, std::function<void(HostedServer&)> send);

    // No job running or waiting.
    bool Idle() const { return jobs_.Idle(); }
    // Waits until no job runs or waits, those the jobs asked included.
    void Wait();
    // Where the jobs so far spent their time.
    RefreshPhases Phases() const;

private:
    struct Listed {
        MakeHostedServer make;
        std::shared_ptr<HostedServer> hosted;  // made with the first session
        bool kept = false;                     // its session stays made between refreshes
    };
    struct Target {
        ServerKey key;
        std::shared_ptr<HostedServer> server;
    };

    bool Batched() const;  // with mutex_: more servers listed than sessions may live at once
    // On the engine's thread: host objects made where missing; sessions made or removed.
    std::vector<Target> Targets(const std::vector<ServerKey>& keys);
    void MakeSessions(const std::vector<Target>& targets, bool keep);
    void DropSessions(const std::vector<Target>& targets);
    void KeepWithinBound();
    void RunRefresh(const std::vector<ServerKey>& keys, std::uint64_t sequence, const RefreshReport& report);
    // Pings targets and reports them as a batch.
    void PingBatch(const std::vector<Target>& targets, std::uint64_t sequence, std::atomic<size_t>& done,
                   size_t total, const RefreshReport& report, bool sessionsKept);

    PluginSessions& runner_;
    const EngineSettings settings_;

    mutable std::mutex mutex_;  // listed_, phases_
    std::map<ServerKey, Listed> listed_;
    RefreshPhases phases_;

    std::atomic<std::uint64_t> refreshesAsked_{0};
    std::atomic<std::uint64_t> cancelledUpTo_{0};
    WorkQueue jobs_;  // declared last: it ends first, before what its jobs use
};
