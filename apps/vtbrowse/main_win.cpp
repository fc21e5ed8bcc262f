// vtbrowse: a desktop server browser that hosts Tribes.vtplugin as Vantor does.
#include <string>
#include <vector>

#include "apps/shared/host_paths_win.h"
#include "apps/shared/program_arguments_win.h"
#include "apps/vtbrowse/browser_window_win.h"
#include "common/contract/windows_headers.h"

namespace {

// The user's application data folder holds vtbrowse's settings; without one, the program's folder.
std::wstring DefaultSettingsPath() {
    wchar_t folder[MAX_PATH * 2] = L"";
    const DWORD length = GetEnvironmentVariableW(L"APPDATA", folder, MAX_PATH * 2);
    if (length > 0 && length < MAX_PATH * 2) return std::wstring(folder) + L"\\vtbrowse\\settings.txt";
    const std::wstring plugin = PluginBesideProgram();
    return plugin.substr(0, plugin.find_last_of(L"\\/") + 1) + L"vtbrowse-settings.txt";
}

// The program's message loop for browser; the exit code.
int RunMessageLoop(BrowserWindow& browser) {
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (browser.PreTranslate(message)) continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return static_cast<int>(message.wParam);
}

}  // namespace

int main() {
    BrowserStart start;
    start.options = ParseBrowseOptions(ProgramArguments());
    start.settingsPath =
        start.options.settingsPath.empty() ? DefaultSettingsPath() : FullHostPath(start.options.settingsPath);
    start.pluginPath =
        start.options.pluginPath.empty() ? PluginBesideProgram() : FullHostPath(start.options.pluginPath);
    BrowserWindow browser(std::move(start));
    if (!browser.Window()) {
        MessageBoxW(nullptr, L"vtbrowse could not make its window.", L"vtbrowse", MB_ICONERROR);
        return 1;
    }
    return RunMessageLoop(browser);
}
