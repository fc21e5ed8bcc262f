// The find-a-player window: a modeless dialog that lists where a name is playing, searching the
// model's servers as the user types and again whenever the servers' answers changed. Choosing a
// line has the model choose its server.
#pragma once

#include <string>
#include <vector>

#include "apps/vtbrowse/framework/message_map_win.h"
#include "apps/vtbrowse/model/browser_model.h"

class FindPlayerDialog final : public MessageMap, private ModelObserver {
public:
    FindPlayerDialog(HWND owner, BrowserModel& model);
    ~FindPlayerDialog();
    FindPlayerDialog(const FindPlayerDialog&) = delete;
    FindPlayerDialog& operator=(const FindPlayerDialog&) = delete;

    HWND Window() const { return dialog_.get(); }
    // For the message loop: true when message was a dialog key of the window, shown.
    bool PreTranslate(MSG& message) {
        return dialog_ && IsWindowVisible(dialog_.get()) && IsDialogMessageW(dialog_.get(), &message);
    }
    // Shows the window, searched anew, with the search text selected for typing.
    void Open();

    BOOL ProcessWindowMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam,
                              LRESULT& result) override;

private:
    void Changed(const ModelChange& change) override;
    LRESULT OnInitDialog(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT OnSize(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled);
    // Moved to a display of another scale: the system scales the dialog and what its template
    // made; the columns made here follow, and the system's own scaling goes on.
    LRESULT OnDpiChanged(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT OnGetMinMaxInfo(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT OnCommand(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT OnNotify(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled);
    // Searches again.
    void Update();
    void ChooseSelected();
    void Layout();

    BrowserModel& model_;
    std::vector<PlayerSighting> found_;
    int dpi_ = 96;
    owners::unique_hwnd dialog_;
};
