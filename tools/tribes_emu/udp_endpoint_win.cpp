#include <system_error>

#include "common/contract/windows_headers.h"
#include "tools/tribes_emu/udp_endpoint.h"

namespace tribes_emu {
namespace {

constexpr std::size_t LargestDatagram = 65535;
// SIO_UDP_CONNRESET (_WSAIOW(IOC_VENDOR, 12)); mingw's headers do not declare it.
constexpr DWORD ReportUdpConnectionReset = 0x9800000C;

sockaddr_in ToSockaddr(const Peer& peer) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(peer.port);
    address.sin_addr.s_addr = htonl(peer.address);
    return address;
}

[[noreturn]] void ThrowLastError(const char* what) {
    int code = WSAGetLastError();
    throw std::system_error(code, std::system_category(), what);
}

}  // namespace

SocketLayer::SocketLayer() {
    WSADATA data;
    int code = WSAStartup(MAKEWORD(2, 2), &data);
    if (code != 0) throw std::system_error(code, std::system_category(), "WSAStartup");
}

SocketLayer::~SocketLayer() {
    WSACleanup();
}

UdpEndpoint UdpEndpoint::BindLoopback(std::uint16_t port) {
    UdpEndpoint endpoint(::socket(AF_INET, SOCK_DGRAM, 0));
    if (!endpoint) ThrowLastError("socket");
    u_long nonBlocking = 1;
    if (::ioctlsocket(endpoint.get(), FIONBIO, &nonBlocking) != 0) ThrowLastError("ioctlsocket");
    // A datagram sent to a closed port makes Windows fail the socket's next receive with
    // WSAECONNRESET; a server must not stall on a client that went away. Best effort.
    BOOL report = FALSE;
    DWORD returned = 0;
    ::WSAIoctl(endpoint.get(), ReportUdpConnectionReset, &report, sizeof report, nullptr, 0, &returned,
               nullptr, nullptr);
    sockaddr_in address = ToSockaddr({Loopback, port});
    if (::bind(endpoint.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        ThrowLastError("bind");
    }
    return endpoint;
}

void UdpEndpoint::reset(NativeSocket socket) {
    if (socket_ != NoSocket) ::closesocket(socket_);
    socket_ = socket;
}

std::uint16_t UdpEndpoint::LocalPort() const {
    sockaddr_in address{};
    int length = sizeof address;
    if (::getsockname(socket_, reinterpret_cast<sockaddr*>(&address), &length) != 0) return 0;
    return ntohs(address.sin_port);
}

bool UdpEndpoint::SendTo(const Peer& peer, const std::uint8_t* bytes, std::size_t count) const {
    sockaddr_in address = ToSockaddr(peer);
    int sent = ::sendto(socket_, reinterpret_cast<const char*>(bytes), static_cast<int>(count), 0,
                        reinterpret_cast<const sockaddr*>(&address), sizeof address);
    return sent != SOCKET_ERROR && static_cast<std::size_t>(sent) == count;
}

std::optional<Peer> UdpEndpoint::ReceiveFrom(std::vector<std::uint8_t>& buffer) const {
    buffer.resize(LargestDatagram);
    sockaddr_in address{};
    int length = sizeof address;
    int received =
        ::recvfrom(socket_, reinterpret_cast<char*>(buffer.data()), static_cast<int>(buffer.size()), 0,
                   reinterpret_cast<sockaddr*>(&address), &length);
    if (received == SOCKET_ERROR) {
        buffer.clear();
        return std::nullopt;
    }
    buffer.resize(static_cast<std::size_t>(received));
    return Peer{ntohl(address.sin_addr.s_addr), ntohs(address.sin_port)};
}

std::vector<bool> WaitForDatagrams(const std::vector<const UdpEndpoint*>& endpoints,
                                   std::chrono::milliseconds timeout) {
    std::vector<WSAPOLLFD> watched;
    for (const UdpEndpoint* endpoint : endpoints) watched.push_back({endpoint->get(), POLLRDNORM, 0});
    std::vector<bool> ready(endpoints.size(), false);
    int result =
        ::WSAPoll(watched.data(), static_cast<ULONG>(watched.size()), static_cast<INT>(timeout.count()));
    if (result <= 0) return ready;
    for (std::size_t i = 0; i < watched.size(); ++i) {
        ready[i] = (watched[i].revents & (POLLRDNORM | POLLERR | POLLHUP)) != 0;
    }
    return ready;
}

DatagramWaiter::DatagramWaiter(const std::vector<const UdpEndpoint*>& endpoints) : endpoints_(endpoints) {}

DatagramWaiter::~DatagramWaiter() = default;

std::vector<std::size_t> DatagramWaiter::Wait(std::chrono::milliseconds timeout) {
    const std::vector<bool> ready = WaitForDatagrams(endpoints_, timeout);
    std::vector<std::size_t> indices;
    for (std::size_t i = 0; i < ready.size(); ++i) {
        if (ready[i]) indices.push_back(i);
    }
    return indices;
}

}  // namespace tribes_emu
