#include "plugin/boundary/plugin_error.h"
#include "plugin/error_trap/error_trap.h"

void ReportPluginError(const wchar_t* activity, const std::wstring& server) {
    auto report = [&] {
        const std::wstring message = L"A error occured in an unknown plugin while " + std::wstring(activity) +
                                     L" \"" + server + L"\". This may cause a greater plugin crash.";
        VtError::GetInstance()->SetError(L"Plugin Error", message.c_str());
    };
    error_trap::RunTrapped(report);
}

std::wstring ServerLabel(VtServerEntry& entry) {
    std::wstring label;
    auto read = [&] { label = entry.GetLabel(); };
    if (!error_trap::RunTrapped(read)) label.clear();
    return label;
}
