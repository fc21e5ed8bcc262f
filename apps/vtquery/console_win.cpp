#include "apps/vtquery/console_win.h"

#include <algorithm>

#include "common/contract/windows_headers.h"
#include "host/text/utf8_text.h"

namespace {

bool IsConsole(HANDLE stream) {
    DWORD mode = 0;
    return GetConsoleMode(stream, &mode) != 0;
}

// In pieces: older consoles refuse a single write of more than about 64 KB. A piece never ends
// between the two halves of a surrogate pair.
void WriteConsoleText(HANDLE console, const std::wstring& text) {
    constexpr size_t Piece = 8192;
    for (size_t start = 0; start < text.size();) {
        size_t length = std::min(Piece, text.size() - start);
        const wchar_t last = text[start + length - 1];
        if (length > 1 && last >= 0xD800 && last <= 0xDBFF) --length;
        DWORD written = 0;
        if (!WriteConsoleW(console, text.data() + start, static_cast<DWORD>(length), &written, nullptr) ||
            written == 0)
            return;
        start += written;
    }
}

void WriteBytes(HANDLE file, const std::string& text) {
    for (size_t start = 0; start < text.size();) {
        DWORD written = 0;
        const DWORD length = static_cast<DWORD>(std::min<size_t>(text.size() - start, 1 << 20));
        if (!WriteFile(file, text.data() + start, length, &written, nullptr) || written == 0) return;
        start += written;
    }
}

void Write(DWORD which, const std::string& text) {
    const HANDLE stream = GetStdHandle(which);
    if (stream == nullptr || stream == INVALID_HANDLE_VALUE) return;
    if (IsConsole(stream)) {
        WriteConsoleText(stream, WideFromUtf8(text));
    } else {
        WriteBytes(stream, text);
    }
}

}  // namespace

void WriteOut(const std::string& text) {
    Write(STD_OUTPUT_HANDLE, text);
}

void WriteError(const std::string& text) {
    Write(STD_ERROR_HANDLE, text);
}

ProgressLine::ProgressLine(bool enabled) : shown_(enabled && IsConsole(GetStdHandle(STD_ERROR_HANDLE))) {}

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
