// The launch options the plugin knows, by the ids it asks the host for their values with
// (VtServerEntry::GetLaunchOption) and offers them under (AddLaunchOption).
#pragma once

enum LaunchOptionId { PlayerName = 1, Password = 2, ConfigFile = 3 };
