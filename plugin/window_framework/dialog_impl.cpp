#include "plugin/window_framework/dialog_impl.h"

#include "plugin/window_framework/module_state.h"

namespace window_framework {

namespace {

// Messages whose result the dialog manager takes from the procedure's return value rather
// than from DWLP_MSGRESULT.
bool ReturnsResultDirectly(UINT message) {
    switch (message) {
        case WM_COMPAREITEM:
        case WM_VKEYTOITEM:
        case WM_CHARTOITEM:
        case WM_INITDIALOG:
        case WM_QUERYDRAGICON:
        case WM_CTLCOLORMSGBOX:
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORLISTBOX:
        case WM_CTLCOLORBTN:
        case WM_CTLCOLORDLG:
        case WM_CTLCOLORSCROLLBAR:
        case WM_CTLCOLORSTATIC:
            return true;
        default:
            return false;
    }
}

}  // namespace

CDialogImplBase::~CDialogImplBase() = default;

DLGPROC CDialogImplBase::GetDialogProc() {
    return DialogProc;
}

void CDialogImplBase::OnFinalMessage(HWND) {}

HWND CDialogImplBase::CreateFromTemplate(int templateId, HWND parent, LPARAM initParam) {
    CModule& module = Module();
    module.AddCreateWndData(this);
    HWND window = ::CreateDialogParamW(module.GetResourceInstance(), MAKEINTRESOURCEW(templateId), parent,
                                       GetDialogProc(), initParam);
    // A creation that failed before the first message leaves the registration behind.
    module.ForgetCreateWndData(this);
    // A window destroyed during its own creation has already let go of this object.
    if (m_hWnd == window) window_.reset(window);
    return window;
}

INT_PTR CALLBACK CDialogImplBase::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<CDialogImplBase*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!self) {
        // The first message of a new dialog (WM_SETFONT comes before WM_INITDIALOG).
        self = Module().ExtractCreateWndData();
        if (!self) return FALSE;
        self->m_hWnd = window;
        ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }

    LRESULT result = 0;
    BOOL handled = self->ProcessWindowMessage(window, message, wParam, lParam, result, 0);

    if (message == WM_NCDESTROY) {
        // The window goes: nothing may reach the object through it any more, and the object
        // has no window left to destroy.
        ::SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        self->m_hWnd = nullptr;
        self->window_.release();
        self->OnFinalMessage(window);
    }
    if (!handled) return FALSE;
    if (ReturnsResultDirectly(message)) return static_cast<INT_PTR>(result);
    // Stored only when it changes: reading the window's bytes is local, writing them is a trip
    // to Wine's server, and a socket notification's result is the same 0 every time.
    if (::GetWindowLongPtrW(window, DWLP_MSGRESULT) != result)
        ::SetWindowLongPtrW(window, DWLP_MSGRESULT, result);
    return TRUE;
}

}  // namespace window_framework
