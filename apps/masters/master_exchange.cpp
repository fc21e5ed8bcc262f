#include "apps/masters/master_exchange.h"

#include <algorithm>

#include "apps/masters/master_entries.h"
#include "text/utf8_text.h"
#include "wire/ansi_text.h"

namespace {

std::string Utf8FromAnsi(const std::string& text) {
    return Utf8FromWide(AnsiToWide(text.data(), text.size()));
}

}  // namespace

MasterExchange::MasterExchange(const MasterTiming& timing, std::uint16_t key, MasterClock::time_point start)
    : timing_(timing), list_(key), start_(start) {}

std::chrono::milliseconds MasterExchange::QuietAfter() const {
    const auto threeGaps = std::chrono::ceil<std::chrono::milliseconds>(3 * longestGap_);
    return std::clamp(threeGaps, timing_.quietAtLeast, timing_.quietAtMost);
}

std::vector<int> MasterExchange::DueRequests(MasterClock::time_point now) {
    if (!over_ && (list_.Complete() || now >= start_ + timing_.timeout)) over_ = true;
    if (over_) return {};
    std::vector<int> due;
    if (list_.Received() == 0) {
        if (wholeRequests_ == 0 ||
            (wholeRequests_ < timing_.mostWholeRequests && now >= lastWholeRequest_ + timing_.resendAfter)) {
            due.push_back(EveryMasterPacket);
            ++wholeRequests_;
            lastWholeRequest_ = now;
        }
    } else if (now >= std::max(lastAdded_, lastSend_) + QuietAfter()) {
        if (asksOfPacket_.empty()) asksOfPacket_.assign(static_cast<std::size_t>(list_.Total()), 0);
        for (int packet : list_.Missing()) {
            int& asks = asksOfPacket_[static_cast<std::size_t>(packet - 1)];
            if (asks >= timing_.mostAsksPerPacket) continue;
            ++asks;
            due.push_back(packet);
        }
        asks_ += static_cast<int>(due.size());
        if (due.empty()) over_ = true;  // every missing packet was asked for as often as it may be
    }
    if (!due.empty()) {
        lastSend_ = now;
        inAnswer_ = false;
    }
    return due;
}

void MasterExchange::Take(ByteSpan datagram, MasterClock::time_point now) {
    if (over_) return;
    ++datagrams_;
    if (list_.Take(datagram) != PacketTaken::Added) return;
    // Only gaps inside one answer say how the master paces; a gap that spans a request does not.
    if (inAnswer_) longestGap_ = std::max(longestGap_, now - lastAdded_);
    inAnswer_ = true;
    lastAdded_ = now;
    if (list_.Complete()) over_ = true;
}

MasterClock::time_point MasterExchange::NextDecision() const {
    const MasterClock::time_point deadline = start_ + timing_.timeout;
    if (over_) return start_;
    MasterClock::time_point next = deadline;
    if (list_.Received() > 0) {
        next = std::max(lastAdded_, lastSend_) + QuietAfter();
    } else if (wholeRequests_ < timing_.mostWholeRequests) {
        next = lastWholeRequest_ + timing_.resendAfter;
    }
    return std::min(next, deadline);
}

MasterOutcome MasterExchange::Outcome() const {
    MasterOutcome outcome;
    if (list_.Complete()) {
        outcome.status = MasterStatus::Complete;
    } else if (list_.Received() > 0) {
        outcome.status = MasterStatus::Partial;
    } else {
        outcome.status = datagrams_ > 0 ? MasterStatus::BadReply : MasterStatus::NoAnswer;
    }
    outcome.name = Utf8FromAnsi(list_.Name());
    outcome.motd = Utf8FromAnsi(list_.Motd());
    ListedServers listed = SortOutEntries(list_.Entries());
    outcome.servers = std::move(listed.servers);
    outcome.entriesReceived = listed.entries;
    outcome.repeats = listed.repeats;
    outcome.leftOut = listed.leftOut;
    outcome.packetsReceived = list_.Received();
    outcome.packetsTotal = list_.Total();
    outcome.requestsSent = wholeRequests_ + asks_;
    outcome.rejected = list_.Rejected();
    return outcome;
}
