// What the window tests share: driving vtbrowse's window made in the test's process as its own
// message loop would, and reading back what it shows.
#include "tests/apps/vtbrowse/browser_driving_win.h"

#include <cwctype>
#include <map>

namespace vtbrowse_driving {

namespace {

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

}  // namespace

bool PumpUntil(BrowserWindow& browser, const std::function<bool()>& done, double seconds, double* longest) {
    const auto start = std::chrono::steady_clock::now();
    while (SecondsSince(start) < seconds) {
        MSG message;
        for (int taken = 0; taken < 1000 && PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE); ++taken) {
            const auto taking = std::chrono::steady_clock::now();
            if (!browser.PreTranslate(message)) {
                TranslateMessage(&message);
                DispatchMessageW(&message);
            }
            if (longest) *longest = std::max(*longest, SecondsSince(taking));
        }
        if (done()) return true;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
    return done();
}

HWND FindDialog(const std::wstring& title, double seconds) {
    const auto start = std::chrono::steady_clock::now();
    std::vector<HWND> found = test_support::ShownDialogs(0, title);
    while (found.empty() && SecondsSince(start) < seconds) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        found = test_support::ShownDialogs(0, title);
    }
    return found.empty() ? nullptr : found[0];
}

std::wstring StatusText(HWND status) {
    wchar_t text[512] = L"";
    SendMessageW(status, SB_GETTEXTW, 0, reinterpret_cast<LPARAM>(text));
    return text;
}

std::wstring ItemText(HWND list, int row, int column) {
    wchar_t text[512] = L"";
    ListView_GetItemText(list, row, column, text, 512);
    return text;
}

int ItemCount(HWND list) {
    return static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
}

std::vector<std::wstring> ColumnTexts(HWND list, int column) {
    std::vector<std::wstring> texts;
    for (int row = 0; row < ItemCount(list); ++row) texts.push_back(ItemText(list, row, column));
    return texts;
}

tribes_emu::ServerInfo Server(const char* name, const char* map, int players, int limit) {
    tribes_emu::ServerInfo server = tribes_emu::ServerWithPlayers(players);
    server.serverName = name;
    server.map = map;
    server.playerLimit = static_cast<std::uint8_t>(limit);
    return server;
}

std::vector<std::wstring> LogLines(HWND log, const std::wstring& part) {
    std::vector<std::wstring> found;
    const int count = static_cast<int>(SendMessageW(log, LB_GETCOUNT, 0, 0));
    for (int index = 0; index < count; ++index) {
        std::wstring line(static_cast<size_t>(SendMessageW(log, LB_GETTEXTLEN, index, 0)) + 1, L'\0');
        SendMessageW(log, LB_GETTEXT, index, reinterpret_cast<LPARAM>(line.data()));
        line.resize(line.size() - 1);
        if (line.find(part) != std::wstring::npos) found.push_back(line);
    }
    return found;
}

int LogLinesWith(HWND log, const std::wstring& part) {
    return static_cast<int>(LogLines(log, part).size());
}

std::wstring LogLine(HWND log, const std::wstring& part) {
    const std::vector<std::wstring> lines = LogLines(log, part);
    return lines.empty() ? L"" : lines.front();
}

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

}  // namespace vtbrowse_driving
