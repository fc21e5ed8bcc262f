#include "boundary/host_services.h"

VTRESULT VtPluginMenu::SetCurrentPluginServerStruct(VtPluginServerStruct* server) {
    current_ = server;
    return VT_OK;
}

VtPluginServerStruct* VtPluginMenu::CurrentPluginServerStruct() const {
    return current_;
}
