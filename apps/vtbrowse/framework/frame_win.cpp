#include "apps/vtbrowse/framework/frame_win.h"

#include <utility>

#include "apps/vtbrowse/framework/display_scale_win.h"

BOOL Frame::ProcessWindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    FollowWindow(window_, window, message);
    return TakeMessage(*this,
                       {{WM_NCCREATE, &Frame::OnNcCreate},
                        {WM_GETFONT, &Frame::OnGetFont},
                        {WM_NEXTDLGCTL, &Frame::OnNextDialogControl},
                        {WM_DPICHANGED, &Frame::OnDpiChanged}},
                       message, wParam, lParam, result);
}

// Before the parts are made (WM_CREATE): they are made at the window's scale. The system goes on
// to make the window.
LRESULT Frame::OnNcCreate(UINT, WPARAM, LPARAM, BOOL& handled) {
    dpi_ = WindowDpi(window_.get());
    font_ = MessageFont(dpi_);
    handled = FALSE;
    return 0;
}

LRESULT Frame::OnGetFont(UINT, WPARAM, LPARAM, BOOL&) {
    return reinterpret_cast<LRESULT>(font_.get());
}

void Frame::CreateFrame(const wchar_t* name, const wchar_t* title, std::optional<POINT> place, SIZE size,
                        void* object) {
    // Made at the scale guessed, and sized again once it is known on which display it stands.
    const int guess = WindowDpi(nullptr);
    CreateWindowExW(WS_EX_CONTROLPARENT, name, title, WS_OVERLAPPEDWINDOW, place ? place->x : CW_USEDEFAULT,
                    place ? place->y : CW_USEDEFAULT, Scaled(size.cx, guess), Scaled(size.cy, guess), nullptr,
                    nullptr, GetModuleHandleW(nullptr), object);
    if (window_ && dpi_ != guess)
        SetWindowPos(window_.get(), nullptr, 0, 0, Scaled(size.cx, dpi_), Scaled(size.cy, dpi_),
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Frame::KeepAtLeast(SIZE least, MINMAXINFO& info) const {
    RECT outer{}, inner{};
    GetWindowRect(window_.get(), &outer);
    GetClientRect(window_.get(), &inner);
    info.ptMinTrackSize = POINT{least.cx + (outer.right - outer.left) - inner.right,
                                least.cy + (outer.bottom - outer.top) - inner.bottom};
}

bool Frame::PreTranslate(MSG& message) {
    if (!window_) return false;
    if (accelerators_ && TranslateAcceleratorW(window_.get(), accelerators_, &message)) return true;
    return IsDialogMessageW(window_.get(), &message) != FALSE;
}

std::optional<std::pair<POINT, SIZE>> Frame::NormalPlace() const {
    WINDOWPLACEMENT placement{};
    placement.length = sizeof placement;
    if (!GetWindowPlacement(window_.get(), &placement)) return std::nullopt;
    const RECT& normal = placement.rcNormalPosition;
    return std::pair(POINT{normal.left, normal.top}, SIZE{Unscaled(normal.right - normal.left, dpi_),
                                                          Unscaled(normal.bottom - normal.top, dpi_)});
}

// The dialog keys ask for it when a label's access key is pressed: the label first, then the
// control after it.
LRESULT Frame::OnNextDialogControl(UINT, WPARAM wParam, LPARAM lParam, BOOL&) {
    if (LOWORD(lParam)) {
        SetFocus(reinterpret_cast<HWND>(wParam));
    } else if (HWND next = GetNextDlgTabItem(window_.get(), GetFocus(), wParam != 0)) {
        SetFocus(next);
        if (SendMessageW(next, WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL) SendMessageW(next, EM_SETSEL, 0, -1);
    }
    return 0;
}

namespace {

BOOL CALLBACK SetFontOf(HWND control, LPARAM font) {
    SendMessageW(control, WM_SETFONT, static_cast<WPARAM>(font), FALSE);
    return TRUE;
}

}  // namespace

LRESULT Frame::OnDpiChanged(UINT, WPARAM wParam, LPARAM lParam, BOOL&) {
    HWND window = window_.get();
    const RECT& suggested = *reinterpret_cast<const RECT*>(lParam);
    // Drawn once, when everything has its new size: no flicker.
    SendMessageW(window, WM_SETREDRAW, FALSE, 0);
    dpi_ = HIWORD(wParam);
    owners::unique_gdi_object font = MessageFont(dpi_);
    EnumChildWindows(window, SetFontOf, reinterpret_cast<LPARAM>(font.get()));
    std::swap(font_, font);  // the old one goes once no control holds it
    for (Pane* pane : panes_) pane->SetDpi(dpi_);
    SetWindowPos(window, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                 suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
    // Laid out again even where the window keeps its size.
    RECT client{};
    GetClientRect(window, &client);
    SendMessageW(window, WM_SIZE, SIZE_RESTORED, MAKELPARAM(client.right, client.bottom));
    SendMessageW(window, WM_SETREDRAW, TRUE, 0);
    RedrawWindow(window, nullptr, nullptr, RDW_ERASE | RDW_FRAME | RDW_INVALIDATE | RDW_ALLCHILDREN);
    return 0;
}
