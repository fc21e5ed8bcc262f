// The seat watch: a full server watched starts the game once a seat frees.
#include "tests/apps/vtbrowse/browser_driving_win.h"

namespace vtbrowse_driving {

// A full server watched for a seat: pinged alone at the watch's pace, and the game started once,
// as soon as a seat is free, with what the join dialog offered and took (the command line's
// composition is the plugin's own tests'); then the watch is over and pings no more.
TEST_F(VtbrowseWindow, AFullServerThatFreesASeatStartsTheGameOnce) {
    test_support::GameRecord record;
    ControlledServer echo(Server("Echo", "Scarabrae", 8, 8));
    std::ofstream(settings_.c_str()) << "timeout=1\nseatWatchSeconds=1\n";
    OpenAndRefresh({Local(echo.emulator.Port())});
    Select(0);
    // The dialog is answered from a thread of its own: this one is inside the dialog's loop.
    std::wstring optionLabel, optionHint;
    std::thread answer([&] {
        if (const HWND dialog = FindDialog(L"Join when a seat frees", 10)) {
            HWND password = GetDlgItem(dialog, IDC_JOIN_OPTION);
            optionLabel = WindowText(GetWindow(password, GW_HWNDPREV));
            optionHint = WindowText(GetDlgItem(dialog, IDC_JOIN_OPTION + IDC_JOIN_HINT_OFFSET));
            SetDlgItemTextW(dialog, IDC_JOIN_EXECUTABLE, (ProgramFolder() + L"fake_game.exe").c_str());
            SetDlgItemTextW(dialog, IDC_JOIN_PLAYER_NAME, L"Jet");
            SetDlgItemTextW(dialog, IDC_JOIN_PARAMETERS, L"-fast");
            SetWindowTextW(password, L"secret");
            PostMessageW(dialog, WM_COMMAND, IDOK, 0);
        }
    });
    PostMessageW(browser->Window(), WM_COMMAND, IDC_WATCH_SEAT, 0);  // the list's context menu
    HWND line = GetDlgItem(Control(IDC_SEAT_WATCH), IDC_WATCH_TEXT);
    const bool looked = PumpUntil(*browser, [&] { return echo.emulator.QueryCount() >= 3; });
    answer.join();
    ASSERT_TRUE(looked) << "the watch did not look again";
    EXPECT_THAT(WindowText(line), StartsWith(L"Waiting for a seat on Echo (8/8): checked "));

    ASSERT_EQ(echo.Tell("leave"), "ok 7/8");
    const Clock::time_point freed = Clock::now();
    ASSERT_TRUE(PumpUntil(*browser, [&] { return record.Lines().size() >= 2; }));
    const double seconds = SecondsSince(freed);
    const int looks = echo.emulator.QueryCount();
    PumpUntil(
        *browser, [] { return false; }, 2.5);  // two more paces: no second start, no more looks
    EXPECT_EQ(record.Lines().size(), 2u);
    EXPECT_EQ(echo.emulator.QueryCount(), looks);
    EXPECT_EQ(WindowText(line), L"A seat freed on Echo (7/8): the game was started");
    EXPECT_LT(seconds, 10.0);
    EXPECT_EQ(optionLabel + L": " + optionHint, L"Password: The password used to connect to the server");
    EXPECT_THAT(record.Lines().at(0),
                testing::EndsWith(L"+name \"Jet\" +password \"secret\" -fast +connect " +
                                  WideFromUtf8(Local(echo.emulator.Port()))));
    // The executable and the player name are kept for the next join; the password for this server.
    EXPECT_THAT(ReadFile(settings_), AllOf(HasSubstr("fake_game.exe"), HasSubstr("playerName=Jet"),
                                           HasSubstr("option=2 " + Local(echo.emulator.Port()) + " secret")));
}

}  // namespace vtbrowse_driving
