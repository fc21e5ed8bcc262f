// The plugin in the runner with one session per local port: what the benchmarks ping.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "host/runner/plugin_runner_win.h"

class BenchSessions {
public:
    // Throws PluginLoadError when the plugin cannot be run.
    explicit BenchSessions(const std::wstring& pluginPath) : runner_(pluginPath) {}

    // A session for the server at 127.0.0.1:port with the given time budget; its index.
    int Add(std::uint16_t port, int timeoutSeconds);
    // One ping of the server at index, on the calling thread.
    int Ping(int index) { return runner_.Ping(*servers_[static_cast<std::size_t>(index)]); }
    // Whether the latest ping of the server at index recorded an answer.
    bool Answered(int index) const;
    HMODULE Module() const { return runner_.Module(); }

private:
    PluginRunner runner_;
    std::vector<std::unique_ptr<HostedServer>> servers_;
};
