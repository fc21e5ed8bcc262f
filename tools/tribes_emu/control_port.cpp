#include "tools/tribes_emu/control_port.h"

#include "tools/tribes_emu/control_commands.h"

namespace tribes_emu {
namespace {

constexpr std::chrono::milliseconds WaitStep{50};

}  // namespace

ControlPort::ControlPort(TribesEmulator& emulator, std::uint16_t port)
    : emulator_(emulator), endpoint_(UdpEndpoint::BindLoopback(port)), port_(endpoint_.LocalPort()) {
    thread_ = std::thread([this] { Serve(); });
}

ControlPort::~ControlPort() {
    Stop();
}

void ControlPort::Stop() {
    stopping_ = true;
    if (thread_.joinable()) thread_.join();
}

int ControlPort::Commands() const {
    std::lock_guard<std::mutex> hold(mutex_);
    return commands_;
}

void ControlPort::Serve() {
    DatagramWaiter waiter({&endpoint_});
    std::vector<std::uint8_t> bytes;
    while (!stopping_) {
        if (waiter.Wait(WaitStep).empty()) continue;
        while (std::optional<Peer> from = endpoint_.ReceiveFrom(bytes)) {
            const std::string command(bytes.begin(), bytes.end());
            const std::string answer =
                emulator_.ChangeServer([&](ServerInfo& server) { return ApplyControl(server, command); });
            {
                std::lock_guard<std::mutex> hold(mutex_);
                ++commands_;
            }
            endpoint_.SendTo(*from, reinterpret_cast<const std::uint8_t*>(answer.data()), answer.size());
        }
    }
}

std::string SendControl(std::uint16_t port, const std::string& command, std::chrono::milliseconds wait) {
    SocketLayer layer;
    const UdpEndpoint client = UdpEndpoint::BindLoopback(0);
    if (!client.SendTo({Loopback, port}, reinterpret_cast<const std::uint8_t*>(command.data()),
                       command.size()))
        return {};
    const auto end = Clock::now() + wait;
    std::vector<std::uint8_t> bytes;
    while (Clock::now() < end) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(end - Clock::now());
        if (!WaitForDatagrams({&client}, std::min(left, WaitStep)).at(0)) continue;
        if (const std::optional<Peer> from = client.ReceiveFrom(bytes); from && from->port == port)
            return std::string(bytes.begin(), bytes.end());
    }
    return {};
}

}  // namespace tribes_emu
