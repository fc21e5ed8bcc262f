#include "tools/tribes_emu/emulator.h"

#include <algorithm>
#include <stdexcept>

namespace tribes_emu {
namespace {

// The longest any wait of the serving thread lasts, so Stop is seen quickly.
constexpr std::chrono::milliseconds WaitStep{50};
// Datagrams taken from one socket per wake-up, so a flood on one port cannot starve the others.
constexpr int ReceiveBurst = 64;
constexpr std::size_t QueryTimesKept = 4096;

bool IsQuery(const std::vector<std::uint8_t>& bytes) {
    return bytes.size() == 3 && bytes[0] == 'b' && bytes[1] == '*' && bytes[2] == '*';
}

}  // namespace

// "c**" and a fourth byte other than 'b': a client must check all four bytes of the magic.
const std::vector<std::uint8_t> StrayDatagram = {'c', '*', '*', 'x', 's', 't', 'r', 'a', 'y'};

TribesEmulator::TribesEmulator(ServerInfo server, Behaviour behaviour,
                               const std::vector<std::uint16_t>& ports)
    : server_(std::move(server)), behaviour_(behaviour) {
    if (ports.empty()) throw std::invalid_argument("TribesEmulator needs at least one port");
    for (std::uint16_t port : ports) {
        endpoints_.push_back(UdpEndpoint::BindLoopback(port));
        ports_.push_back(endpoints_.back().LocalPort());
    }
    otherEndpoint_ = UdpEndpoint::BindLoopback(0);
    otherPort_ = otherEndpoint_.LocalPort();
    queryCounts_.assign(ports_.size(), 0);
    queryTimes_.resize(ports_.size());
    thread_ = std::thread([this] { Serve(); });
}

TribesEmulator::~TribesEmulator() {
    Stop();
}

void TribesEmulator::Stop() {
    stopping_ = true;
    if (thread_.joinable()) thread_.join();
}

std::vector<std::uint16_t> TribesEmulator::Ports() const {
    return ports_;
}

void TribesEmulator::SetServer(const ServerInfo& server) {
    std::lock_guard<std::mutex> hold(mutex_);
    server_ = server;
}

std::string TribesEmulator::ChangeServer(const std::function<std::string(ServerInfo&)>& change) {
    std::lock_guard<std::mutex> hold(mutex_);
    return change(server_);
}

void TribesEmulator::SetBehaviour(const Behaviour& behaviour) {
    std::lock_guard<std::mutex> hold(mutex_);
    behaviour_ = behaviour;
}

int TribesEmulator::QueryCount() const {
    std::lock_guard<std::mutex> hold(mutex_);
    return queryTotal_;
}

int TribesEmulator::QueryCountAt(std::size_t portIndex) const {
    std::lock_guard<std::mutex> hold(mutex_);
    return portIndex < queryCounts_.size() ? queryCounts_[portIndex] : 0;
}

std::vector<Clock::time_point> TribesEmulator::QueryTimesAt(std::size_t portIndex) const {
    std::lock_guard<std::mutex> hold(mutex_);
    if (portIndex >= queryTimes_.size()) return {};
    return {queryTimes_[portIndex].begin(), queryTimes_[portIndex].end()};
}

int TribesEmulator::OtherDatagramCount() const {
    std::lock_guard<std::mutex> hold(mutex_);
    return otherDatagrams_;
}

bool TribesEmulator::WaitForQueries(int count, std::chrono::milliseconds timeout) const {
    std::unique_lock<std::mutex> hold(mutex_);
    return queried_.wait_for(hold, timeout, [&] { return queryTotal_ >= count; });
}

void TribesEmulator::Serve() {
    std::vector<const UdpEndpoint*> watched;
    for (const UdpEndpoint& endpoint : endpoints_) watched.push_back(&endpoint);
    DatagramWaiter waiter(watched);
    while (!stopping_) {
        Clock::time_point now = Clock::now();
        SendDue(now);
        std::chrono::milliseconds wait = WaitStep;
        Clock::time_point due = NextDue();
        if (due < now + WaitStep) {
            wait = std::chrono::ceil<std::chrono::milliseconds>(std::max(due - now, Clock::duration::zero()));
        }
        for (std::size_t ready : waiter.Wait(wait)) Receive(ready);
    }
}

void TribesEmulator::Receive(std::size_t portIndex) {
    std::vector<std::uint8_t> bytes;
    for (int i = 0; i < ReceiveBurst; ++i) {
        std::optional<Peer> from = endpoints_[portIndex].ReceiveFrom(bytes);
        if (!from) return;
        if (IsQuery(bytes)) {
            OnQuery(portIndex, *from, Clock::now());
        } else {
            std::lock_guard<std::mutex> hold(mutex_);
            ++otherDatagrams_;
        }
    }
}

void TribesEmulator::OnQuery(std::size_t portIndex, const Peer& from, Clock::time_point now) {
    std::vector<std::uint8_t> reply;
    std::vector<std::uint8_t> team255Reply;
    Behaviour behaviour;
    {
        std::lock_guard<std::mutex> hold(mutex_);
        ++queryTotal_;
        ++queryCounts_[portIndex];
        auto& times = queryTimes_[portIndex];
        times.push_back(now);
        if (times.size() > QueryTimesKept) times.pop_front();
        behaviour = behaviour_;
        if (behaviour.mode == ReplyMode::Team255First) {
            ServerInfo early = server_;
            early.teamCount = 255;
            team255Reply = BuildReply(early);
        }
        reply = BuildReply(server_);
    }
    queried_.notify_all();

    const UdpEndpoint& queried = endpoints_[portIndex];
    auto send = [&](const UdpEndpoint& endpoint, const std::vector<std::uint8_t>& bytes) {
        endpoint.SendTo(from, bytes);  // a lost reply is what a client must survive anyway
    };
    switch (behaviour.mode) {
        case ReplyMode::Normal:
            send(queried, reply);
            break;
        case ReplyMode::Silent:
        case ReplyMode::Stray:
            break;
        case ReplyMode::Delay:
            pending_.push_back({now + behaviour.delay, &queried, from, std::move(reply)});
            break;
        case ReplyMode::Double:
            send(queried, reply);
            send(queried, reply);
            break;
        case ReplyMode::Oversized:
            // Zero bytes read as empty player records, so the padding keeps the reply well formed.
            reply.resize(std::max(reply.size(), behaviour.oversizedLength), 0);
            send(queried, reply);
            break;
        case ReplyMode::Cut:
            reply.resize(std::min(reply.size(), behaviour.cutLength));
            send(queried, reply);
            break;
        case ReplyMode::Team255First:
            send(queried, team255Reply);
            send(queried, reply);
            break;
        case ReplyMode::OtherPort:
            send(otherEndpoint_, reply);
            break;
    }

    std::chrono::milliseconds strayEvery = behaviour.strayEvery;
    if (strayEvery.count() <= 0 && behaviour.mode == ReplyMode::Stray) strayEvery = StrayEvery;
    if (strayEvery.count() > 0) {
        if (!haveQuerier_) nextStray_ = now + strayEvery;
        haveQuerier_ = true;
        lastQueriedPort_ = portIndex;
        lastQuerier_ = from;
    }
}

void TribesEmulator::SendDue(Clock::time_point now) {
    for (auto it = pending_.begin(); it != pending_.end();) {
        if (it->due <= now) {
            it->from->SendTo(it->to, it->bytes);
            it = pending_.erase(it);
        } else {
            ++it;
        }
    }
    if (!haveQuerier_ || now < nextStray_) return;
    std::chrono::milliseconds strayEvery;
    {
        std::lock_guard<std::mutex> hold(mutex_);
        strayEvery = behaviour_.strayEvery;
        if (strayEvery.count() <= 0 && behaviour_.mode == ReplyMode::Stray) strayEvery = StrayEvery;
    }
    if (strayEvery.count() <= 0) {
        haveQuerier_ = false;  // strays were switched off
        return;
    }
    endpoints_[lastQueriedPort_].SendTo(lastQuerier_, StrayDatagram);
    nextStray_ = now + strayEvery;
}

Clock::time_point TribesEmulator::NextDue() const {
    Clock::time_point next = Clock::time_point::max();
    for (const PendingSend& send : pending_) next = std::min(next, send.due);
    if (haveQuerier_) next = std::min(next, nextStray_);
    return next;
}

}  // namespace tribes_emu
