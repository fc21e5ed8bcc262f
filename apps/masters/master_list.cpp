#include "apps/masters/master_list.h"

namespace {

void Count(RejectedPackets& rejected, PacketFault fault) {
    switch (fault) {
        case PacketFault::None:
            break;
        case PacketFault::CutShort:
            ++rejected.cutShort;
            break;
        case PacketFault::WrongHeader:
            ++rejected.wrongHeader;
            break;
        case PacketFault::WrongKey:
            ++rejected.wrongKey;
            break;
        case PacketFault::CountMismatch:
            ++rejected.countMismatch;
            break;
        case PacketFault::BadEntry:
            ++rejected.badEntry;
            break;
    }
}

}  // namespace

PacketTaken MasterList::Take(ByteSpan datagram) {
    PacketReading reading = ReadMasterPacket(datagram, key_);
    if (reading.fault != PacketFault::None) {
        Count(rejected_, reading.fault);
        return PacketTaken::Rejected;
    }
    MasterPacket& packet = reading.packet;
    if (packet.number > packet.total || (total_ != 0 && packet.total != total_)) {
        ++rejected_.beyondTotal;
        return PacketTaken::Rejected;
    }
    if (total_ == 0) {
        total_ = packet.total;
        held_.assign(static_cast<std::size_t>(total_), false);
        entries_.resize(static_cast<std::size_t>(total_));
    }
    const std::size_t index = static_cast<std::size_t>(packet.number - 1);
    if (held_[index]) return PacketTaken::Repeat;
    held_[index] = true;
    ++received_;
    entries_[index] = std::move(packet.entries);
    if (packet.number == 1) {
        name_ = std::move(packet.name);
        motd_ = std::move(packet.motd);
    }
    return PacketTaken::Added;
}

bool MasterList::Holds(int number) const {
    return number >= 1 && number <= total_ && held_[static_cast<std::size_t>(number - 1)];
}

std::vector<int> MasterList::Missing() const {
    std::vector<int> missing;
    for (std::size_t i = 0; i < held_.size(); ++i) {
        if (!held_[i]) missing.push_back(static_cast<int>(i + 1));
    }
    return missing;
}

std::vector<MasterEntry> MasterList::Entries() const {
    std::vector<MasterEntry> all;
    for (const std::vector<MasterEntry>& packet : entries_)
        all.insert(all.end(), packet.begin(), packet.end());
    return all;
}
