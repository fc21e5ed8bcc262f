#include "apps/vtquery/console_win.h"

#include <fcntl.h>
#include <io.h>

#include <cstdio>

namespace {

// Binary mode once, before the first write: the text already holds the line ends we want.
void Write(FILE* stream, const std::string& text) {
    static const bool binary = [] {
        _setmode(_fileno(stdout), _O_BINARY);
        _setmode(_fileno(stderr), _O_BINARY);
        return true;
    }();
    (void)binary;
    std::fwrite(text.data(), 1, text.size(), stream);
    std::fflush(stream);
}

}  // namespace

void WriteOut(const std::string& text) {
    Write(stdout, text);
}

void WriteError(const std::string& text) {
    Write(stderr, text);
}

ProgressLine::ProgressLine(bool enabled) : shown_(enabled && _isatty(_fileno(stderr))) {}

ProgressLine::~ProgressLine() {
    Show("");
}

void ProgressLine::Show(const std::string& text) {
    if (!shown_ || text == last_) return;
    std::string line = "\r" + text;
    if (text.size() < width_) line += std::string(width_ - text.size(), ' ') + "\r" + text;
    width_ = text.size();
    last_ = text;
    WriteError(line);
}
