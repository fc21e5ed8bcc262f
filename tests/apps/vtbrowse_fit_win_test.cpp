// vtbrowse's window and dialogs at the display's scale, run at 96, 120, 144 and 192 DPI (Wine's, set
// by scripts/wine-gui-run --dpi): every text fits its control in the control's font, no controls
// overlap, the smallest window holds it all; a change of scale lays the window out as it is made at
// that scale. And the keyboard, read from the window: tab order, labels before boxes, access keys.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>
#include <cwctype>
#include <map>

#include "apps/shared/product_version.h"
#include "apps/vtbrowse/browser_layout.h"
#include "apps/vtbrowse/display_scale_win.h"
#include "tests/apps/vtbrowse_driving_win.h"

using ::testing::ElementsAreArray;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

namespace {

// The shown windows under root, each before its children.
std::vector<HWND> Shown(HWND root) {
    std::vector<HWND> shown;
    for (HWND child = GetWindow(root, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (!IsWindowVisible(child)) continue;
        shown.push_back(child);
        for (HWND inner : Shown(child)) shown.push_back(inner);
    }
    return shown;
}

std::wstring ClassOf(HWND window) {
    wchar_t name[64] = L"";
    GetClassNameW(window, name, 64);
    return name;
}

RECT PlaceIn(HWND window, HWND relativeTo) {
    RECT area{};
    GetWindowRect(window, &area);
    MapWindowPoints(nullptr, relativeTo, reinterpret_cast<POINT*>(&area), 2);
    return area;
}

LONG FontHeight(HWND control) {
    LOGFONTW font{};
    GetObjectW(reinterpret_cast<HGDIOBJ>(SendMessageW(control, WM_GETFONT, 0, 0)), sizeof font, &font);
    return font.lfHeight;
}

std::wstring Named(HWND control) {
    return L"'" + WindowText(control) + L"' (" + std::to_wstring(GetDlgCtrlID(control)) + L")";
}

// Why a button's, check box's or label's text does not show whole, or nothing: the size it needs
// in the control's font against its client area, less a push button's frame or a check box's box
// and gap; a label that wraps needs its lines' height. A label that ends in "..." when cut is
// made to be cut.
std::wstring TextCut(HWND control, int dpi) {
    const std::wstring kind = ClassOf(control), text = WindowText(control);
    const LONG style = GetWindowLongW(control, GWL_STYLE);
    const bool button = kind == L"Button", box = button && (style & BS_TYPEMASK) >= BS_CHECKBOX;
    const bool label = kind == L"Static" && !(style & SS_ELLIPSISMASK),
               oneLine = button || (style & SS_CENTERIMAGE);
    if (text.empty() || !(button || label)) return L"";
    RECT room{};
    GetClientRect(control, &room);
    room.right -= box ? Scaled(12, dpi) + 1 + Scaled(6, dpi) : button ? 2 * Scaled(3, dpi) : 0;
    HDC dc = GetDC(control);
    const HGDIOBJ before =
        SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(control, WM_GETFONT, 0, 0)));
    RECT need{0, 0, oneLine ? 0 : room.right, 0};
    DrawTextW(dc, text.c_str(), -1, &need,
              DT_CALCRECT | (oneLine ? DT_SINGLELINE : DT_WORDBREAK) |
                  (label && (style & SS_NOPREFIX) ? DT_NOPREFIX : 0));
    SelectObject(dc, before);
    ReleaseDC(control, dc);
    if (need.right <= room.right && need.bottom <= room.bottom) return L"";
    return L" needs " + std::to_wstring(need.right) + L"x" + std::to_wstring(need.bottom) + L", has " +
           std::to_wstring(room.right) + L"x" + std::to_wstring(room.bottom);
}

