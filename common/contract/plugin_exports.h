// What the host imports from Tribes.vtplugin: two plain C functions, exported by name and as
// ordinals 1 and 2. Pointer-sized parameters: 32-bit in the i686 build the host loads.
#pragma once

#include "common/contract/host_services.h"
#include "common/contract/windows_headers.h"

extern "C" {
// Ordinal 1: writes the plugin's command window (created on this thread) through resultWindow.
// The second argument is not read.
void initVantor_Protocol_3_5(HWND parentWindow, UINT_PTR unused, HWND* resultWindow);
// Ordinal 2: one ping of handle's server; the cycle's result (1), or 0 when the handle has no
// session or the cycle failed and was reported as "Plugin Error". Call on a thread other than
// the command window's.
int pingVantor_Protocol_3_5(VtHandle* handle);
}

// The exports as a host finds them with GetProcAddress.
using InitVantorProtocol = decltype(&initVantor_Protocol_3_5);
using PingVantorProtocol = decltype(&pingVantor_Protocol_3_5);
constexpr const char* InitExportName = "initVantor_Protocol_3_5";
constexpr const char* PingExportName = "pingVantor_Protocol_3_5";
