// How host objects write their arguments into a journal line: texts raw, ints in decimal,
// joined by commas; and HostObjectCore::Enter, which does so only when a journal is attached.
#pragma once

#include <string>

#include "host/server_objects.h"

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
    // Set only while a journal or a fault plan is attached; without them a call is not watched.
    if (!watched_.load(std::memory_order_acquire)) return;
    HostFault fault = HostFault::None;
    {
        std::lock_guard<std::recursive_mutex> hold(mutex_);
        if constexpr (sizeof...(Arguments) == 0) {
            RecordCall(operation, nullptr);
        } else if (journal_) {
            const std::wstring joined = JoinCallArguments(arguments...);
            RecordCall(operation, &joined);
        }
        fault = TakeFault(operation);
    }
    // Made with no lock held, so a caller that jumps out of a processor fault leaves the
    // object usable by other threads.
    if (fault != HostFault::None) MakeHostFault(fault, operation);
}