// What of root's shown controls is cut or out of place, a line each; dpi: the scale of root.
std::vector<std::wstring> FitProblems(HWND root, int dpi) {
    std::vector<std::wstring> problems;
    const std::vector<HWND> shown = Shown(root);
    for (size_t i = 0; i < shown.size(); ++i) {
        HWND parent = GetParent(shown[i]);
        RECT area = PlaceIn(shown[i], parent), room{}, both{};
        GetClientRect(parent, &room);
        if (!IntersectRect(&both, &area, &room) || !EqualRect(&both, &area))
            problems.push_back(Named(shown[i]) + L" stands outside its parent");
        if (const std::wstring cut = TextCut(shown[i], dpi); !cut.empty())
            problems.push_back(Named(shown[i]) + cut);
        for (size_t j = i + 1; j < shown.size(); ++j) {
            RECT other = PlaceIn(shown[j], parent);
            if (GetParent(shown[j]) == parent && IntersectRect(&both, &area, &other))
                problems.push_back(Named(shown[i]) + L" overlaps " + Named(shown[j]));
        }
    }
    return problems;
}

// The letter after a single '&' in a control's text, upper case; 0 for none.
wchar_t AccessKey(HWND control) {
    const std::wstring text = WindowText(control);
    if (ClassOf(control) == L"Static" && (GetWindowLongW(control, GWL_STYLE) & SS_NOPREFIX)) return 0;
    for (size_t i = 0; i + 1 < text.size(); ++i) {
        if (text[i] == L'&' && text[i + 1] != L'&') return static_cast<wchar_t>(std::towupper(text[i + 1]));
        if (text[i] == L'&') ++i;
    }
    return 0;
}

bool IsBox(HWND control) {
    return ClassOf(control) == L"Edit" || ClassOf(control) == L"ComboBox";
}

// What the keyboard or a screen reader cannot tell apart in root, a line each: two controls of one
// access key; a box without a label right before it, which is what names it to a screen reader.
std::vector<std::wstring> KeyboardProblems(HWND root) {
    std::vector<std::wstring> problems;
    std::map<wchar_t, HWND> keys;
    for (HWND control : Shown(root)) {
        if (const wchar_t key = AccessKey(control); key && !keys.emplace(key, control).second)
            problems.push_back(Named(control) + L" has the access key of " + Named(keys[key]));
        HWND before = GetWindow(control, GW_HWNDPREV);
        if (IsBox(control) && !(before && ClassOf(before) == L"Static" && !WindowText(before).empty()))
            problems.push_back(Named(control) + L" has no label before it");
    }
    return problems;
}

// The window with one server, at the display's scale.
class VtbrowseAtScale : public vtbrowse_driving::VtbrowseWindow {
protected:
    void SetUp() override {
        VtbrowseWindow::SetUp();
        dpi = WindowDpi(nullptr);  // the screen's
        // The scale asked for: a run that tested 96 four times would say nothing.
        if (const char* asked = std::getenv("TRIBES_GUI_DPI")) {
            ASSERT_EQ(dpi, std::atoi(asked));
        }
        Open({vtbrowse_driving::Local(alpha->Port())});
        window = browser->Window();
    }

    int dpi = 96;
    HWND window = nullptr;
};

