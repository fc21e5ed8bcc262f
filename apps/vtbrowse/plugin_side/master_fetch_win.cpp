#include "apps/vtbrowse/plugin_side/master_fetch_win.h"

#include <chrono>
#include <utility>

#include "apps/masters/master_query_win.h"

namespace {

// The steps of a fetch's lists that one timer message takes. The system hands a timer's message
// over only when no input, painting or other message waits, so the window answers between them;
// a short list is taken in at once.
constexpr auto MergeSliceTime = std::chrono::milliseconds(15);

}  // namespace

MasterFetch::MasterFetch(BrowserModel& model, HWND window, PartRoutes& routes)
    : model_(model), window_(window) {
    events_.Address(window, EventsMessage);
    routed_ = routes.Take({PartRoutes::Message(EventsMessage,
                                               [this](WPARAM, LPARAM) {
                                                   TakeEvents();
                                                   return LRESULT{0};
                                               }),
                           PartRoutes::Timer(MergeTimer, [this] { TakeListsOn(); })});
}

MasterFetch::~MasterFetch() {
    routed_.reset();
    cancel_ = true;
    if (thread_.joinable()) thread_.join();
    KillTimer(window_, MergeTimer);
}

void MasterFetch::Start(const std::vector<ServerAddress>& masters) {
    // The last fetch's thread has posted its end already: this join does not wait.
    if (thread_.joinable()) thread_.join();
    cancel_ = false;
    thread_ = std::thread([this, masters] {
        const auto start = MasterClock::now();
        MasterGathering gathering =
            GatherMasters(masters, MasterTiming{}, &cancel_, [this](size_t, const MasterOutcome& outcome) {
                Event ended;
                ended.outcome = outcome;
                events_.Push(std::move(ended));
            });
        Event ended;
        ended.ended = true;
        ended.outcomes = std::move(gathering.masters);
        ended.seconds = std::chrono::duration<double>(MasterClock::now() - start).count();
        ended.cancelled = cancel_;
        events_.Push(std::move(ended));
    });
}

void MasterFetch::TakeEvents() {
    for (Event& event : events_.Take()) {
        if (!event.ended) {
            model_.MasterEnded(event.outcome);
            continue;
        }
        model_.MastersFetched(std::move(event.outcomes), event.seconds, event.cancelled);
        TakeListsOn();
    }
}

void MasterFetch::TakeListsOn() {
    if (model_.TakeMasterLists(BrowserModel::Clock::now() + MergeSliceTime)) {
        KillTimer(window_, MergeTimer);
    } else {
        SetTimer(window_, MergeTimer, USER_TIMER_MINIMUM, nullptr);
    }
}
