// A minimal host of Tribes.vtplugin for the benchmarks: the plugin's window thread, one session
// per server with the host's real objects, and the ping export. Nothing is shown or reported.
#pragma once

#include <windows.h>
#include <winsock2.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "boundary/plugin_exports.h"
#include "compat/unique_resource.h"
#include "host/server_objects.h"

struct module_traits {
    using value_type = HMODULE;
    static value_type invalid() { return nullptr; }
    static void close(value_type module) { ::FreeLibrary(module); }
};
using unique_module = compat::unique_any<module_traits>;

// Tribes.vtplugin in this program's folder, as a host installs it.
std::wstring PluginBesideProgram();

class BenchPluginHost {
public:
    // Loads the plugin and opens its command window on a new message-pumping thread.
    // Throws std::runtime_error when the plugin, its exports or the window are missing.
    explicit BenchPluginHost(const std::wstring& pluginPath);
    // Removes every session, stops the window thread and unloads the plugin.
    ~BenchPluginHost();
    BenchPluginHost(const BenchPluginHost&) = delete;
    BenchPluginHost& operator=(const BenchPluginHost&) = delete;

    // Hands the plugin a server at 127.0.0.1:port with the given time budget; returns its index.
    int AddServer(std::uint16_t port, int timeoutSeconds);
    // One call of the ping export for the server at index, on the calling thread.
    int Ping(int server);
    // Whether the latest ping of the server at index recorded an answer.
    bool Answered(int server) const;
    HostServerData& Data(int server) const { return *servers_[static_cast<std::size_t>(server)]->data; }

    HMODULE Module() const { return module_.get(); }

private:
    struct Server {
        VtHandle handle;
        HostRef<HostServerEntry> entry;
        HostRef<HostServerData> data;
    };

    static DWORD WINAPI Pump(void* self);

    unique_module module_;
    InitVantorProtocol init_ = nullptr;
    PingVantorProtocol ping_ = nullptr;
    std::vector<std::unique_ptr<Server>> servers_;
    compat::unique_handle ready_;
    HWND commandWindow_ = nullptr;
    DWORD threadId_ = 0;
    compat::unique_handle thread_;
};
