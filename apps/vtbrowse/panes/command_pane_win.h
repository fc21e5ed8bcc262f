// The row of buttons at the top of the window, with the automatic refresh ("Auto refresh every N
// s"): a pane. Its buttons' commands go to the window as its accelerators' do; the period and the
// box go to the model, which checks the period against its range; the pane runs the timer and
// tells the model when the period went by. It shows which commands can run now.
#pragma once

#include "apps/vtbrowse/framework/pane_win.h"
#include "apps/vtbrowse/model/browser_model.h"

class CommandPane final : public Pane, private ModelObserver {
public:
    CommandPane(HWND parent, BrowserModel& model);
    ~CommandPane() override;

    BOOL ProcessWindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                              LRESULT& result) override;

private:
    void Changed(const ModelChange& change) override;
    LRESULT OnCommand(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT OnTimer(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT OnSize(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled);
    // The period and the box as the model keeps them, and the timer started again.
    void ShowAutoRefresh();

    BrowserModel& model_;
    // The buttons whose state follows the model's.
    HWND cancel_ = nullptr;
    HWND refresh_ = nullptr;
    HWND refreshSelected_ = nullptr;
};
