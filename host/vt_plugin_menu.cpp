#include <map>
#include <mutex>

#include "contract/host_services.h"
#include "host/host_fault.h"
#include "host/server_objects.h"

namespace {

// Faults planned for menus, by menu: the menu's layout is the contract's, so the plan lives here.
struct MenuFaults {
    std::mutex mutex;
    std::map<const VtPluginMenu*, HostFault> planned;
};

MenuFaults& Faults() {
    static MenuFaults faults;
    return faults;
}

HostFault TakeMenuFault(const VtPluginMenu* menu) {
    MenuFaults& faults = Faults();
    std::lock_guard<std::mutex> hold(faults.mutex);
    auto found = faults.planned.find(menu);
    if (found == faults.planned.end()) return HostFault::None;
    HostFault fault = found->second;
    faults.planned.erase(found);
    return fault;
}

}  // namespace

VTRESULT VtPluginMenu::SetCurrentPluginServerStruct(VtPluginServerStruct* server) {
    return Offered([&] {
        MakeHostFault(TakeMenuFault(this), L"SetCurrentPluginServerStruct");
        current_ = server;
        return VT_OK;
    });
}

VtPluginServerStruct* VtPluginMenu::CurrentPluginServerStruct() const {
    return current_;
}

void InjectMenuFault(const VtPluginMenu& menu, HostFault fault) {
    MenuFaults& faults = Faults();
    std::lock_guard<std::mutex> hold(faults.mutex);
    faults.planned[&menu] = fault;
}
