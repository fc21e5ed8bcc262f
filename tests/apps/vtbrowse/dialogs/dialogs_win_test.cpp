// vtbrowse's dialogs at the display's scale (VtbrowseAtScale, run at four scales): each as it
// opens, with nothing cut or out of place, its access keys its own, each box labelled.
#include "apps/shared/product_version.h"
#include "tests/apps/vtbrowse/browser_driving_win.h"

namespace vtbrowse_driving {

// Each dialog as it opens: nothing cut or out of place, its access keys its own, each box labelled.
// The join dialog (for a seat watch: with all it can hold) is for a server that answered, with what
// the plugin offers for it. The About box is the last item of the window's system menu, and names
// the version.
TEST_F(VtbrowseAtScale, EveryDialogFitsAndIsLabelled) {
    ASSERT_TRUE(RefreshEnds());
    Select(0);
    const HMENU menu = GetSystemMenu(window, FALSE);
    const std::tuple<UINT, UINT, const wchar_t*> dialogs[] = {
        {WM_COMMAND, IDC_ADD, L"Add servers"},
        {WM_COMMAND, IDC_MASTERS, L"Master servers"},
        {WM_COMMAND, IDC_WATCH_SEAT, L"Join when a seat frees"},
        {WM_COMMAND, IDC_FIND, L"Find a player"},
        {WM_SYSCOMMAND, GetMenuItemID(menu, GetMenuItemCount(menu) - 1), L"About vtbrowse"}};
    for (const auto& [message, command, title] : dialogs) {
        SCOPED_TRACE(Utf8FromWide(title));
        std::vector<std::wstring> problems{L"not shown"};
        std::wstring about;
        std::atomic<bool> checked{false};
        std::thread check([&, title = title] {
            if (const HWND shown = FindDialog(title, 10)) {
                problems = FitProblems(shown, dpi);
                for (std::wstring& problem : KeyboardProblems(shown)) problems.push_back(std::move(problem));
                about = WindowText(GetDlgItem(shown, IDC_ABOUT_NAME));
            }
            // Whatever opened is closed (a modal one holds the window's loop until then).
            for (HWND open : test_support::ShownDialogs(0)) PostMessageW(open, WM_COMMAND, IDCANCEL, 0);
            checked = true;
        });
        PostMessageW(window, message, command, 0);
        PumpUntil(
            *browser, [&] { return checked && !FindDialog(title, 0); }, 15);
        check.join();
        EXPECT_THAT(problems, IsEmpty());
        if (message == WM_SYSCOMMAND) {
            EXPECT_THAT(about, testing::StartsWith(L"vtbrowse " + WideFromUtf8(ProductVersion()) + L" ("));
        }
    }
}

}  // namespace vtbrowse_driving