// As it opens and at its smallest, here and at another scale: nothing cut or out of place. There it
// is where the layout puts it, in a font and columns of that scale; back, as it was; what it keeps
// is in 96-DPI units.
TEST_F(VtbrowseAtScale, TheWindowFitsItsTextsAndMovesBetweenScales) {
    const auto arrangement = [this] {
        std::vector<std::string> lines;
        for (HWND control : Shown(window)) {
            const RECT at = PlaceIn(control, window);
            std::string& line = lines.emplace_back(std::to_string(GetDlgCtrlID(control)));
            for (const long value : {at.left, at.top, at.right, at.bottom, FontHeight(control)})
                line += " " + std::to_string(value);
            for (int column = 0; ClassOf(control) == WC_LISTVIEWW && column < 8; ++column)
                line += " " + std::to_string(SendMessageW(control, LVM_GETCOLUMNWIDTH, column, 0));
        }
        return lines;
    };
    const std::vector<std::string> asMade = arrangement();
    RECT made{};
    GetWindowRect(window, &made);
    HWND list = Control(IDC_SERVERS);
    const LONG fontAsMade = FontHeight(list);
    for (const int scale : {dpi, dpi == 144 ? 96 : 144}) {
        SCOPED_TRACE(scale);
        RECT shown = made;
        if (scale != dpi) {
            shown.right = made.left + MulDiv(made.right - made.left, scale, dpi);
            shown.bottom = made.top + MulDiv(made.bottom - made.top, scale, dpi);
            SendMessageW(window, WM_DPICHANGED, MAKEWPARAM(scale, scale), reinterpret_cast<LPARAM>(&shown));
            EXPECT_NEAR(FontHeight(list), fontAsMade * scale / dpi, 1);
            int column = 0;
            for (const int units : {190, 150, 110, 80, 230, 60, 80})
                EXPECT_EQ(SendMessageW(list, LVM_GETCOLUMNWIDTH, column++, 0), Scaled(units, scale));
            RECT client{};
            GetClientRect(window, &client);
            const RECT bar = PlaceIn(GetDlgItem(window, IDC_STATUS_PANE), window);
            const PartAreas at = LayOutParts(client.right, client.bottom, bar.bottom - bar.top, scale);
            const int panes[] = {IDC_COMMAND_BAR, IDC_FILTER_BAR, IDC_QUICK_CONNECT, IDC_SERVER_PANE,
                                 IDC_DETAIL_PANE};
            int pane = 0;
            for (const PartArea& area : {at.commands, at.filters, at.quick, at.list, at.details}) {
                const RECT placed = PlaceIn(GetDlgItem(window, panes[pane++]), window);
                EXPECT_TRUE(placed.left == area.left && placed.top == area.top &&
                            placed.right == area.right && placed.bottom == area.bottom)
                    << panes[pane - 1];
            }
        }
        EXPECT_THAT(FitProblems(window, scale), IsEmpty()) << "as opened";
        // No smaller than the window allows.
        SetWindowPos(window, nullptr, 0, 0, 1, 1, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        EXPECT_THAT(FitProblems(window, scale), IsEmpty()) << "at the smallest size";
        SetWindowPos(window, nullptr, 0, 0, shown.right - shown.left, shown.bottom - shown.top,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    SendMessageW(window, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&made));
    EXPECT_THAT(arrangement(), ElementsAreArray(asMade));
    SendMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_THAT(test_support::ReadFile(settings_),
                testing::AllOf(HasSubstr(",980,640\n"), HasSubstr("\ncolumns=190,150,110,80,230,60,80\n")));
}

// Tab walks the window as a reader does, pane by pane from the top left, each row left to right;
// a box is named by the label right before it (a screen reader says that), anything else by its
// text; a label's access key leads to its box; Enter on the list joins.
TEST_F(VtbrowseAtScale, TabOrderLabelsAndAccessKeys) {
    // clang-format off
    const std::pair<int, std::wstring> order[] = {
        {IDC_ADD, L"&Add..."}, {IDC_REMOVE, L"Remo&ve"}, {IDC_IMPORT, L"&Import..."}, {IDC_REFRESH, L"&Refresh all"},
        {IDC_REFRESH_SELECTED, L"Refresh &selected"}, {IDCANCEL, L"&Cancel"}, {IDC_JOIN, L"&Join..."},
        {IDC_FIND, L"&Find player..."}, {IDC_AUTO, L"A&uto refresh"}, {IDC_AUTO_SECONDS, L"&every"},
        {IDC_FILTER_TEXT, L"&Name or map:"}, {IDC_HIDE_EMPTY, L"Hide empty"}, {IDC_HIDE_FULL, L"Hide full"},
        {IDC_HIDE_SILENT, L"Hide no answer"}, {IDC_FAVOURITES_ONLY, L"Favourites on&ly"},
        {IDC_FILTER_GAME, L"&Game:"}, {IDC_FILTER_MOD, L"Mo&d:"}, {IDC_FILTER_PASSWORD, L"&Password:"},
        {IDC_FILTER_PING, L"Ping &below"},
        {IDC_QUICK_TEXT, L"C&onnect to:"}, {IDC_QUICK_GO, L"Connect"},
        {IDC_GET_MASTERS, L"Get from mas&ters"}, {IDC_MASTERS, L"&Masters..."},
        {IDC_SERVERS, L""},
        {IDC_WATCH_STOP, L"Stop &waiting"},
        {IDC_DETAIL_TABS, L""}, {IDC_DETAIL_LIST, L""},
        {IDC_LOG, L""},
        {IDC_FRIEND_TEXT, L"Friends"}, {IDC_FRIEND_ADD, L"Add friend"}, {IDC_FRIEND_REMOVE, L"Remove"},
        {IDC_FRIEND_LIST, L""}};
    // clang-format on
    std::vector<std::pair<int, std::wstring>> walked;
    for (HWND stop : Shown(window)) {
        if (GetWindowLongW(stop, GWL_STYLE) & WS_TABSTOP)
            walked.emplace_back(GetDlgCtrlID(stop),
                                WindowText(IsBox(stop) ? GetWindow(stop, GW_HWNDPREV) : stop));
    }
    EXPECT_THAT(walked, ElementsAreArray(order));
    EXPECT_THAT(KeyboardProblems(window), IsEmpty());
    // Alt and a label's key, as the dialog keys take it: the box after the label has the keyboard.
    for (HWND label : Shown(window)) {
        const wchar_t key = AccessKey(label);
        if (!key || ClassOf(label) != L"Static") continue;
        SetFocus(Control(IDC_SERVERS));
        MSG alt{GetFocus(), WM_SYSCHAR, static_cast<WPARAM>(std::towlower(key)), 1 << 29, 0, {}};
        EXPECT_TRUE(browser->PreTranslate(alt)) << WindowText(label);
        EXPECT_EQ(GetFocus(), GetWindow(label, GW_HWNDNEXT)) << WindowText(label);
    }
    // Enter on the list joins the server in focus: the join dialog opens.
    Select(0);
    SetFocus(Control(IDC_SERVERS));
    std::atomic<bool> joining{false};
    std::thread answer([&] {
        if (const HWND dialog = vtbrowse_driving::FindDialog(L"Join server", 10)) {
            joining = true;
            PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
        }
    });
    PostMessageW(Control(IDC_SERVERS), WM_KEYDOWN, VK_RETURN, 0);
    EXPECT_TRUE(vtbrowse_driving::PumpUntil(*browser, [&] { return joining.load(); }));
    answer.join();
}

// Each dialog as it opens: nothing cut or out of place, its access keys its own, each box labelled.
// The join dialog (for a seat watch: with all it can hold) is for a server that answered, with what
// the plugin offers for it. The About box is the last item of the window's system menu, and names
// the version.
TEST_F(VtbrowseAtScale, EveryDialogFitsAndIsLabelled) {
    ASSERT_TRUE(vtbrowse_driving::PumpUntil(*browser, [this] { return RefreshEnded(); }));
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
            if (const HWND shown = vtbrowse_driving::FindDialog(title, 10)) {
                problems = FitProblems(shown, dpi);
                for (std::wstring& problem : KeyboardProblems(shown)) problems.push_back(std::move(problem));
                about = WindowText(GetDlgItem(shown, IDC_ABOUT_NAME));
            }
            // Whatever opened is closed (a modal one holds the window's loop until then).
            for (HWND open : test_support::ShownDialogs(0)) PostMessageW(open, WM_COMMAND, IDCANCEL, 0);
            checked = true;
        });
        PostMessageW(window, message, command, 0);
        vtbrowse_driving::PumpUntil(
            *browser, [&] { return checked && !vtbrowse_driving::FindDialog(title, 0); }, 15);
        check.join();
        EXPECT_THAT(problems, IsEmpty());
        if (message == WM_SYSCOMMAND) {
            EXPECT_THAT(about, testing::StartsWith(L"vtbrowse " + WideFromUtf8(ProductVersion()) + L" ("));
        }
    }
}

}  // namespace
