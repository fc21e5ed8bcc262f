// The fake server's control port: a UDP port on 127.0.0.1 that takes the commands of
// control_commands.h, one a datagram, applies them to a running emulator's server and answers
// the sender. `tribes-emu --control PORT` serves one; tests make one in-process.
#pragma once

#include <atomic>
#include <chrono>
#include <mutex>
#include <string>
#include <thread>

#include "tools/tribes_emu/emulator.h"
#include "tools/tribes_emu/udp_endpoint.h"

namespace tribes_emu {

// Serves from construction to Stop or destruction, on one thread of its own.
class ControlPort {
public:
    // Binds 127.0.0.1:port (0: a free port) for emulator, which outlives it. Throws
    // std::system_error when the port cannot be bound.
    explicit ControlPort(TribesEmulator& emulator, std::uint16_t port = 0);
    ~ControlPort();
    ControlPort(const ControlPort&) = delete;
    ControlPort& operator=(const ControlPort&) = delete;

    // Ends serving; waits at most about one wait step (50 ms) for the thread. Idempotent.
    void Stop();
    std::uint16_t Port() const { return port_; }
    int Commands() const;  // commands taken, answered with "ok" or "error"

private:
    void Serve();

    TribesEmulator& emulator_;
    SocketLayer socketLayer_;
    UdpEndpoint endpoint_;
    std::uint16_t port_ = 0;
    mutable std::mutex mutex_;
    int commands_ = 0;
    std::atomic<bool> stopping_{false};
    std::thread thread_;
};

// Sends command to the control port on 127.0.0.1:port and returns its answer; empty when none
// came within wait.
std::string SendControl(std::uint16_t port, const std::string& command,
                        std::chrono::milliseconds wait = std::chrono::milliseconds(2000));

}  // namespace tribes_emu
