#include "apps/vtbrowse/plugin_side/master_fetch_win.h"

#include <chrono>
#include <utility>

#include "apps/masters/master_query_win.h"
#include "host/text/utf8_text.h"

namespace {

// The steps of a fetch's lists that one timer message takes. The system hands a timer's message
// over only when no input, painting or other message waits, so the window answers between them;
// a short list is taken in at once.
constexpr auto MergeSliceTime = std::chrono::milliseconds(15);

// What one master's exchange came to, in the log's words: its outcome, then what it says of
// itself. The masters' client speaks UTF-8 (it is vtquery's too); the log, the window's encoding.
std::vector<std::wstring> MasterSaid(const MasterOutcome& outcome) {
    const std::string master = "Master " + outcome.master;
    std::vector<std::wstring> said{WideFromUtf8(master + ": " + OutcomeSummary(outcome))};
    const std::string greeting = MasterGreeting(outcome);
    if (!greeting.empty()) said.push_back(WideFromUtf8(master + " says: " + greeting));
    return said;
}

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
            model_.MasterEnded(event.outcome, MasterSaid(event.outcome));
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
