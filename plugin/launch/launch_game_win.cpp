#include <cstdint>
#include <string>

#include "common/contract/windows_headers.h"
#include "plugin/launch/command_line.h"
#include "plugin/launch/launch_game.h"
#include "plugin/launch/path_split_win.h"

namespace {

// ShellExecuteW's result is a number in a handle's clothing; only 0, 1 and 2 mean the program
// could not be started. The other documented failures (3 to 32) do not get the message.
constexpr std::uintptr_t LastStartFailure = 2;

}  // namespace

void LaunchGame(SessionRecord* session, error_trap::HostHolds& holds) {
    if (!session) return;

    // The ping of this server reads the same entry on another thread; the composition takes
    // the lock again inside.
    holds.Lock(*session->serverEntry);
    const std::wstring executablePath = session->serverEntry->GetExecutablePath();
    std::wstring arguments;
    ComposeCommandLine(*session, arguments, holds);
    holds.Unlock(*session->serverEntry);

    // The game is started in its own folder, where it finds its data files.
    const PathParts parts = SplitPathWithPlatform(executablePath);
    const std::wstring programFile = parts.fileName + parts.extension;
    const std::wstring workingDirectory = parts.drive + parts.directory;

    const HINSTANCE started = ShellExecuteW(nullptr, L"open", programFile.c_str(), arguments.c_str(),
                                            workingDirectory.c_str(), SW_SHOWNORMAL);
    if (reinterpret_cast<std::uintptr_t>(started) <= LastStartFailure) {
        MessageBoxW(nullptr, L"Unable to open specified application.", L"Error", 0);
    }
}
