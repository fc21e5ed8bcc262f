// One vtbrowse per settings file: vtbrowse.exe started as a user or a script starts it, one start
// after another and two at once, against fake Tribes servers served from this process; and a
// later start's side against a first vtbrowse played by a thread of this process (windowless,
// hung, closing, crashed), with short bounds.
#include "apps/vtbrowse/command_line/instance_claim_win.h"

#include <atomic>

#include "apps/vtbrowse/command_line/handover.h"
#include "tests/apps/vtbrowse/browser_driving_win.h"

namespace vtbrowse_driving {
namespace {

// Looks for what find gives, at most seconds: vtbrowse.exe starts and answers in its own time.
template <class Find>
auto Await(double seconds, Find find) {
    auto found = find();
    for (const Clock::time_point start = Clock::now(); !found && SecondsSince(start) < seconds;
         found = find())
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    return found;
}

}  // namespace

// Two starts at once, each with a server: one window opens and the other start hands its server
// over and ends. Then later starts: one with servers and --join, while the window is minimized;
// one with --select, while another program has the keyboard; one whose --join no server can have.
// Each later start ends at once; the window takes what it was handed as it takes its own command
// line and comes forward, and its settings file keeps all of it.
TEST(VtbrowseStarts, OneWindowTakesTheCommandLinesOfLaterStartsAndKeepsThem) {
    tribes_emu::ServerInfo named = tribes_emu::DefaultServer();
    named.serverName = "Bravo Base";
    const auto alpha =
        std::make_unique<tribes_emu::TribesEmulator>(tribes_emu::DefaultServer(), tribes_emu::Behaviour{});
    const auto bravo = std::make_unique<tribes_emu::TribesEmulator>(named, tribes_emu::Behaviour{});
    const auto port = [](const auto& server) { return WideFromUtf8(Local(server->Port())); };
    const std::wstring settings = test_support::TempFile(L"vbi");
    std::wstring sameFile = settings;
    CharUpperBuffW(sameFile.data(), static_cast<DWORD>(sameFile.size()));  // another spelling, the same file
    const auto start = [&](std::vector<std::wstring> arguments, const std::function<void(DWORD)>& meanwhile) {
        arguments.insert(arguments.begin(), {L"--settings", sameFile});
        return test_support::RunProgram(L"vtbrowse.exe", arguments, meanwhile ? 90000 : 30000, meanwhile);
    };
    const auto later = [&](std::vector<std::wstring> arguments) { return start(std::move(arguments), {}); };
    test_support::ProgramRun b;
    const auto a = start({port(alpha)}, [&](DWORD one) {
        b = start({L"127.0.0.1:28101"}, [&](DWORD other) {
            const HWND window = Await(30, [] { return FindWindowW(L"VtbrowseMain", nullptr); });
            ASSERT_TRUE(window);
            DWORD opener = 0;
            GetWindowThreadProcessId(window, &opener);
            const owners::unique_handle handing(OpenProcess(SYNCHRONIZE, FALSE, opener == one ? other : one));
            EXPECT_EQ(WaitForSingleObject(handing.get(), 30000), WAIT_OBJECT_0) << "two windows";
            EXPECT_TRUE(FindWindowW(L"VtbrowseMain", nullptr) == window &&
                        !FindWindowExW(nullptr, window, L"VtbrowseMain", nullptr));
            EXPECT_TRUE(alpha->WaitForQueries(1, std::chrono::seconds(20)));

            ShowWindow(window, SW_MINIMIZE);
            const auto joining = later({port(bravo), L"--join", port(alpha)});
            EXPECT_EQ(joining.exitCode, 0u) << joining.err;
            EXPECT_FALSE(IsIconic(window));
            EXPECT_TRUE(bravo->WaitForQueries(1, std::chrono::seconds(20)));
            const HWND join = Await(20, [&] {
                const auto shown =
                    test_support::ShownDialogs(GetWindowThreadProcessId(window, nullptr), L"Join server");
                return shown.empty() ? nullptr : shown[0];
            });
            ASSERT_TRUE(join) << "no join dialog";
            EXPECT_THAT(WindowText(GetDlgItem(join, IDC_JOIN_SERVER)), HasSubstr(L"Alpha  " + port(alpha)));
            PostMessageW(join, WM_COMMAND, IDCANCEL, 0);

            const owners::unique_hwnd keyboard(CreateWindowExW(0, L"Static", L"",
                                                               WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200,
                                                               100, nullptr, nullptr, nullptr, nullptr));
            SetForegroundWindow(keyboard.get());
            ASSERT_EQ(GetForegroundWindow(), keyboard.get());
            EXPECT_EQ(later({L"--select", port(bravo)}).exitCode, 0u);
            EXPECT_EQ(GetForegroundWindow(), window);
            const HWND title = GetDlgItem(GetDlgItem(window, IDC_DETAIL_PANE), IDC_CHART_TITLE);
            EXPECT_TRUE(Await(20, [&] {
                return WindowText(title) == L"Players on Bravo Base since vtbrowse started";
            })) << Utf8FromWide(WindowText(title));

            const auto refused = later({L"127.0.0.1:1", L"--join", L"0.0.0.0:3"});
            EXPECT_EQ(refused.exitCode, 2u);
            EXPECT_THAT(refused.err,
                        AllOf(HasSubstr("vtbrowse is already open with these settings"),
                              HasSubstr("--join: '0.0.0.0:3': no server can have this address")));
            PostMessageW(window, WM_CLOSE, 0, 0);
        });
    });
    EXPECT_EQ(a.exitCode, 0u) << a.err;
    EXPECT_EQ(b.exitCode, 0u) << b.err;
    EXPECT_THAT(test_support::ReadFile(settings),
                AllOf(HasSubstr("server=" + Local(alpha->Port())), HasSubstr("server=127.0.0.1:28101\n"),
                      HasSubstr("server=" + Local(bravo->Port())), testing::Not(HasSubstr("127.0.0.1:1\n"))));
    DeleteFileW(settings.c_str());
}

// A later start against a first vtbrowse played by a thread: it claims the instance, publishes a
// window of its own after publishMs (never when negative) that refuses what it is handed (a
// window closing) or never answers, and ends after endMs, letting the claim go or (crashed) not.
// The later start ends within its bounds, as it should.
TEST(VtbrowseStarts, ALaterStartEndsWithinItsBoundsWhateverTheFirstDoes) {
    const struct {
        const char* what;
        int publishMs;
        bool hangs;
        int endMs;
        bool crashes;
        HandoverEnd end;
    } cases[] = {
        {"windowless", -1, false, 2000, false, HandoverEnd::NoWindow},
        {"hung", 0, true, 2000, false, HandoverEnd::NoAnswer},
        {"closing", 0, false, 500, false, HandoverEnd::BecameFirst},
        {"crashed", -1, false, 500, true, HandoverEnd::BecameFirst},
    };
    for (const auto& played : cases) {
        SCOPED_TRACE(played.what);
        const std::wstring settings = test_support::TempFile(L"vbc");
        std::atomic<int> held{-1};
        std::thread first([&] {
            auto claim = std::make_unique<InstanceClaim>(settings);
            held = claim->Held();
            const owners::unique_hwnd window(
                CreateWindowExW(0, L"Static", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr));
            for (const Clock::time_point start = Clock::now(); SecondsSince(start) * 1000 < played.endMs;) {
                if (played.publishMs >= 0 && SecondsSince(start) * 1000 >= played.publishMs) {
                    claim->Publish(window.get());
                    if (played.hangs) std::this_thread::sleep_for(std::chrono::milliseconds(played.endMs));
                }
                MSG message;
                while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
                MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
            }
            if (played.crashes) (void)claim.release();  // its thread ends owning the mutex: abandoned
        });
        while (held < 0) std::this_thread::sleep_for(std::chrono::milliseconds(5));
        EXPECT_EQ(held, 1);
        EXPECT_TRUE(InstanceClaim(settings + L".other").Held()) << "another settings file, another vtbrowse";
        InstanceClaim claim(settings);
        EXPECT_FALSE(claim.Held());
        const Clock::time_point start = Clock::now();
        EXPECT_EQ(claim.HandOver(*PackHandover({"127.0.0.1:1"}), HandoverBounds{1500, 300}), played.end);
        EXPECT_LT(SecondsSince(start), 2.5);
        EXPECT_EQ(claim.Held(), played.end == HandoverEnd::BecameFirst);
        first.join();
        DeleteFileW(settings.c_str());
    }
}

}  // namespace vtbrowse_driving
