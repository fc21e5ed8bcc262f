// The log pane: what happened, a line each with the time of day, the latest in view. Started from
// a shell, every line also goes to the shell's error stream. It also takes in the errors the
// plugin reports through VtError, four times a second; none of them stops a refresh.
#pragma once

#include <string>

#include "apps/vtbrowse/pane_win.h"

class LogPane final : public Pane {
public:
    explicit LogPane(HWND parent);

    void Add(const std::wstring& text);

private:
    void OnSize(int width, int height) override;
    void OnTimer(UINT_PTR timer) override;

    HWND list_ = nullptr;
    size_t errorsSeen_ = 0;
};
