#include "apps/vtbrowse/pane_win.h"

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
        default:
            if (window_ && OnOther(message, wParam, lParam)) return 0;
            return DefWindowProcW(window, message, wParam, lParam);
    }
}
