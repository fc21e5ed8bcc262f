// The object a window of vtbrowse belongs to, kept in the window's own data: taken from the
// message that carries it at creation, cleared at the window's last message (which still reaches
// the object, so it can let go of its handle). Every window and dialog of vtbrowse is routed so.
#pragma once

#include "common/contract/windows_headers.h"
#include "common/owners/unique_resource.h"

// A window made with CreateWindowExW(..., object): object from WM_NCCREATE on.
template <class Object>
Object* WindowObject(HWND window, UINT message, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        const auto* creation = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(creation->lpCreateParams));
    }
    auto* object = reinterpret_cast<Object*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (message == WM_NCDESTROY) SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    return object;
}

// A dialog made with DialogBoxParamW or CreateDialogParamW(..., object): object from
// WM_INITDIALOG on.
template <class Object>
Object* DialogObject(HWND dialog, UINT message, LPARAM lParam) {
    if (message == WM_INITDIALOG) SetWindowLongPtrW(dialog, DWLP_USER, lParam);
    auto* object = reinterpret_cast<Object*>(GetWindowLongPtrW(dialog, DWLP_USER));
    if (message == WM_NCDESTROY) SetWindowLongPtrW(dialog, DWLP_USER, 0);
    return object;
}

// Keeps owner holding window from its creation message to its last: a window the system destroys
// with its parent leaves its owner empty, not holding a handle that is gone.
inline void FollowWindow(owners::unique_hwnd& owner, HWND window, UINT message) {
    if (message == WM_NCCREATE || message == WM_INITDIALOG) owner.reset(window);
    if (message == WM_NCDESTROY) owner.release();
}

// Procedures that hand every message of the window to its object's
// OnMessage(window, message, wParam, lParam); before the object is known, the default.
template <class Object>
LRESULT CALLBACK ObjectWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    Object* object = WindowObject<Object>(window, message, lParam);
    return object ? object->OnMessage(window, message, wParam, lParam)
                  : DefWindowProcW(window, message, wParam, lParam);
}

// Registers a class of windows whose messages go to their Object (ObjectWindowProc), drawn in the
// dialogs' face colour with the arrow cursor; kept until the owner returned lets go.
template <class Object>
owners::unique_window_class RegisterObjectClass(const wchar_t* name, HICON icon = nullptr) {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = ObjectWindowProc<Object>;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    windowClass.hIcon = icon;
    windowClass.lpszClassName = name;
    return owners::unique_window_class::Register(windowClass);
}

template <class Object>
INT_PTR CALLBACK ObjectDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    Object* object = DialogObject<Object>(dialog, message, lParam);
    return object ? object->OnMessage(dialog, message, wParam, lParam) : FALSE;
}
