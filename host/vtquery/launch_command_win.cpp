#include "host/vtquery/commands_win.h"
#include "host/vtquery/console_win.h"
#include "host/vtquery/host_paths_win.h"
#include "host/vtquery/server_sessions_win.h"
#include "host/vtquery/utf8_text.h"

namespace {

// The plugin's launch option ids: the values it asks the host for when it composes the
// game's command line.
enum LaunchOptionId { kPlayerName = 1, kPassword = 2, kConfigFile = 3 };

void SetOption(HostServerEntry& entry, LaunchOptionId id, const std::optional<std::string>& value) {
    if (value) entry.SetLaunchOptionValue(id, WideFromUtf8(*value));
}

}  // namespace

int RunLaunch(const QueryOptions& options, const LaunchRequest& launch) {
    ServerAddress server;
    ServerListError error;
    ParseServerAddress(launch.server, server, error);  // checked with the command line

    // A game that cannot start makes the plugin show a message box and wait for the user, which
    // a console run could wait on forever: a missing file is refused up front.
    const std::wstring executable = FullHostPath(launch.executable);
    const DWORD attributes = GetFileAttributesW(executable.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        WriteError("vtquery: the game executable '" + launch.executable + "' does not exist\n" + UsageText());
        return kExitUsage;
    }

    const std::wstring pluginPath =
        options.pluginPath.empty() ? DefaultPluginPath() : FullHostPath(options.pluginPath);
    const PluginThread plugin(pluginPath);
    ServerSessions sessions(plugin, {server}, options.timeoutSeconds);
    HostServerEntry& entry = *sessions[0].entry;
    entry.SetExecutablePath(executable);
    entry.SetLaunchParameters(WideFromUtf8(launch.parameters));
    SetOption(entry, kPlayerName, launch.playerName);
    SetOption(entry, kPassword, launch.password);
    SetOption(entry, kConfigFile, launch.configFile);

    // The plugin answers 1 when it knew the server; whether the game started it shows the user
    // itself, in a message box.
    const LRESULT known = plugin.SendCommand(kCommandLaunch, reinterpret_cast<WPARAM>(&sessions[0].handle));
    if (known != 1) {
        WriteError("vtquery: the plugin did not launch " + server.Text() + "\n");
        return kExitNotAllAnswered;
    }
    WriteOut("launched " + Utf8FromWide(executable) + " for " + server.Text() + "\n");
    return kExitAllAnswered;
}
