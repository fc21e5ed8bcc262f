// Line by line through a text file's content, as the list and settings files are read.
#pragma once

#include <string_view>

// Takes the first line off content (without its "\n" or "\r\n") and returns it.
inline std::string_view TakeLine(std::string_view& content) {
    const size_t end = content.find('\n');
    std::string_view line = content.substr(0, end);
    content = end == std::string_view::npos ? std::string_view{} : content.substr(end + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    return line;
}
