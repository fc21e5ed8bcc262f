// Getting servers from master servers away from the window's thread: one fetch at a time, on a
// thread of its own (GatherMasters asks every master at once, each on a thread of its own). What
// comes of it arrives as events, announced by one posted message until the window takes them;
// Cancel ends every exchange within 50 ms with what has arrived.
#pragma once

#include <atomic>
#include <thread>
#include <vector>

#include "apps/masters/master_exchange.h"
#include "apps/vtbrowse/master_tally.h"
#include "apps/vtbrowse/posted_mailbox_win.h"

struct FetchEvent {
    enum class Kind {
        MasterEnded,  // outcome: one master's exchange ended
        Ended,        // outcomes: every master's, in the order asked; the fetch is over
    };
    Kind kind = Kind::MasterEnded;
    MasterOutcome outcome;
    std::vector<MasterOutcome> outcomes;
    double seconds = 0;
    bool cancelled = false;
};

class MasterFetch {
public:
    MasterFetch() = default;
    // Cancels a fetch that runs and waits for it.
    ~MasterFetch();
    MasterFetch(const MasterFetch&) = delete;
    MasterFetch& operator=(const MasterFetch&) = delete;

    // Asks masters for their lists; events are announced to window with message. Called on the
    // window's thread while no fetch runs (the tally says whether one does).
    void Start(const std::vector<ServerAddress>& masters, const MasterTiming& timing, HWND window,
               UINT message);
    void Cancel();
    std::vector<FetchEvent> TakeEvents() { return events_.Take(); }
    // The window's count of the fetch: started by Start, ended by the window with the Ended event.
    MasterTally& Tally() { return tally_; }
    const MasterTally& Tally() const { return tally_; }

private:
    MasterTally tally_;
    std::atomic<bool> cancel_{false};
    PostedMailbox<FetchEvent> events_;
    std::thread thread_;
};
