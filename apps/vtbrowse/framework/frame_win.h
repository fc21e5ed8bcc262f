// A top-level window made of panes, what every such window does the same way: its font, the
// message font at its DPI, which every control is made in; the dialog keys' WM_NEXTDLGCTL, so a
// label's access key reaches the box after it as in a dialog; and a move to a display of another
// scale (WM_DPICHANGED): the font made again and handed to every control, the panes told the new
// DPI, the window set in the suggested rectangle (its WM_SIZE lays the parts out again), drawn
// once at the end. A window's map hands this map what it does not take.
#pragma once

#include <vector>

#include "apps/vtbrowse/framework/message_map_win.h"
#include "apps/vtbrowse/framework/pane_win.h"

class Frame : public MessageMap {
public:
    HWND Window() const { return window_.get(); }

    BOOL ProcessWindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                              LRESULT& result) override;

protected:
    Frame() = default;
    ~Frame() = default;
    // pane's DPI follows the window's from now on.
    void Follow(Pane& pane) { panes_.push_back(&pane); }

    owners::unique_hwnd window_;
    int dpi_ = 96;

private:
    LRESULT OnNextDialogControl(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT OnDpiChanged(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled);

    owners::unique_gdi_object font_;  // the message font at dpi_, every control's
    std::vector<Pane*> panes_;
};
