#include "apps/shared/host_paths_win.h"
#include "apps/shared/listed_server.h"
#include "apps/vtquery/console_win.h"
#include "apps/vtquery/jobs_win.h"
#include "contract/launch_option_ids.h"
#include "runner/plugin_runner_win.h"
#include "text/utf8_text.h"

namespace {

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
        return ExitUsage;
    }

    const std::wstring pluginPath =
        options.pluginPath.empty() ? PluginBesideProgram() : FullHostPath(options.pluginPath);
    PluginRunner plugin(pluginPath);
    const std::unique_ptr<HostedServer> hosted = HostListedServer(server, options.timeoutSeconds);
    HostServerEntry& entry = *hosted->entry;
    entry.SetExecutablePath(executable);
    entry.SetLaunchParameters(WideFromUtf8(launch.parameters));
    SetOption(entry, PlayerName, launch.playerName);
    SetOption(entry, Password, launch.password);
    SetOption(entry, ConfigFile, launch.configFile);
    plugin.AddSession(*hosted);

    // The plugin answers 1 when it knew the server; whether the game started it shows the user
    // itself, in a message box.
    const LRESULT known = plugin.Send(CMD_LAUNCH, reinterpret_cast<WPARAM>(&hosted->handle));
    plugin.RemoveSession(*hosted);
    if (known != 1) {
        WriteError("vtquery: the plugin did not launch " + server.Text() + "\n");
        return ExitNotAllAnswered;
    }
    WriteOut("launched " + Utf8FromWide(executable) + " for " + server.Text() + "\n");
    return ExitAllAnswered;
}
