// Starting the game on a server, the same way for every host program: what the user chose is
// written into the server's entry, where the plugin's launch reads it, and the plugin is sent its
// launch command for the server's session.
#pragma once

#include <map>
#include <string>

#include "host/runner/hosted_server.h"
#include "host/runner/plugin_runner_win.h"

struct GameLaunch {
    std::wstring executable;  // full path
    std::wstring parameters;
    std::map<int, std::wstring> optionValues;  // by launch option id; an id left out is not set
};

// Writes launch into server's entry and sends command 1038 for server, whose session plugin
// holds. Runs on the caller's thread until the plugin answers, which may be after the user
// closed its message box about a game that did not start. True when the plugin knew the server.
bool SendLaunch(PluginRunner& plugin, HostedServer& server, const GameLaunch& launch);
