// A part of the main window that keeps its controls in a child window of its own, as WTL's panes
// do: the controls' commands and notifications and the part's timers reach the part, and the
// main window only makes it, places it and hears what it reports through its handlers. The pane
// is a control parent: Tab and the dialog keys walk into it.
#pragma once

#include "common/contract/windows_headers.h"
#include "common/owners/unique_resource.h"

class Pane {
public:
    Pane() = default;
    virtual ~Pane() = default;
    Pane(const Pane&) = delete;
    Pane& operator=(const Pane&) = delete;

    HWND Window() const { return window_.get(); }
    // Places the pane in its parent; its controls follow through OnSize.
    void Place(const RECT& area);
    // Enter was pressed (the dialog keys make it the main window's IDOK) with focus on a window:
    // true when it was one of the pane's and the pane took the key.
    virtual bool OnEnter(HWND /*focus*/) { return false; }

    LRESULT OnMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

protected:
    // Makes the pane's window: a child of parent with id, or a window only for messages when
    // parent is HWND_MESSAGE.
    void CreatePane(HWND parent, int id);

    virtual void OnCommand(int /*id*/, int /*code*/) {}
    virtual void OnNotify(const NMHDR& /*header*/) {}
    virtual void OnTimer(UINT_PTR /*timer*/) {}
    virtual void OnSize(int /*width*/, int /*height*/) {}
    // Any other message; false to leave it to the default.
    virtual bool OnOther(UINT /*message*/, WPARAM /*wParam*/, LPARAM /*lParam*/) { return false; }

    owners::unique_hwnd window_;
};
