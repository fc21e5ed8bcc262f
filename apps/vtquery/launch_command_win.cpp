#include "apps/shared/game_launch_win.h"
#include "apps/shared/host_paths_win.h"
#include "apps/shared/listed_server.h"
#include "apps/vtquery/console_win.h"
#include "apps/vtquery/jobs_win.h"
#include "common/contract/launch_option_ids.h"
#include "host/runner/plugin_runner_win.h"
#include "host/text/utf8_text.h"

namespace {

// The options given on the command line; those not given are left to the plugin.
std::map<int, std::wstring> GivenOptions(const LaunchRequest& launch) {
    std::map<int, std::wstring> given;
    for (const auto& [id, value] :
         {std::pair{PlayerName, &launch.playerName}, std::pair{Password, &launch.password},
          std::pair{ConfigFile, &launch.configFile}}) {
        if (*value) given[id] = WideFromUtf8(**value);
    }
    return given;
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
    plugin.AddSession(*hosted);
    const bool known = SendLaunch(
        plugin, *hosted, GameLaunch{executable, WideFromUtf8(launch.parameters), GivenOptions(launch)});
    plugin.RemoveSession(*hosted);
    if (!known) {
        WriteError("vtquery: the plugin did not launch " + server.Text() + "\n");
        return ExitNotAllAnswered;
    }
    WriteOut("launched " + Utf8FromWide(executable) + " for " + server.Text() + "\n");
    return ExitAllAnswered;
}
