// The find-a-player window: Ctrl+F opens it, typing searches, choosing selects the server.
#include "tests/apps/vtbrowse/browser_driving_win.h"

namespace vtbrowse_driving {

TEST_F(VtbrowseWindow, CtrlFFindsWhereAPlayerIsPlaying) {
    OpenAndRefresh(FourServers());
    BYTE keys[256];
    GetKeyboardState(keys);
    keys[VK_CONTROL] = 0x80;
    SetKeyboardState(keys);
    PostMessageW(Control(IDC_SERVERS), WM_KEYDOWN, 'F', 0);
    HWND find = nullptr;
    PumpUntil(*browser, [&] { return (find = FindDialog(L"Find a player", 0)) != nullptr; });
    keys[VK_CONTROL] = 0;
    SetKeyboardState(keys);
    ASSERT_TRUE(find);

    // What it finds is the search's own tests'; here: typing searches, choosing selects the server.
    SetDlgItemTextW(find, IDC_FIND_TEXT, L"cobra");
    HWND results = GetDlgItem(find, IDC_FIND_RESULTS);
    ASSERT_EQ(ItemCount(results), 1);
    ListView_SetItemState(results, 0, LVIS_SELECTED, LVIS_SELECTED);
    SendMessageW(find, WM_COMMAND, IDOK, 0);
    const int selected = ListView_GetNextItem(Control(IDC_SERVERS), -1, LVNI_SELECTED);
    EXPECT_EQ(selected, RowOf(Local(alpha->Port())));
}

}  // namespace vtbrowse_driving
