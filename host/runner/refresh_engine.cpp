#include "host/runner/refresh_engine.h"

#include <algorithm>
#include <future>

#include "host/runner/elapsed_seconds.h"

namespace {

// The host objects of targets, in their order, as the runner takes them.
template <typename Targets>
std::vector<HostedServer*> ServersOf(const Targets& targets) {
    std::vector<HostedServer*> servers;
    servers.reserve(targets.size());
    for (const auto& target : targets) servers.push_back(target.server.get());
    return servers;
}

}  // namespace

RefreshEngine::RefreshEngine(PluginSessions& runner, EngineSettings settings)
    : runner_(runner), settings_(std::move(settings)) {}

RefreshEngine::~RefreshEngine() {
    Cancel();
}

bool RefreshEngine::Batched() const {
    return listed_.size() > std::max<size_t>(settings_.mostSessions, 1);
}

void RefreshEngine::Add(std::vector<std::pair<ServerKey, MakeHostedServer>> servers) {
    {
        std::lock_guard<std::mutex> hold(mutex_);
        for (auto& [key, make] : servers) listed_.try_emplace(key, Listed{std::move(make), nullptr, false});
    }
    jobs_.Post([this] { KeepWithinBound(); });
}

void RefreshEngine::Remove(const std::vector<ServerKey>& keys) {
    std::vector<Target> kept;
    {
        std::lock_guard<std::mutex> hold(mutex_);
        for (ServerKey key : keys) {
            const auto found = listed_.find(key);
            if (found == listed_.end()) continue;
            if (found->second.kept) kept.push_back(Target{key, found->second.hosted});
            listed_.erase(found);
        }
    }
    if (!kept.empty()) jobs_.Post([this, kept] { DropSessions(kept); });
}

void RefreshEngine::Refresh(std::vector<ServerKey> keys, RefreshReport report) {
    const std::uint64_t sequence = ++refreshesAsked_;
    jobs_.Post([this, keys = std::move(keys), sequence, report = std::move(report)] {
        RunRefresh(keys, sequence, report);
    });
}

void RefreshEngine::Cancel() {
    cancelledUpTo_ = refreshesAsked_.load();
}

void RefreshEngine::Wait() {
    while (!jobs_.Idle()) {
        std::promise<void> reached;
        std::future<void> ended = reached.get_future();
        jobs_.Post([&reached] { reached.set_value(); });
        ended.wait();
    }
}

RefreshPhases RefreshEngine::Phases() const {
    std::lock_guard<std::mutex> hold(mutex_);
    return phases_;
}

std::vector<RefreshEngine::Target> RefreshEngine::Targets(const std::vector<ServerKey>& keys) {
    std::vector<Target> targets;
    for (ServerKey key : keys) {
        MakeHostedServer make;
        {
            std::lock_guard<std::mutex> hold(mutex_);
            const auto found = listed_.find(key);
            if (found == listed_.end()) continue;
            if (found->second.hosted) {
                targets.push_back(Target{key, found->second.hosted});
                continue;
            }
            make = found->second.make;
        }
        // Made outside the lock; only this thread makes host objects, so no one else does meanwhile.
        std::shared_ptr<HostedServer> hosted = make();
        std::lock_guard<std::mutex> hold(mutex_);
        const auto found = listed_.find(key);
        if (found == listed_.end()) continue;  // unlisted meanwhile
        found->second.hosted = hosted;
        targets.push_back(Target{key, std::move(hosted)});
    }
    return targets;
}

void RefreshEngine::MakeSessions(const std::vector<Target>& targets, bool keep) {
    if (targets.empty()) return;
    const std::vector<HostedServer*> servers = ServersOf(targets);
    const double seconds = SecondsOf([&] { runner_.AddSessions(servers); });
    const size_t windows = settings_.countWindows ? runner_.PluginWindowCount() : 0;
    {
        std::lock_guard<std::mutex> hold(mutex_);
        phases_.createSeconds += seconds;
        phases_.mostWindows = std::max(phases_.mostWindows, windows);
        for (const Target& target : targets) {
            const auto found = listed_.find(target.key);
            if (keep && found != listed_.end()) found->second.kept = true;
        }
    }
    if (settings_.sessionMade) {
        for (const Target& target : targets) settings_.sessionMade(target.key, *target.server);
    }
}

void RefreshEngine::DropSessions(const std::vector<Target>& targets) {
    if (targets.empty()) return;
    const std::vector<HostedServer*> servers = ServersOf(targets);
    const double seconds = SecondsOf([&] { runner_.RemoveSessions(servers); });
    std::lock_guard<std::mutex> hold(mutex_);
    phases_.removeSeconds += seconds;
    for (const Target& target : targets) {
        const auto found = listed_.find(target.key);
        if (found != listed_.end()) found->second.kept = false;
    }
}

