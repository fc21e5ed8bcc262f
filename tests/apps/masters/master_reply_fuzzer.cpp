// Feeds arbitrary runs of datagrams to the master reply reader, one list's reassembly and the
// sorting out of its entries, each datagram in a buffer of its own length, and checks what must
// hold whatever the bytes were.
// An input is a key (two bytes), then datagrams, each a length (two bytes, low first) and its
// bytes; the last one takes what is left.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <vector>

#include "apps/masters/master_entries.h"
#include "apps/masters/master_list.h"

namespace {

void Require(bool condition, const char* what) {
    if (condition) return;
    std::fprintf(stderr, "master reply invariant broken: %s\n", what);
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    ByteReader input(data, size);
    const std::optional<std::uint16_t> keyBytes = input.ReadU16LE();
    if (!keyBytes) return 0;
    const auto key = static_cast<std::uint16_t>(*keyBytes >> 8 | (*keyBytes & 0xFF) << 8);
    MasterList list(key);
    int added = 0;
    int rejected = 0;
    while (input.remaining() > 0) {
        const std::optional<std::uint16_t> declared = input.ReadU16LE();
        const std::size_t length =
            declared ? std::min<std::size_t>(*declared, input.remaining()) : input.remaining();
        const ByteSpan bytes = input.ReadBytes(length).value_or(ByteSpan());
        // A copy of exactly the datagram's length: a read past it is a sanitizer's finding.
        const std::vector<std::uint8_t> datagram(bytes.begin(), bytes.end());
        const ByteSpan exact(datagram.data(), datagram.size());

        const PacketReading reading = ReadMasterPacket(exact, key);
        if (reading.fault == PacketFault::None) {
            Require(reading.packet.number >= 1 && reading.packet.total >= 1, "a packet number or total of 0");
            Require(10 + 7 * reading.packet.entries.size() + reading.packet.name.size() +
                            reading.packet.motd.size() <=
                        datagram.size(),
                    "more entries and text than bytes");
        }
        switch (list.Take(exact)) {
            case PacketTaken::Added:
                ++added;
                Require(reading.fault == PacketFault::None, "a rejected datagram added");
                break;
            case PacketTaken::Rejected:
                ++rejected;
                break;
            case PacketTaken::Repeat:
                Require(reading.fault == PacketFault::None, "a rejected datagram taken for a repeat");
                break;
        }
    }
    Require(list.Received() == added, "packets added and received differ");
    Require(list.Received() <= list.Total(), "more packets than the total");
    Require(list.Missing().size() == static_cast<std::size_t>(list.Total() - list.Received()),
            "missing miscounted");
    Require(list.Complete() == (list.Total() > 0 && list.Missing().empty()), "complete with packets missing");
    Require(list.Rejected().Total() == rejected, "rejections miscounted");
    const std::vector<MasterEntry> entries = list.Entries();
    Require(entries.size() <= 255u * static_cast<std::size_t>(list.Received()),
            "more entries than counts hold");

    const ListedServers listed = SortOutEntries(entries);
    Require(listed.entries == static_cast<int>(entries.size()), "entries miscounted");
    Require(
        static_cast<int>(listed.servers.size()) + listed.repeats + listed.leftOut.Total() == listed.entries,
        "an entry neither listed, merged nor left out");
    Require(WithoutDuplicates(listed.servers).size() == listed.servers.size(), "a server listed twice");
    for (const ServerAddress& server : listed.servers) {
        ServerListError error;
        Require(CheckUsableServer(server, error), "an entry no server can have listed");
    }
    return 0;
}
