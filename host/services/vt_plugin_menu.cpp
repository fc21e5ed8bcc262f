#include <map>
#include <mutex>

#include "common/contract/host_services.h"
#include "host/services/offered.h"
#include "host/services/server_objects.h"

namespace {

// Watches of menus, by menu: the menu's layout is the contract's, so they live here.
struct MenuWatches {
    std::mutex mutex;
    std::map<const VtPluginMenu*, WatchSlot> slots;
};

MenuWatches& Watches() {
    static MenuWatches watches;
    return watches;
}

CallWatch* WatchOf(const VtPluginMenu* menu) {
    MenuWatches& watches = Watches();
    std::lock_guard<std::mutex> hold(watches.mutex);
    auto found = watches.slots.find(menu);
    return found == watches.slots.end() ? nullptr : found->second.Current();
}

}  // namespace

VTRESULT VtPluginMenu::SetCurrentPluginServerStruct(VtPluginServerStruct* server) {
    return Offered([&] {
        // With no lock held: a watch that ends the call by raising leaves none taken.
        if (CallWatch* watch = WatchOf(this)) watch->Enter(L"menu", L"SetCurrentPluginServerStruct", nullptr);
        current_ = server;
        return VT_OK;
    });
}

VtPluginServerStruct* VtPluginMenu::CurrentPluginServerStruct() const {
    return current_;
}

void WatchMenu(const VtPluginMenu& menu, std::shared_ptr<CallWatch> watch) {
    MenuWatches& watches = Watches();
    std::lock_guard<std::mutex> hold(watches.mutex);
    watches.slots[&menu].Attach(std::move(watch));
}
