// vtquery's text streams, given UTF-8 exactly as formatted (no CR added). A console gets the
// text as UTF-16 through WriteConsoleW, which it shows whatever its code page (437 or 850 would
// show UTF-8 bytes as "┬╗TCB┬½"); a file or a pipe gets the UTF-8 bytes. And the progress line
// that only a console gets.
#pragma once

#include <string>

void WriteOut(const std::string& text);
void WriteError(const std::string& text);

// Draws "text" over the previous progress line on stderr; empty text erases it.
class ProgressLine {
public:
    // Shown only when enabled and stderr is a console.
    explicit ProgressLine(bool enabled);
    ~ProgressLine();
    ProgressLine(const ProgressLine&) = delete;
    ProgressLine& operator=(const ProgressLine&) = delete;

    void Show(const std::string& text);

private:
    bool shown_ = false;
    size_t width_ = 0;
    std::string last_;
};
