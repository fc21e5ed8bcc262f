#include "host/services/host_name.h"

#include <cctype>

namespace {

bool EqualsIgnoringCase(std::string_view left, std::string_view right) {
    if (left.size() != right.size()) return false;
    for (size_t i = 0; i < left.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(left[i])) !=
            std::tolower(static_cast<unsigned char>(right[i])))
            return false;
    }
    return true;
}

bool IsLabelCharacter(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '-';
}

bool IsWellFormedLabel(std::string_view label) {
    if (label.empty() || label.size() > 63) return false;
    if (label.front() == '-' || label.back() == '-') return false;
    for (char c : label) {
        if (!IsLabelCharacter(c)) return false;
    }
    return true;
}

bool IsAllDigits(std::string_view label) {
    for (char c : label) {
        if (!std::isdigit(static_cast<unsigned char>(c))) return false;
    }
    return true;
}

}  // namespace

std::optional<std::string> AsciiAddressText(const wchar_t* text) {
    if (!text) return std::nullopt;
    std::string ascii;
    for (; *text; ++text) {
        if (*text <= 0 || *text > 0x7F) return std::nullopt;
        ascii.push_back(static_cast<char>(*text));
    }
    return ascii;
}

bool IsLoopbackName(std::string_view name) {
    return EqualsIgnoringCase(name, "localhost");
}

bool IsResolvableHostName(std::string_view name) {
    if (name.empty() || name.size() > 253) return false;
    std::string_view last;
    size_t start = 0;
    while (true) {
        size_t dot = name.find('.', start);
        std::string_view label = name.substr(start, dot == std::string_view::npos ? dot : dot - start);
        if (!IsWellFormedLabel(label)) return false;
        last = label;
        if (dot == std::string_view::npos) break;
        start = dot + 1;
    }
    return !IsAllDigits(last) && !EqualsIgnoringCase(last, "invalid");
}
