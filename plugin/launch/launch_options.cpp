#include "plugin/launch/launch_options.h"

// Built when the module loads, before the host can call anything.
const std::wstring LaunchOptionNames[LaunchOptionCount] = {
    L"Player Name",
    L"Password",
    L"Config File",
};

const std::wstring LaunchOptionDescriptions[LaunchOptionCount] = {
    L"The name you want to play on the server as.",
    L"The password used to connect to the server",
    L"The config file to use with this session.",
};

namespace {

constexpr std::wstring_view LaunchOptionSwitches[LaunchOptionCount] = {
    L"+name ",
    L"+password ",
    L"+exec ",
};

// The host's meaning of the last two arguments of AddLaunchOption is its own; these are the
// values it expects for the password option.
constexpr int OfferedFirstArgument = 0;
constexpr int OfferedSecondArgument = 1;

}  // namespace

const std::wstring& LaunchOptionName(LaunchOptionId id) {
    return LaunchOptionNames[id - 1];
}

const std::wstring& LaunchOptionDescription(LaunchOptionId id) {
    return LaunchOptionDescriptions[id - 1];
}

std::wstring_view LaunchOptionSwitch(LaunchOptionId id) {
    return LaunchOptionSwitches[id - 1];
}

void OfferLaunchOptions(VtServerEntry& entry) {
    entry.AddLaunchOption(Password, &LaunchOptionName(Password), &LaunchOptionDescription(Password),
                          OfferedFirstArgument, OfferedSecondArgument);
}
