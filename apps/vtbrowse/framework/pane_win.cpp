#include "apps/vtbrowse/framework/pane_win.h"

#include <utility>

#include "apps/vtbrowse/framework/display_scale_win.h"

namespace {

constexpr const wchar_t* PaneClass = L"VtbrowsePane";

// Registered with the first pane and kept for the program's life: the tests make many windows.
void RegisterPaneClass() {
    static const owners::unique_window_class registered = RegisterMapClass<Pane>(PaneClass);
}

}  // namespace

BOOL Pane::ProcessWindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    FollowWindow(window_, window, message);
    return TakeMessage(
        *this,
        {{WM_SETFONT, &Pane::OnSetFont}, {WM_GETFONT, &Pane::OnGetFont}, {WM_COMMAND, &Pane::OnCommand}},
        message, wParam, lParam, result);
}

LRESULT Pane::OnSetFont(UINT, WPARAM wParam, LPARAM, BOOL&) {
    font_ = reinterpret_cast<HFONT>(wParam);
    return 0;
}

LRESULT Pane::OnGetFont(UINT, WPARAM, LPARAM, BOOL&) {
    return reinterpret_cast<LRESULT>(font_);
}

// A button's click is the window's command; Enter (no control) is the pane's alone.
LRESULT Pane::OnCommand(UINT, WPARAM wParam, LPARAM lParam, BOOL& handled) {
    handled = lParam && HIWORD(wParam) == BN_CLICKED;
    if (handled) SendMessageW(GetAncestor(window_.get(), GA_ROOT), WM_COMMAND, LOWORD(wParam), 0);
    return 0;
}

void Pane::CreatePane(HWND parent, int id) {
    RegisterPaneClass();
    CreateWindowExW(WS_EX_CONTROLPARENT, PaneClass, L"", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, 10,
                    10, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr),
                    static_cast<Pane*>(this));
    dpi_ = WindowDpi(parent);
    font_ = reinterpret_cast<HFONT>(SendMessageW(parent, WM_GETFONT, 0, 0));
}

void Pane::SetDpi(int dpi) {
    const int previous = std::exchange(dpi_, dpi);
    SendMessageW(window_.get(), DpiChangedAfterParent, static_cast<WPARAM>(previous), 0);
    // Laid out again even where the pane keeps its size.
    RECT client{};
    GetClientRect(window_.get(), &client);
    SendMessageW(window_.get(), WM_SIZE, SIZE_RESTORED, MAKELPARAM(client.right, client.bottom));
}

void Pane::PlaceRow(const std::vector<RowCell>& row, int top, int width, int height) const {
    const std::vector<RowSpan> spans = ::PlaceRow(row, width, dpi_);
    for (size_t i = 0; i < row.size(); ++i) {
        HWND control = row[i].id ? GetDlgItem(window_.get(), row[i].id) : nullptr;
        if (!control) continue;
        wchar_t kind[16] = L"";
        GetClassNameW(control, kind, 16);
        const bool list = lstrcmpiW(kind, L"ComboBox") == 0;
        MoveWindow(control, spans[i].left, top, spans[i].right - spans[i].left, list ? Scaled(200) : height,
                   TRUE);
    }
}

void Pane::Place(const RECT& area) {
    MoveWindow(window_.get(), area.left, area.top, area.right - area.left, area.bottom - area.top, TRUE);
}
