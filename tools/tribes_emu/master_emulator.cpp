#include "tools/tribes_emu/master_emulator.h"

#include <algorithm>

namespace tribes_emu {
namespace {

using Clock = std::chrono::steady_clock;

constexpr std::chrono::milliseconds WaitStep{50};
constexpr int EveryPacket = 0xFF;

}  // namespace

int FaultyPacket(int total) {
    return (total + 1) / 2;
}

std::vector<Peer> UnusableEntries() {
    return {
        {0x00000000, 28001}, {0xFFFFFFFF, 28001}, {0xE0000001, 28001}, {0xEFFFFFFA, 1900}, {0x0AC80001, 0}};
}

std::vector<Peer> ListedInMode(const std::vector<Peer>& servers, const MasterBehaviour& behaviour) {
    std::vector<Peer> listed = behaviour.mode == MasterMode::Empty ? std::vector<Peer>{} : servers;
    if (behaviour.mode == MasterMode::Unusable) {
        // Spread among the servers, never first or last: a client must look at every entry.
        const std::vector<Peer> unusable = UnusableEntries();
        const std::size_t step = std::max<std::size_t>(1, servers.size() / unusable.size());
        for (std::size_t k = 0; k < unusable.size(); ++k)
            listed.insert(
                listed.begin() + static_cast<std::ptrdiff_t>(std::min(1 + k * (step + 1), listed.size())),
                unusable[k]);
    } else if (behaviour.mode == MasterMode::Repeats && !servers.empty()) {
        listed.insert(listed.end(), RepeatsOfFirst, servers.front());
    } else if (behaviour.mode == MasterMode::Largest) {
        // 127.0.0.1 up: 100 ports an address, so each server is listed once.
        listed.clear();
        const std::size_t count = LargestListSize(behaviour.name, behaviour.motd, behaviour.packetBytes);
        for (std::size_t i = 0; i < count; ++i)
            listed.push_back({Loopback + static_cast<std::uint32_t>(i / 100),
                              static_cast<std::uint16_t>(28001 + i % 100)});
    }
    return listed;
}

FakeMaster::FakeMaster(std::vector<Peer> servers, MasterBehaviour behaviour, std::uint16_t port)
    : servers_(ListedInMode(servers, behaviour)), behaviour_(std::move(behaviour)) {
    packetCount_ = static_cast<int>(
        BuildMasterPackets(servers_, behaviour_.name, behaviour_.motd, 0, behaviour_.packetBytes).size());
    endpoint_ = UdpEndpoint::BindLoopback(port);
    port_ = endpoint_.LocalPort();
    thread_ = std::thread([this] { Serve(); });
}

FakeMaster::~FakeMaster() {
    Stop();
}

void FakeMaster::Stop() {
    stopping_ = true;
    if (thread_.joinable()) thread_.join();
}

int FakeMaster::Requests() const {
    std::lock_guard<std::mutex> hold(mutex_);
    return requests_;
}

int FakeMaster::RequestsByNumber() const {
    std::lock_guard<std::mutex> hold(mutex_);
    return requestsByNumber_;
}

int FakeMaster::PacketsSent() const {
    std::lock_guard<std::mutex> hold(mutex_);
    return packetsSent_;
}

int FakeMaster::BusiestSecond() const {
    std::lock_guard<std::mutex> hold(mutex_);
    return busiestSecond_;
}

void FakeMaster::Serve() {
    DatagramWaiter waiter({&endpoint_});
    std::vector<std::uint8_t> bytes;
    while (!stopping_) {
        SendDue();
        std::chrono::milliseconds wait = WaitStep;
        if (!pending_.empty()) {
            const auto untilDue =
                std::chrono::ceil<std::chrono::milliseconds>(pending_.front().due - Clock::now());
            wait = std::clamp(untilDue, std::chrono::milliseconds(0), WaitStep);
        }
        if (waiter.Wait(wait).empty()) continue;
        while (std::optional<Peer> from = endpoint_.ReceiveFrom(bytes)) OnRequest(bytes, *from);
    }
}

void FakeMaster::OnRequest(const std::vector<std::uint8_t>& request, const Peer& from) {
    // 0x10 0x03 PACKET 0x00, and the key in bytes 4 and 5 (a request without them gets key 0).
    if (request.size() < 4 || request[0] != 0x10 || request[1] != 0x03) return;
    const int asked = request[2];
    const std::uint16_t key =
        request.size() >= 6 ? static_cast<std::uint16_t>(request[4] << 8 | request[5]) : 0;
    {
        std::lock_guard<std::mutex> hold(mutex_);
        ++requests_;
        if (asked != EveryPacket) ++requestsByNumber_;
        const Clock::time_point now = Clock::now();
        while (!lastSecond_.empty() && now - lastSecond_.front() >= std::chrono::seconds(1))
            lastSecond_.pop_front();
        lastSecond_.push_back(now);
        busiestSecond_ = std::max(busiestSecond_, static_cast<int>(lastSecond_.size()));
    }
    if (behaviour_.mode == MasterMode::Silent) return;

    const std::uint16_t sentKey = behaviour_.mode == MasterMode::WrongKey ? key ^ 0x5A5A : key;
    std::vector<Packet> packets =
        BuildMasterPackets(servers_, behaviour_.name, behaviour_.motd, sentKey, behaviour_.packetBytes);
    Packet& faulty = packets[static_cast<std::size_t>(FaultyPacket(packetCount_) - 1)];
    switch (behaviour_.mode) {
        case MasterMode::WrongHeader:
            faulty[MasterTypeByte] = 0x05;
            break;
        case MasterMode::BadCount:
            --faulty[MasterCountByte(faulty)];
            break;
        case MasterMode::Cut:
            faulty.resize(faulty.size() - std::min<std::size_t>(3, faulty.size()));
            break;
        case MasterMode::FalseTotal:
            packets[0][3] = 255;
            break;
        default:
            break;
    }

    std::vector<int> numbers;  // the packets of this answer, in sending order
    if (behaviour_.mode == MasterMode::FalseTotal) {
        if (asked == EveryPacket || asked == 1) numbers.push_back(1);
    } else if (asked == EveryPacket) {
        for (int n = 1; n <= packetCount_; ++n) numbers.push_back(n);
        if (behaviour_.mode == MasterMode::Reverse) std::reverse(numbers.begin(), numbers.end());
        if (behaviour_.mode == MasterMode::Extra) {
            // Numbered past the total it announces, with a server no list holds; sent first, so
            // a client meets it before the list is complete.
            const std::uint8_t total = static_cast<std::uint8_t>(packetCount_);
            Packet extra = {0x10,
                            0x06,
                            static_cast<std::uint8_t>(total + 1),
                            total,
                            static_cast<std::uint8_t>(sentKey >> 8),
                            static_cast<std::uint8_t>(sentKey & 0xFF),
                            0x00,
                            0x66,
                            0x00,
                            1,
                            0x06,
                            127,
                            0,
                            0,
                            1,
                            1,
                            0};
            packets.push_back(std::move(extra));
            numbers.insert(numbers.begin(), packetCount_ + 1);
        }
    } else if (asked >= 1 && asked <= packetCount_) {
        numbers.push_back(asked);
    }

    Clock::time_point due = Clock::now();
    for (int number : numbers) {
        if (behaviour_.mode == MasterMode::LoseOnce && number == FaultyPacket(packetCount_) && !faultyLost_) {
            faultyLost_ = true;
        } else {
            const Packet& packet = packets[static_cast<std::size_t>(number - 1)];
            for (int copy = behaviour_.mode == MasterMode::Twice ? 2 : 1; copy > 0; --copy) {
                // Kept in order of sending: an answer asked for now does not wait behind a paced one.
                const auto at = std::upper_bound(
                    pending_.begin(), pending_.end(), due,
                    [](Clock::time_point t, const PendingSend& send) { return t < send.due; });
                pending_.insert(at, {due, from, packet});
            }
        }
        due += behaviour_.pause;
    }
    SendDue();
}

void FakeMaster::SendDue() {
    const Clock::time_point now = Clock::now();
    int sent = 0;
    while (!pending_.empty() && pending_.front().due <= now) {
        endpoint_.SendTo(pending_.front().to,
                         pending_.front().bytes);  // a lost packet is what clients survive
        pending_.pop_front();
        ++sent;
    }
    std::lock_guard<std::mutex> hold(mutex_);
    packetsSent_ += sent;
}

}  // namespace tribes_emu
