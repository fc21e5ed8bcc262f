#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/epoll.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <system_error>

#include "tools/tribes_emu/udp_endpoint.h"

namespace tribes_emu {
namespace {

constexpr std::size_t LargestDatagram = 65535;

sockaddr_in ToSockaddr(const Peer& peer) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(peer.port);
    address.sin_addr.s_addr = htonl(peer.address);
    return address;
}

[[noreturn]] void ThrowLastError(const char* what) {
    throw std::system_error(errno, std::generic_category(), what);
}

}  // namespace

// A socket is a file here, and a server of many ports needs more files than the soft limit
// (often 1024) allows: the limit goes up to 65536 where this process may raise its hard limit
// too (as root), else the soft limit up to the hard one.
SocketLayer::SocketLayer() {
    constexpr rlim_t Wanted = 65536;
    rlimit files{};
    if (::getrlimit(RLIMIT_NOFILE, &files) != 0 || files.rlim_cur >= Wanted) return;
    const rlimit raised{Wanted, std::max(files.rlim_max, Wanted)};
    if (::setrlimit(RLIMIT_NOFILE, &raised) == 0) return;
    files.rlim_cur = files.rlim_max;
    ::setrlimit(RLIMIT_NOFILE, &files);
}
SocketLayer::~SocketLayer() = default;

UdpEndpoint UdpEndpoint::BindLoopback(std::uint16_t port) {
    UdpEndpoint endpoint(::socket(AF_INET, SOCK_DGRAM, 0));
    if (!endpoint) ThrowLastError("socket");
    int flags = ::fcntl(endpoint.get(), F_GETFL, 0);
    if (flags < 0 || ::fcntl(endpoint.get(), F_SETFL, flags | O_NONBLOCK) < 0) ThrowLastError("fcntl");
    sockaddr_in address = ToSockaddr({Loopback, port});
    if (::bind(endpoint.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        ThrowLastError("bind");
    }
    return endpoint;
}

void UdpEndpoint::reset(NativeSocket socket) {
    if (socket_ != NoSocket) ::close(socket_);
    socket_ = socket;
}

std::uint16_t UdpEndpoint::LocalPort() const {
    sockaddr_in address{};
    socklen_t length = sizeof address;
    if (::getsockname(socket_, reinterpret_cast<sockaddr*>(&address), &length) != 0) return 0;
    return ntohs(address.sin_port);
}

bool UdpEndpoint::SendTo(const Peer& peer, const std::uint8_t* bytes, std::size_t count) const {
    sockaddr_in address = ToSockaddr(peer);
    ssize_t sent =
        ::sendto(socket_, bytes, count, 0, reinterpret_cast<const sockaddr*>(&address), sizeof address);
    return sent >= 0 && static_cast<std::size_t>(sent) == count;
}

std::optional<Peer> UdpEndpoint::ReceiveFrom(std::vector<std::uint8_t>& buffer) const {
    buffer.resize(LargestDatagram);
    sockaddr_in address{};
    socklen_t length = sizeof address;
    ssize_t received =
        ::recvfrom(socket_, buffer.data(), buffer.size(), 0, reinterpret_cast<sockaddr*>(&address), &length);
    if (received < 0) {
        buffer.clear();
        return std::nullopt;
    }
    buffer.resize(static_cast<std::size_t>(received));
    return Peer{ntohl(address.sin_addr.s_addr), ntohs(address.sin_port)};
}

std::vector<bool> WaitForDatagrams(const std::vector<const UdpEndpoint*>& endpoints,
                                   std::chrono::milliseconds timeout) {
    std::vector<pollfd> watched;
    for (const UdpEndpoint* endpoint : endpoints) watched.push_back({endpoint->get(), POLLIN, 0});
    std::vector<bool> ready(endpoints.size(), false);
    int result = ::poll(watched.data(), watched.size(), static_cast<int>(timeout.count()));
    if (result <= 0) return ready;
    for (std::size_t i = 0; i < watched.size(); ++i)
        ready[i] = (watched[i].revents & (POLLIN | POLLERR)) != 0;
    return ready;
}

DatagramWaiter::DatagramWaiter(const std::vector<const UdpEndpoint*>& endpoints)
    : endpoints_(endpoints), set_(::epoll_create1(EPOLL_CLOEXEC)) {
    if (set_ < 0) ThrowLastError("epoll_create1");
    for (std::size_t i = 0; i < endpoints_.size(); ++i) {
        epoll_event event{};
        event.events = EPOLLIN;
        event.data.u64 = i;
        if (::epoll_ctl(set_, EPOLL_CTL_ADD, endpoints_[i]->get(), &event) != 0) {
            ::close(set_);
            ThrowLastError("epoll_ctl");
        }
    }
}

DatagramWaiter::~DatagramWaiter() {
    ::close(set_);
}

std::vector<std::size_t> DatagramWaiter::Wait(std::chrono::milliseconds timeout) {
    epoll_event events[256];
    const int ready = ::epoll_wait(set_, events, 256, static_cast<int>(timeout.count()));
    std::vector<std::size_t> indices;
    for (int i = 0; i < ready; ++i) indices.push_back(static_cast<std::size_t>(events[i].data.u64));
    return indices;
}

}  // namespace tribes_emu
