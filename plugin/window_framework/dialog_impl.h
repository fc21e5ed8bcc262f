// A small dialog framework in the shape of ATL's CDialogImpl: a window base holding the
// handle, a message-map base, and a dialog base that creates a modeless dialog from a template
// and hands every message to ProcessWindowMessage.
//
// Virtual slots of a dialog class, in order: ProcessWindowMessage (CMessageMap), the
// destructor, GetDialogProc, OnFinalMessage. CMessageMap is the first base with virtual
// operations, so its slot and its vtable pointer come first, then CWindow's handle.
#pragma once

#include "common/contract/windows_headers.h"
#include "common/owners/unique_resource.h"

namespace window_framework {

// Holds the window handle; owns nothing by itself.
class CWindow {
public:
    HWND m_hWnd = nullptr;

    bool IsWindow() const { return ::IsWindow(m_hWnd) != FALSE; }
};

class CMessageMap {
public:
    // The message map: true when message was handled, with result as its message result.
    // mapId selects an alternate map; 0 is the default one.
    virtual BOOL ProcessWindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                      LRESULT& result, DWORD mapId) = 0;

protected:
    // Not deleted through this base; CDialogImplBase's destructor is the virtual one.
    ~CMessageMap() = default;
};

class CDialogImplBase : public CWindow, public CMessageMap {
public:
    CDialogImplBase() = default;
    CDialogImplBase(const CDialogImplBase&) = delete;
    CDialogImplBase& operator=(const CDialogImplBase&) = delete;
    // Leaves the window alone: a derived class destroys it while it still is that class,
    // so the window's last messages still reach its message map.
    virtual ~CDialogImplBase();

    // The dialog procedure the window is created with.
    virtual DLGPROC GetDialogProc();
    // Called after the window's last message (WM_NCDESTROY), once the object has let go of it.
    virtual void OnFinalMessage(HWND window);

    // Finds the object of window (registered before creation, then kept in the window's user
    // data), routes the message to its map and returns the result the dialog manager expects.
    static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    // Destroys the dialog's window if it still exists (only its thread can); m_hWnd is cleared
    // by the window's last message.
    void DestroyOwnWindow() { window_.reset(); }

protected:
    // Creates the modeless dialog of templateId from the module's resources; initParam becomes
    // WM_INITDIALOG's lParam. Returns the window, or null when creation failed.
    HWND CreateFromTemplate(int templateId, HWND parent, LPARAM initParam);

private:
    // The window this object made, until it is destroyed (by its owner here, or by the system
    // with its parent: its last message then lets go of it).
    owners::unique_hwnd window_;
};

// Derived classes name their template as `enum { IDD = ... };`.
template <class Derived>
class CDialogImpl : public CDialogImplBase {
public:
    HWND Create(HWND parent, LPARAM initParam = 0) {
        return CreateFromTemplate(Derived::IDD, parent, initParam);
    }
};

}  // namespace window_framework
