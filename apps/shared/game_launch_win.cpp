#include "apps/shared/game_launch_win.h"

#include "common/contract/commands.h"

bool SendLaunch(PluginRunner& plugin, HostedServer& server, const GameLaunch& launch) {
    HostServerEntry& entry = *server.entry;
    entry.SetExecutablePath(launch.executable);
    entry.SetLaunchParameters(launch.parameters);
    for (const auto& [id, value] : launch.optionValues) entry.SetLaunchOptionValue(id, value);
    // The plugin answers 1 when it knew the server; whether the game started it shows the user
    // itself, in a message box.
    return plugin.Send(CMD_LAUNCH, reinterpret_cast<WPARAM>(&server.handle)) == 1;
}
