// A part of the main window that keeps its controls in a child window of its own, as WTL's panes
// do: the controls' commands and notifications and the part's timers reach the pane's message
// map, and the main window only makes it, places it and connects it to the model. The pane is a
// control parent: Tab and the dialog keys walk into it. It lays its controls out in 96-DPI units
// at the window's DPI, in the window's font, and takes both again when the window's display
// changes scale.
//
// The base map, which a pane's map hands what it does not take: the window's font for the
// controls (WM_SETFONT, WM_GETFONT), and a button's click, which reaches the main window as the
// command it is (as the accelerators' do). A pane is told Enter was pressed on one of its
// controls as the main window's IDOK (WM_COMMAND with no control), and that the window's DPI
// changed as DpiChangedAfterParent, with the DPI before it as wParam (dpi_ is the new one);
// it is laid out again after that (WM_SIZE).
#pragma once

#include <vector>

#include "apps/vtbrowse/framework/message_map_win.h"
#include "apps/vtbrowse/framework/scale.h"

// WM_DPICHANGED_AFTERPARENT, which the headers declare for Windows 10 alone: the window sends it
// to its panes itself, on every version.
constexpr UINT DpiChangedAfterParent = 0x02E3;

class Pane : public MessageMap {
public:
    Pane() = default;
    virtual ~Pane() = default;
    Pane(const Pane&) = delete;
    Pane& operator=(const Pane&) = delete;

    HWND Window() const { return window_.get(); }
    // Places the pane in its parent; its controls follow (WM_SIZE).
    void Place(const RECT& area);
    // Lays the controls out for dpi from now on (their font has been set already).
    void SetDpi(int dpi);

    BOOL ProcessWindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                              LRESULT& result) override;

protected:
    // Makes the pane's window: a child of parent with id, at parent's DPI and in its font.
    void CreatePane(HWND parent, int id);
    int Scaled(int units) const { return ::Scaled(units, dpi_); }
    // Places the controls of row left to right at top, height high, in a row width wide; a list
    // drops down below the row.
    void PlaceRow(const std::vector<RowCell>& row, int top, int width, int height) const;

    owners::unique_hwnd window_;
    int dpi_ = 96;
    HFONT font_ = nullptr;  // the window's, set with WM_SETFONT: for the controls made in the pane

private:
    LRESULT OnSetFont(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT OnGetFont(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT OnCommand(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled);
};
