#include "apps/vtbrowse/settings/browser_settings.h"

std::wstring NumberSetting::Range() const {
    return std::to_wstring(lowest) + L" to " + std::to_wstring(highest);
}

std::vector<ServerAddress> CommunityMasters() {
    return {
        {"t1m1.pu.net", 28000}, {"t1m1.tribes0.com", 28000}, {"t1m1.masters.tribesmasterserver.com", 28000}};
}
