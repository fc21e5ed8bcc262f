// The log pane: what happened, a line each with the time of day, the latest in view. Started from
// a shell, every line also goes to the shell's error stream.
#pragma once

#include <string>

#include "contract/windows_headers.h"

class LogPane {
public:
    LogPane(HWND parent, int id);
    LogPane(const LogPane&) = delete;
    LogPane& operator=(const LogPane&) = delete;

    HWND Window() const { return list_; }
    void Add(const std::wstring& text);

private:
    HWND list_;
};
