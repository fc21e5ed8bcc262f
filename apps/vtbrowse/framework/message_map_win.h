// How every window and dialog of vtbrowse takes its messages: the shape of the plugin's
// window_framework (ATL's), without alternate maps. The object's ProcessWindowMessage is its
// message map: a table at the top of its file, a line a message, as ATL's MESSAGE_HANDLER lines,
// that TakeMessage hands to a handler of one signature, LRESULT OnX(UINT message, WPARAM wParam,
// LPARAM lParam, BOOL& handled); what it does not take (FALSE) goes to the default: DefWindowProc,
// or FALSE from a dialog procedure. A map may end by handing the rest to its base's map, as ATL
// chains them.
// The object is found in the window's own data, from the message that carries it at creation to
// the window's last message, which still reaches the object so it can let go of its handle.
#pragma once

#include <initializer_list>

#include "common/contract/windows_headers.h"
#include "common/owners/unique_resource.h"

// A line of a map: message, and the handler it goes to.
template <class Object>
struct MessageLine {
    UINT message;
    LRESULT (Object::*handler)(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled);
};

// Hands message to the handler of its line in map; TRUE, with result set, when one took it (a
// handler that sets handled FALSE leaves it to whatever comes after the map).
template <class Object>
BOOL TakeMessage(Object& object, std::initializer_list<MessageLine<Object>> map, UINT message, WPARAM wParam,
                 LPARAM lParam, LRESULT& result) {
    for (const MessageLine<Object>& line : map) {
        if (line.message != message) continue;
        BOOL handled = TRUE;
        const LRESULT answer = (object.*line.handler)(message, wParam, lParam, handled);
        if (handled) result = answer;
        return handled;
    }
    return FALSE;
}

class MessageMap {
public:
    // True when the map took message, with result as its result.
    virtual BOOL ProcessWindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                      LRESULT& result) = 0;

protected:
    ~MessageMap() = default;
};

// Keeps owner holding window from its creation message to its last: a window the system destroys
// with its parent leaves its owner empty, not holding a handle that is gone.
inline void FollowWindow(owners::unique_hwnd& owner, HWND window, UINT message) {
    if (message == WM_NCCREATE || message == WM_INITDIALOG) owner.reset(window);
    if (message == WM_NCDESTROY) owner.release();
}

// The procedure of a window made with CreateWindowExW(..., object): object from WM_NCCREATE on.
template <class Object>
LRESULT CALLBACK MapWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        const auto* creation = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(creation->lpCreateParams));
    }
    auto* object = reinterpret_cast<Object*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (message == WM_NCDESTROY) SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    LRESULT result = 0;
    if (object && object->ProcessWindowMessage(window, message, wParam, lParam, result)) return result;
    return DefWindowProcW(window, message, wParam, lParam);
}

// The procedure of a dialog made with DialogBoxParamW or CreateDialogParamW(..., object): object
// from WM_INITDIALOG on. A message whose result is the procedure's own return (WM_INITDIALOG's:
// whether the system sets the focus) returns it; any other's goes through DWLP_MSGRESULT.
template <class Object>
INT_PTR CALLBACK MapDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) SetWindowLongPtrW(dialog, DWLP_USER, lParam);
    auto* object = reinterpret_cast<Object*>(GetWindowLongPtrW(dialog, DWLP_USER));
    if (message == WM_NCDESTROY) SetWindowLongPtrW(dialog, DWLP_USER, 0);
    LRESULT result = 0;
    if (!object || !object->ProcessWindowMessage(dialog, message, wParam, lParam, result)) return FALSE;
    if (message == WM_INITDIALOG) return static_cast<INT_PTR>(result);
    SetWindowLongPtrW(dialog, DWLP_MSGRESULT, result);
    return TRUE;
}

// Registers a class of windows whose messages go to their Object's map, drawn in the dialogs'
// face colour with the arrow cursor; kept until the owner returned lets go.
template <class Object>
owners::unique_window_class RegisterMapClass(const wchar_t* name, HICON icon = nullptr) {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = MapWindowProc<Object>;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    windowClass.hIcon = icon;
    windowClass.lpszClassName = name;
    return owners::unique_window_class::Register(windowClass);
}
