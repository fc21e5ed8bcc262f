// The plugin's side in the window: a server's session goes only once its ping has ended.
#include "host/services/server_objects.h"
#include "tests/apps/vtbrowse/browser_driving_win.h"

namespace vtbrowse_driving {
namespace {

// When a server's session went: the first of its handles destroyed, in the clock's ticks (0: not yet).
struct SessionGone final : CallWatch {
    explicit SessionGone(std::wstring text) : handle(std::move(text)) {}
    void Enter(const std::wstring&, const wchar_t*, const std::wstring* text) override {
        long long none = 0;
        if (text && *text == handle)
            at.compare_exchange_strong(none, Clock::now().time_since_epoch().count());
    }
    bool WantsArguments() const override { return true; }

    const std::wstring handle;
    std::atomic<long long> at{0};
};

}  // namespace

// A server removed while vtbrowse refreshes it, and the window closed while it refreshes: the
// server's session goes only once its ping has ended (its answer comes 0.6 s after the query),
// and the window answers meanwhile.
TEST_F(VtbrowseWindow, RemovingOrClosingWhileAPingRunsWaitsForThePing) {
    TribesEmulator late(tribes_emu::DefaultServer(),
                        Behaviour{ReplyMode::Delay, std::chrono::milliseconds(600)});
    for (const bool closing : {false, true}) {
        SCOPED_TRACE(closing ? "closed" : "removed");
        const auto gone = std::make_shared<SessionGone>(WideFromUtf8(Local(late.Port())));
        WatchHandles(gone);
        browser.reset();  // one window at a time: the plugin's state is the process's
        const int queries = late.QueryCount();
        Open({Local(late.Port())});
        ASSERT_TRUE(late.WaitForQueries(queries + 1, std::chrono::seconds(10)));
        const Clock::time_point asked = Clock::now();
        if (closing) {
            browser.reset();
        } else {
            Select(0);
            SendMessageW(browser->Window(), WM_COMMAND, IDC_REMOVE, 0);
            PumpUntil(*browser, [&] { return gone->at != 0; });
        }
        WatchHandles(nullptr);
        ASSERT_NE(gone->at, 0);
        EXPECT_GT(Clock::duration(gone->at) - asked.time_since_epoch(), std::chrono::milliseconds(400))
            << "the session went under its ping";
    }
}

}  // namespace vtbrowse_driving
