// How host objects write their arguments into a journal line: texts raw, ints in decimal,
// joined by commas.
#pragma once

#include <string>

inline std::wstring CallArgumentText(const std::wstring& text) {
    return text;
}
inline std::wstring CallArgumentText(int value) {
    return std::to_wstring(value);
}

template <class... Arguments>
std::wstring JoinCallArguments(const Arguments&... arguments) {
    std::wstring joined;
    bool first = true;
    auto append = [&](const std::wstring& text) {
        if (!first) joined += L',';
        first = false;
        joined += text;
    };
    (append(CallArgumentText(arguments)), ...);
    return joined;
}