void RefreshEngine::KeepWithinBound() {
    std::vector<ServerKey> missing;
    std::vector<Target> kept;
    bool batched = false;
    {
        std::lock_guard<std::mutex> hold(mutex_);
        batched = Batched();
        for (const auto& [key, listed] : listed_) {
            if (listed.kept) {
                kept.push_back(Target{key, listed.hosted});
            } else {
                missing.push_back(key);
            }
        }
    }
    // Past the bound every refresh goes in batches, whose sessions live only for the batch.
    if (batched) {
        DropSessions(kept);
    } else {
        MakeSessions(Targets(missing), true);
    }
}

void RefreshEngine::RunRefresh(const std::vector<ServerKey>& keys, std::uint64_t sequence,
                               const RefreshReport& report) {
    const auto start = std::chrono::steady_clock::now();
    // Sessions are made once and kept while the list fits; those missing are made now.
    KeepWithinBound();
    std::vector<ServerKey> keptKeys;
    std::vector<ServerKey> visitorKeys;
    {
        std::lock_guard<std::mutex> hold(mutex_);
        for (ServerKey key : keys) {
            const auto found = listed_.find(key);
            if (found == listed_.end()) continue;
            (found->second.kept ? keptKeys : visitorKeys).push_back(key);
        }
    }
    const std::vector<Target> kept = Targets(keptKeys);
    const size_t total = kept.size() + visitorKeys.size();
    const size_t batchSize = std::max<size_t>(settings_.mostSessions, 1);
    std::atomic<size_t> done{0};
    if (!kept.empty()) PingBatch(kept, sequence, done, total, report, true);
    for (size_t first = 0; first < visitorKeys.size() && cancelledUpTo_ < sequence; first += batchSize) {
        const std::vector<ServerKey> batchKeys(
            visitorKeys.begin() + static_cast<std::ptrdiff_t>(first),
            visitorKeys.begin() +
                static_cast<std::ptrdiff_t>(std::min(visitorKeys.size(), first + batchSize)));
        PingBatch(Targets(batchKeys), sequence, done, total, report, false);
    }

    RefreshEnd end;
    end.done = done;
    end.total = total;
    end.seconds = SecondsSince(start);
    end.cancelled = cancelledUpTo_ >= sequence && end.done < total;
    if (report.ended) report.ended(end);
}

void RefreshEngine::PingBatch(const std::vector<Target>& targets, std::uint64_t sequence,
                              std::atomic<size_t>& done, size_t total, const RefreshReport& report,
                              bool sessionsKept) {
    if (!sessionsKept) MakeSessions(targets, false);
    RefreshBatch batch;
    for (const Target& target : targets) {
        batch.keys.push_back(target.key);
        batch.servers.push_back(target.server);
    }
    const std::vector<HostedServer*> servers = ServersOf(targets);
    PingWork work;
    work.pinged = [&](size_t index, const std::vector<double>& pingMs) {
        ++done;
        if (report.pinged) report.pinged(targets[index].key, *targets[index].server, pingMs);
    };
    if (report.progress) work.progress = [&](size_t) { report.progress(done, total); };
    work.stopped = [&] { return cancelledUpTo_ >= sequence; };
    batch.times = runner_.PingAll(servers, settings_.count, settings_.workers, work);
    {
        std::lock_guard<std::mutex> hold(mutex_);
        phases_.refreshSeconds += batch.times.wallSeconds;
        phases_.mostThreads = std::max(phases_.mostThreads, batch.times.mostThreads);
        ++phases_.batches;
    }
    if (!sessionsKept) DropSessions(targets);
    if (report.batchDone) report.batchDone(batch);
}

void RefreshEngine::Command(ServerKey key, WorkQueue& lane, std::function<void(HostedServer&)> send) {
    const auto keptServer = [this, key]() -> std::shared_ptr<HostedServer> {
        std::lock_guard<std::mutex> hold(mutex_);
        const auto found = listed_.find(key);
        return found != listed_.end() && found->second.kept ? found->second.hosted : nullptr;
    };
    lane.Post([this, key, send, keptServer] {
        if (const std::shared_ptr<HostedServer> kept = keptServer()) {
            send(*kept);
            return;
        }
        jobs_.Post([this, key, send, keptServer] {
            if (const std::shared_ptr<HostedServer> kept = keptServer()) {
                send(*kept);
                return;
            }
            const std::vector<Target> alone = Targets({key});
            if (alone.empty()) return;
            MakeSessions(alone, false);
            send(*alone.front().server);
            DropSessions(alone);
        });
    });
}
