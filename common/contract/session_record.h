// The plugin's per-server record as the host receives it, as its VtPluginServerStruct (commands
// 1039 and 1124): the host's three fields first, in the host's order, then the server's settings
// key, which the plugin keeps there for the host. What follows the key is the plugin's own.
#pragma once

#include <string>

#include "common/contract/host_services.h"

struct SessionRecord : VtPluginServerStruct {
    std::wstring settingsKey;  // "Servers\<handle>\<identity>"
};
