// The log pane: what happened, a line each with the time of day, the latest in view: the model's
// lines, and the errors the plugin reports through VtError (looked for four times a second; none
// of them stops a refresh). Started from a shell, every line also goes to the shell's error stream.
#pragma once

#include <string>

#include "apps/vtbrowse/framework/pane_win.h"
#include "apps/vtbrowse/model/browser_model.h"

class LogPane final : public Pane, private ModelObserver {
public:
    LogPane(HWND parent, BrowserModel& model);
    ~LogPane() override;

    BOOL ProcessWindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                              LRESULT& result) override;

private:
    void Changed(const ModelChange& change) override;
    LRESULT OnSize(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT OnTimer(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled);
    void Add(const std::wstring& text);

    BrowserModel& model_;
    HWND list_ = nullptr;
    size_t errorsSeen_ = 0;
};
