#include "apps/masters/master_packet.h"

namespace {

constexpr std::uint8_t ProtocolVersion = 0x10;
constexpr std::uint8_t ListRequest = 0x03;
constexpr std::uint8_t ListReply = 0x06;
constexpr std::uint8_t EntryMark = 0x06;
constexpr std::size_t EntryBytes = 7;

PacketReading Rejected(PacketFault fault) {
    return {fault, {}};
}

std::string Text(ByteSpan bytes) {
    return std::string(bytes.begin(), bytes.end());
}

}  // namespace

std::array<std::uint8_t, 6> MasterRequest(int packet, std::uint16_t key) {
    return {ProtocolVersion,
            ListRequest,
            static_cast<std::uint8_t>(packet),
            0,
            static_cast<std::uint8_t>(key >> 8),
            static_cast<std::uint8_t>(key & 0xFF)};
}

PacketReading ReadMasterPacket(ByteSpan datagram, std::uint16_t key) {
    ByteReader reader(datagram);
    // Bytes 6 and 7 (0x00 0x66 from the known masters) are the master's own and not checked:
    // a master that sends others still sends a list.
    const std::optional<ByteSpan> header = reader.ReadBytes(8);
    if (!header) return Rejected(PacketFault::CutShort);
    const ByteSpan bytes = *header;
    const int number = bytes[2];
    const int total = bytes[3];
    if (bytes[0] != ProtocolVersion || bytes[1] != ListReply || number < 1 || total < 1)
        return Rejected(PacketFault::WrongHeader);
    if (((bytes[4] << 8) | bytes[5]) != key) return Rejected(PacketFault::WrongKey);

    PacketReading reading;
    MasterPacket& packet = reading.packet;
    packet.number = number;
    packet.total = total;
    if (number == 1) {
        const std::optional<ByteSpan> name = reader.ReadTextField();
        const std::optional<ByteSpan> motd = name ? reader.ReadTextField() : std::nullopt;
        if (!motd) return Rejected(PacketFault::CutShort);
        packet.name = Text(*name);
        packet.motd = Text(*motd);
    }
    // One byte 0x00 (not checked), then the count of entries in this packet.
    if (!reader.Skip(1)) return Rejected(PacketFault::CutShort);
    const std::optional<std::uint8_t> count = reader.ReadU8();
    if (!count) return Rejected(PacketFault::CutShort);
    if (reader.remaining() < *count * EntryBytes) return Rejected(PacketFault::CutShort);
    if (reader.remaining() > *count * EntryBytes) return Rejected(PacketFault::CountMismatch);
    for (int i = 0; i < *count; ++i) {
        const std::optional<ByteSpan> entry = reader.ReadBytes(EntryBytes);
        if (!entry || (*entry)[0] != EntryMark) return Rejected(PacketFault::BadEntry);
        const ByteSpan e = *entry;
        const std::uint32_t address = static_cast<std::uint32_t>(e[1]) << 24 | e[2] << 16 | e[3] << 8 | e[4];
        packet.entries.push_back({address, static_cast<std::uint16_t>(e[5] | e[6] << 8)});
    }
    return reading;
}
