// How host objects write a call's arguments out for a watch: texts raw, ints in decimal, joined
// by commas; and HostObjectCore::Enter, which does so only for a watch that wants them.
#pragma once

#include <string>

#include "host/services/server_objects.h"

inline const std::wstring& CallArgumentText(const std::wstring& text) {
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

template <class... Arguments>
void HostObjectCore::Enter(const wchar_t* operation, const Arguments&... arguments) {
    CallWatch* watch = watch_.Current();
    if (!watch) return;
    if constexpr (sizeof...(Arguments) > 0) {
        if (watch->WantsArguments()) {
            const std::wstring joined = JoinCallArguments(arguments...);
            watch->Enter(tag_, operation, &joined);
            return;
        }
    }
    watch->Enter(tag_, operation, nullptr);
}
