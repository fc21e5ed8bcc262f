// Getting servers from master servers away from the window's thread: one fetch at a time, on a
// thread of its own (GatherMasters asks every master at once, each on a thread of its own).
// What comes of it is queued and announced to the main window by one posted message
// (EventsMessage), which the window's routes bring back here: each master's outcome goes to the model, and
// at the fetch's end its lists, which the model takes in a step at a time, as many steps to a
// timer message (MergeTimer) as fit in 15 ms, so that the window answers between them however
// long the lists. Cancel ends every exchange within 50 ms with what has arrived.
#pragma once

#include <atomic>
#include <thread>
#include <vector>

#include "apps/masters/master_exchange.h"
#include "apps/vtbrowse/framework/part_routes_win.h"
#include "apps/vtbrowse/framework/posted_mailbox_win.h"
#include "apps/vtbrowse/model/browser_model.h"

class MasterFetch {
public:
    static constexpr UINT EventsMessage = WM_APP + 2;
    static constexpr UINT_PTR MergeTimer = 2;

    // window is the main window, whose routes bring this its messages.
    MasterFetch(BrowserModel& model, HWND window, PartRoutes& routes);
    // Cancels a fetch that runs and waits for it.
    ~MasterFetch();
    MasterFetch(const MasterFetch&) = delete;
    MasterFetch& operator=(const MasterFetch&) = delete;

    // Asks masters for their lists; called while no fetch runs (the model knows).
    void Start(const std::vector<ServerAddress>& masters);
    void Cancel() { cancel_ = true; }

private:
    // The main window's EventsMessage and MergeTimer, routed here.
    void TakeEvents();
    void TakeListsOn();

    struct Event {
        bool ended = false;  // every master's outcomes, in the order asked: the fetch is over
        MasterOutcome outcome;
        std::vector<MasterOutcome> outcomes;
        double seconds = 0;
        bool cancelled = false;
    };

    BrowserModel& model_;
    HWND window_;
    std::atomic<bool> cancel_{false};
    PostedMailbox<Event> events_;
    std::thread thread_;
    PartRoutes::Taken routed_;
};
