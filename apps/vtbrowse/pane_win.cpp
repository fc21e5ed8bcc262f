#include "apps/vtbrowse/pane_win.h"

#include <utility>

#include "apps/vtbrowse/display_scale_win.h"
#include "apps/vtbrowse/window_object_win.h"

namespace {

constexpr const wchar_t* PaneClass = L"VtbrowsePane";

// Registered with the first pane and kept for the program's life: the tests make many windows.
void RegisterPaneClass() {
    static const owners::unique_window_class registered = RegisterObjectClass<Pane>(PaneClass);
}

}  // namespace

void Pane::CreatePane(HWND parent, int id) {
    RegisterPaneClass();
    const bool child = parent != HWND_MESSAGE;
    CreateWindowExW(child ? WS_EX_CONTROLPARENT : 0, PaneClass, L"",
                    child ? WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN : 0, 0, 0, 10, 10, parent,
                    child ? reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)) : nullptr,
                    GetModuleHandleW(nullptr), static_cast<Pane*>(this));
    if (!child) return;
    dpi_ = WindowDpi(parent);
    font_ = reinterpret_cast<HFONT>(SendMessageW(parent, WM_GETFONT, 0, 0));
}

void Pane::SetDpi(int dpi) {
    const int previous = std::exchange(dpi_, dpi);
    OnDpiChanged(previous);
    // Laid out again even where the pane keeps its size.
    RECT client{};
    GetClientRect(window_.get(), &client);
    OnSize(client.right, client.bottom);
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

LRESULT Pane::OnMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    FollowWindow(window_, window, message);
    switch (message) {
        case WM_COMMAND:
            OnCommand(LOWORD(wParam), HIWORD(wParam));
            return 0;
        case WM_NOTIFY:
            OnNotify(*reinterpret_cast<const NMHDR*>(lParam));
            return 0;
        case WM_TIMER:
            OnTimer(wParam);
            return 0;
        case WM_SIZE:
            OnSize(LOWORD(lParam), HIWORD(lParam));
            return 0;
        case WM_SETFONT:
            font_ = reinterpret_cast<HFONT>(wParam);
            return 0;
        case WM_GETFONT:
            return reinterpret_cast<LRESULT>(font_);
        default:
            if (window_ && OnOther(message, wParam, lParam)) return 0;
            return DefWindowProcW(window, message, wParam, lParam);
    }
}
