// The log pane: what happened, a line each with the time of day, the latest in view. Started from
// a shell, every line also goes to the shell's error stream.
#pragma once

#include <string>

#include "apps/vtbrowse/pane_win.h"

class LogPane final : public Pane {
public:
    explicit LogPane(HWND parent);

    void Add(const std::wstring& text);

private:
    void OnSize(int width, int height) override;

    HWND list_ = nullptr;
};
