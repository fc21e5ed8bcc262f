// vtbrowse: a desktop server browser that hosts Tribes.vtplugin as Vantor does. One runs per
// settings file: a later start hands its command line to the one open (instance_claim_win.h).
#include <optional>
#include <string>
#include <vector>

#include "apps/shared/host_paths_win.h"
#include "apps/shared/program_arguments_win.h"
#include "apps/vtbrowse/command_line/handover.h"
#include "apps/vtbrowse/command_line/instance_claim_win.h"
#include "apps/vtbrowse/window/browser_window_win.h"
#include "common/contract/windows_headers.h"
#include "host/text/utf8_text.h"

namespace {

// Exit codes of a later start.
constexpr int HandedOver = 0;
constexpr int NotHandedOver = 1;  // the open vtbrowse did not take it
constexpr int BadUsage = 2;       // nothing handed over: the command line has problems

// The user's application data folder holds vtbrowse's settings; without one, the program's folder.
std::wstring DefaultSettingsPath() {
    wchar_t folder[MAX_PATH * 2] = L"";
    const DWORD length = GetEnvironmentVariableW(L"APPDATA", folder, MAX_PATH * 2);
    if (length > 0 && length < MAX_PATH * 2) return std::wstring(folder) + L"\\vtbrowse\\settings.txt";
    const std::wstring plugin = PluginBesideProgram();
    return plugin.substr(0, plugin.find_last_of(L"\\/") + 1) + L"vtbrowse-settings.txt";
}

// Tells whoever started vtbrowse: on the error stream it was given (a script's), else in a box.
// text names vtbrowse itself.
int Tell(const std::wstring& text, int exitCode) {
    const HANDLE error = GetStdHandle(STD_ERROR_HANDLE);
    if (error && error != INVALID_HANDLE_VALUE && GetFileType(error) != FILE_TYPE_UNKNOWN) {
        const std::string line = Utf8FromWide(text) + "\n";
        DWORD written = 0;
        WriteFile(error, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    } else {
        MessageBoxW(nullptr, text.c_str(), L"vtbrowse", MB_ICONERROR);
    }
    return exitCode;
}

// A later start: hands arguments to the vtbrowse open on the same settings; the exit code, or
// none when that one ended meanwhile and this start is the first now.
std::optional<int> HandOver(InstanceClaim& claim, const std::vector<std::string>& arguments,
                            const BrowseOptions& options) {
    const std::wstring already = L"vtbrowse is already open with these settings. ";
    if (!options.problems.empty()) {
        std::wstring said = already + L"This command line was not handed to it:";
        for (const std::wstring& problem : options.problems) said += L"\n" + problem;
        return Tell(said, BadUsage);
    }
    const std::optional<std::string> payload = PackHandover(arguments);
    if (!payload) return Tell(already + L"This command line is too long to hand to it.", BadUsage);
    switch (claim.HandOver(*payload, HandoverBounds{})) {
        case HandoverEnd::Taken:
            return HandedOver;
        case HandoverEnd::BecameFirst:
            return std::nullopt;
        case HandoverEnd::NoWindow:
            return Tell(already +
                            L"It showed no window in time, so the command line was not handed to it: "
                            L"start vtbrowse again once its window is open.",
                        NotHandedOver);
        case HandoverEnd::NoAnswer:
            break;
    }
    return Tell(already +
                    L"It does not answer, so the command line was not handed to it: close it "
                    L"(or end it in Task Manager) and start vtbrowse again.",
                NotHandedOver);
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
    // The files named are the ones the user meant where they started it, also for the vtbrowse
    // already open that a later start hands them to.
    const std::vector<std::string> arguments = WithFullPaths(
        ProgramArguments(), [](const std::string& path) { return Utf8FromWide(FullHostPath(path)); });
    BrowserStart start;
    start.options = ParseBrowseOptions(arguments);
    start.settingsPath =
        start.options.settingsPath.empty() ? DefaultSettingsPath() : WideFromUtf8(start.options.settingsPath);
    start.pluginPath =
        start.options.pluginPath.empty() ? PluginBesideProgram() : WideFromUtf8(start.options.pluginPath);
    InstanceClaim claim(start.settingsPath.wstring());
    if (claim.Failed()) {
        // Rare (the session's namespace refused): better a window than none.
        start.options.problems.push_back(L"vtbrowse cannot tell whether it is open already (error " +
                                         std::to_wstring(claim.Failed()) +
                                         L"): a second vtbrowse on these settings would overwrite this one's");
    } else if (!claim.Held()) {
        if (const std::optional<int> exitCode = HandOver(claim, arguments, start.options)) return *exitCode;
    }
    BrowserWindow browser(std::move(start));
    if (!browser.Window()) {
        MessageBoxW(nullptr, L"vtbrowse could not make its window.", L"vtbrowse", MB_ICONERROR);
        return 1;
    }
    claim.Publish(browser.Window());
    const int exitCode = RunMessageLoop(browser);
    claim.Publish(nullptr);
    return exitCode;
}
