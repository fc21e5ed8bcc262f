// A part of the main window that keeps its controls in a child window of its own, as WTL's panes
// do: the controls' commands and notifications and the part's timers reach the part, and the
// main window only makes it, places it and hears what it reports through its handlers. The pane
// is a control parent: Tab and the dialog keys walk into it. It lays its controls out in 96-DPI
// units at the window's DPI, in the window's font, and takes both again when the window's
// display changes scale.
#pragma once

#include <vector>

#include "apps/vtbrowse/browser_layout.h"
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
    // Lays the controls out for dpi from now on (their font has been set already); they move
    // when the pane is placed next.
    void SetDpi(int dpi);
    // Enter was pressed (the dialog keys make it the main window's IDOK) with focus on a window:
    // true when it was one of the pane's and the pane took the key.
    virtual bool OnEnter(HWND /*focus*/) { return false; }

    LRESULT OnMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

protected:
    // Makes the pane's window: a child of parent with id, at parent's DPI and in its font, or a
    // window only for messages when parent is HWND_MESSAGE.
    void CreatePane(HWND parent, int id);
    int Scaled(int units) const { return ::Scaled(units, dpi_); }
    // Places the controls of row left to right at top, height high, in a row width wide; a list
    // drops down below the row.
    void PlaceRow(const std::vector<RowCell>& row, int top, int width, int height) const;

    virtual void OnCommand(int /*id*/, int /*code*/) {}
    virtual void OnNotify(const NMHDR& /*header*/) {}
    virtual void OnTimer(UINT_PTR /*timer*/) {}
    virtual void OnSize(int /*width*/, int /*height*/) {}
    // The DPI changed from previous to dpi_, and the font with it: what is sized apart from OnSize
    // (columns) follows.
    virtual void OnDpiChanged(int /*previous*/) {}
    // Any other message; false to leave it to the default.
    virtual bool OnOther(UINT /*message*/, WPARAM /*wParam*/, LPARAM /*lParam*/) { return false; }

    owners::unique_hwnd window_;
    int dpi_ = 96;
    HFONT font_ = nullptr;  // the window's, set with WM_SETFONT: for the controls made in the pane
};
