// A top-level window made of panes, what every such window does the same way: its font, the
// message font at its DPI, which every control is made in; the dialog keys' WM_NEXTDLGCTL, so a
// label's access key reaches the box after it as in a dialog; and a move to a display of another
// scale (WM_DPICHANGED): the font made again and handed to every control, the panes told the new
// DPI, the window set in the suggested rectangle (its WM_SIZE lays the parts out again), drawn
// once at the end. It makes its window at the scale of the display it lands on, keeps it from
// shrinking below what its parts need, and takes its accelerators and dialog keys from the message
// loop. A window's map hands this map what it does not take.
#pragma once

#include <optional>
#include <utility>
#include <vector>

#include "apps/vtbrowse/framework/message_map_win.h"
#include "apps/vtbrowse/framework/pane_win.h"

class Frame : public MessageMap {
public:
    HWND Window() const { return window_.get(); }
    // For the message loop: true when message was one of the window's accelerators or dialog keys,
    // taken, and must not be dispatched again.
    bool PreTranslate(MSG& message);

    BOOL ProcessWindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                              LRESULT& result) override;

protected:
    Frame() = default;
    ~Frame() = default;
    // pane's DPI follows the window's from now on.
    void Follow(Pane& pane) { panes_.push_back(&pane); }
    // Makes the window of class name for object (the window's own, as its class's procedure reads
    // it): its top left at place on the screen, or where the system puts it (none), size (in 96-DPI
    // units) at the scale of the display it stands on. Not shown yet; window_ stays empty when it
    // could not be made.
    void CreateFrame(const wchar_t* name, const wchar_t* title, std::optional<POINT> place, SIZE size,
                     void* object);
    // WM_GETMINMAXINFO's answer: the frame as it stands around a client area of least (pixels);
    // the frame's parts are the system's, at the system's scale or the display's.
    void KeepAtLeast(SIZE least, MINMAXINFO& info) const;
    // Where the window stands when neither minimised nor maximised: its top left on the screen,
    // and its size in 96-DPI units; none when the system cannot say.
    std::optional<std::pair<POINT, SIZE>> NormalPlace() const;

    owners::unique_hwnd window_;
    int dpi_ = 96;
    HACCEL accelerators_ = nullptr;  // from the resources: nothing to destroy

private:
    LRESULT OnNcCreate(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT OnGetFont(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT OnNextDialogControl(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT OnDpiChanged(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled);

    owners::unique_gdi_object font_;  // the message font at dpi_, every control's
    std::vector<Pane*> panes_;
};
