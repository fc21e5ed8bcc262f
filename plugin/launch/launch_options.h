// The launch options the plugin knows (their ids are the contract's): the texts the host shows
// for them and the switch each one becomes on the game's command line. The host owns the values.
#pragma once

#include <string>
#include <string_view>

#include "common/contract/host_services.h"
#include "common/contract/launch_option_ids.h"

constexpr int LaunchOptionCount = 3;

// Display names and descriptions, in id order (entry id - 1). The host is given pointers into
// these arrays and may read the entries that follow the one it is pointed at, so they stay
// contiguous, in id order and alive while the module is loaded.
extern const std::wstring LaunchOptionNames[LaunchOptionCount];
extern const std::wstring LaunchOptionDescriptions[LaunchOptionCount];

// The entries of the two arrays for id (references into them, never copies).
const std::wstring& LaunchOptionName(LaunchOptionId id);
const std::wstring& LaunchOptionDescription(LaunchOptionId id);

// The command-line switch of id, with its trailing blank, e.g. L"+name ".
std::wstring_view LaunchOptionSwitch(LaunchOptionId id);

// Offers the options a new server session shows to the host: only the password, as id 2 with
// pointers into the module-wide arrays. The caller holds entry's update bracket.
void OfferLaunchOptions(VtServerEntry& entry);
