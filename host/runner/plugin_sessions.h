// The plugin as the refresh engine drives it: sessions made and removed, pings on a pool. The
// runner is it in every host program; portable, so the engine also runs natively, against a
// plugin of a test's that holds it to the plugin's contract (no session made or removed while a
// ping runs).
#pragma once

#include <cstddef>
#include <vector>

#include "host/runner/hosted_server.h"
#include "host/runner/refresh.h"

// The sessions a runner keeps alive at once, at the most, unless told otherwise. Each session
// holds a dialog and its static control: two of the 10,000 window-manager objects Windows gives
// a process by default. 2000 sessions stay well clear of that and keep a list of 1000 servers
// in one batch.
constexpr size_t DefaultMostSessions = 2000;

// Where refreshes spent their time, summed over their batches, and what they held at once.
struct RefreshPhases {
    double createSeconds = 0;   // sessions made
    double refreshSeconds = 0;  // pings
    double removeSeconds = 0;   // sessions removed
    size_t batches = 0;
    int mostThreads = 0;     // ping workers at once
    size_t mostWindows = 0;  // the plugin's windows beside its command window
};

class PluginSessions {
public:
    // Commands 1036 and 1037 for every server, in order.
    virtual void AddSessions(const std::vector<HostedServer*>& servers) = 0;
    virtual void RemoveSessions(const std::vector<HostedServer*>& servers) = 0;
    // Pings every server count times in a row on the plan's workers (see RefreshServers); no
    // session is made or removed until the last ping has ended.
    virtual RefreshTimes PingAll(const std::vector<HostedServer*>& servers, int count, WorkerPlan workers,
                                 const PingWork& work) = 0;
    // The plugin's windows beside its command window (its network windows).
    virtual size_t PluginWindowCount() = 0;

protected:
    ~PluginSessions() = default;
};
