// The friends pane: who plays already is shown, who joins between refreshes told once.
#include "tests/apps/vtbrowse/browser_driving_win.h"

namespace vtbrowse_driving {

// Friends: one who plays already is shown, not told; one who joins between two refreshes is told
// once, by one balloon and one line in the log, and not again at the next refresh.
TEST_F(VtbrowseWindow, AFriendJoiningBetweenTwoRefreshesIsToldOnce) {
    ControlledServer delta(Server("Delta", "Ice Ridge", 3, 16));
    std::vector<std::wstring> balloons;
    notified = [&](const std::wstring& title, const std::wstring& text) {
        balloons.push_back(title + L": " + text);
    };
    OpenAndRefresh({Local(alpha->Port()), Local(delta.emulator.Port())});
    HWND friends = Control(IDC_FRIENDS);
    for (const wchar_t* name : {L"cobra", L"jet*"}) {
        SetDlgItemTextW(friends, IDC_FRIEND_TEXT, name);
        SendDlgItemMessageW(friends, IDC_FRIEND_ADD, BM_CLICK, 0, 0);
    }
    HWND where = GetDlgItem(friends, IDC_FRIEND_LIST);
    EXPECT_THAT(ColumnTexts(where, 1), ElementsAre(L"Cobra", L""));
    EXPECT_THAT(ColumnTexts(where, 2),
                ElementsAre(HasSubstr(L"Alpha"), L"not playing on the servers that answered"));

    ASSERT_EQ(delta.Tell("join JetStream"), "ok 4/16");
    for (int refresh = 0; refresh < 2; ++refresh) {
        SendMessageW(browser->Window(), WM_COMMAND, IDC_REFRESH, 0);
        ASSERT_TRUE(RefreshEnds());
    }
    ASSERT_THAT(balloons, ElementsAre(L"A friend is playing: JetStream is playing on Delta (" +
                                      WideFromUtf8(Local(delta.emulator.Port())) + L"), map Ice Ridge"));
    EXPECT_EQ(LogLinesWith(Control(IDC_LOG), L"Friend online: "), 1);
    EXPECT_THAT(ColumnTexts(where, 1), ElementsAre(L"Cobra", L"JetStream"));
    EXPECT_THAT(ReadFile(settings_), AllOf(HasSubstr("friend=cobra"), HasSubstr("friend=jet*")));
}

}  // namespace vtbrowse_driving
