// A UDP socket on 127.0.0.1 and the platform's socket layer, for the fake server and its tests.
// The same declarations are implemented with POSIX sockets and with Winsock.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace tribes_emu {

// Keeps the platform's socket layer started while it lives (Winsock; nothing to do on POSIX).
// Throws std::system_error when the layer cannot start.
class SocketLayer {
public:
    SocketLayer();
    ~SocketLayer();
    SocketLayer(const SocketLayer&) = delete;
    SocketLayer& operator=(const SocketLayer&) = delete;
};

// An IPv4 address and port, both in host byte order.
struct Peer {
    std::uint32_t address = 0;
    std::uint16_t port = 0;
};
constexpr std::uint32_t Loopback = 0x7F000001;

#ifdef _WIN32
using NativeSocket = std::uintptr_t;  // SOCKET, without windows.h
constexpr NativeSocket NoSocket = ~NativeSocket{0};
#else
using NativeSocket = int;
constexpr NativeSocket NoSocket = -1;
#endif

// Owns one non-blocking UDP socket. Needs a live SocketLayer while it is open.
class UdpEndpoint {
public:
    // A socket bound to 127.0.0.1:port (0: a free port). Throws std::system_error on failure.
    static UdpEndpoint BindLoopback(std::uint16_t port);

    UdpEndpoint() = default;
    UdpEndpoint(UdpEndpoint&& other) noexcept : socket_(other.release()) {}
    UdpEndpoint& operator=(UdpEndpoint&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }
    UdpEndpoint(const UdpEndpoint&) = delete;
    UdpEndpoint& operator=(const UdpEndpoint&) = delete;
    ~UdpEndpoint() { reset(); }

    NativeSocket get() const { return socket_; }
    NativeSocket release() {
        NativeSocket socket = socket_;
        socket_ = NoSocket;
        return socket;
    }
    void reset(NativeSocket socket = NoSocket);  // closes the socket held before
    explicit operator bool() const { return socket_ != NoSocket; }

    // The port the socket is bound to (host order); 0 when it cannot be read.
    std::uint16_t LocalPort() const;
    // Sends one datagram; false when the socket layer refused it.
    bool SendTo(const Peer& peer, const std::uint8_t* bytes, std::size_t count) const;
    bool SendTo(const Peer& peer, const std::vector<std::uint8_t>& bytes) const {
        return SendTo(peer, bytes.data(), bytes.size());
    }
    // Takes the next waiting datagram into buffer (resized to its length, up to 65535 bytes)
    // and returns its sender; nothing when no datagram waits or the receive failed.
    std::optional<Peer> ReceiveFrom(std::vector<std::uint8_t>& buffer) const;

private:
    explicit UdpEndpoint(NativeSocket socket) : socket_(socket) {}
    NativeSocket socket_ = NoSocket;
};

// Waits up to timeout for a datagram on any of endpoints; returns one flag per endpoint, true
// for each that has one waiting. All false on time-out or error.
std::vector<bool> WaitForDatagrams(const std::vector<const UdpEndpoint*>& endpoints,
                                   std::chrono::milliseconds timeout);

// Waits on a fixed set of endpoints again and again. Made once for the set: on Linux an epoll
// set, so a wait costs what is ready rather than what is watched (a server of 20,000 ports);
// elsewhere a poll over the whole set.
class DatagramWaiter {
public:
    // Throws std::system_error when the set cannot be made.
    explicit DatagramWaiter(const std::vector<const UdpEndpoint*>& endpoints);
    ~DatagramWaiter();
    DatagramWaiter(const DatagramWaiter&) = delete;
    DatagramWaiter& operator=(const DatagramWaiter&) = delete;

    // The indices of the endpoints with a datagram waiting, once one has or timeout passed.
    std::vector<std::size_t> Wait(std::chrono::milliseconds timeout);

private:
    std::vector<const UdpEndpoint*> endpoints_;
    NativeSocket set_ = NoSocket;  // the epoll set, where there is one
};

}  // namespace tribes_emu
