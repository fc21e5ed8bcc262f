// vtquery's text streams: UTF-8 bytes exactly as formatted (no CR added), and the progress
// line that only a terminal gets.
#pragma once

#include <string>

void WriteOut(const std::string& text);
void WriteError(const std::string& text);

// Draws "text" over the previous progress line on stderr; empty text erases it.
class ProgressLine {
public:
    // Shown only when enabled and stderr is a terminal.
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
