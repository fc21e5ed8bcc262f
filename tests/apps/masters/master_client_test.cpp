// The master client's portable half: the reader over hand-written datagrams, the reassembly,
// and the exchange's decisions against a simulated master on a clock of the test's own.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <map>

#include "apps/masters/master_exchange.h"
#include "tools/tribes_emu/master_emulator.h"

using std::chrono::milliseconds;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using Bytes = std::vector<std::uint8_t>;

namespace {

constexpr std::uint16_t Key = 0x1234;

ByteSpan Span(const Bytes& bytes) {
    return ByteSpan(bytes.data(), bytes.size());
}

Bytes Join(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& part : parts) all.insert(all.end(), part.begin(), part.end());
    return all;
}

const Bytes Header1of1 = {0x10, 0x06, 1, 1, 0x12, 0x34, 0x00, 0x66};
const Bytes Texts = {4, 'N', 'a', 'm', 'e', 3, 'M', 'O', 'T'};
// 127.0.0.1:28001 and 10.0.0.2:8000, ports low byte first.
const Bytes TwoEntries = {0x06, 127, 0, 0, 1, 0x61, 0x6D, 0x06, 10, 0, 0, 2, 0x40, 0x1F};

struct ReaderCase {
    const char* what;
    Bytes datagram;
    PacketFault fault;
    std::vector<MasterEntry> entries;
};

TEST(MasterReader, ReadsOrRejectsEachDatagramWhole) {
    const std::vector<MasterEntry> both = {{0x7F000001, 28001}, {0x0A000002, 8000}};
    const ReaderCase cases[] = {
        {"packet 1 with texts", Join({Header1of1, Texts, {0, 2}, TwoEntries}), PacketFault::None, both},
        {"a later packet", Join({{0x10, 0x06, 2, 3, 0x12, 0x34, 0x00, 0x66, 0, 2}, TwoEntries}),
         PacketFault::None, both},
        {"bytes 6 and 7 are the master's", Join({{0x10, 0x06, 2, 2, 0x12, 0x34, 7, 7, 9, 2}, TwoEntries}),
         PacketFault::None, both},
        {"empty list", {0x10, 0x06, 1, 1, 0x12, 0x34, 0x00, 0x66, 0, 0, 0, 0}, PacketFault::None, {}},
        {"nothing", {}, PacketFault::CutShort, {}},
        {"inside the header", {0x10, 0x06, 1, 1, 0x12, 0x34, 0x00}, PacketFault::CutShort, {}},
        {"inside the name", Join({Header1of1, {9, 'N', 'a'}}), PacketFault::CutShort, {}},
        {"without its count", Join({Header1of1, Texts, {0}}), PacketFault::CutShort, {}},
        {"inside an entry",
         Join({Header1of1, Texts, {0, 2}, Bytes(TwoEntries.begin(), TwoEntries.end() - 3)}),
         PacketFault::CutShort,
         {}},
        {"count above its entries", Join({Header1of1, Texts, {0, 3}, TwoEntries}), PacketFault::CutShort, {}},
        {"count below its entries",
         Join({Header1of1, Texts, {0, 1}, TwoEntries}),
         PacketFault::CountMismatch,
         {}},
        {"a byte after the entries",
         Join({Header1of1, Texts, {0, 2}, TwoEntries, {0}}),
         PacketFault::CountMismatch,
         {}},
        {"version",
         Join({{0x11, 0x06, 1, 1, 0x12, 0x34, 0, 0x66}, Texts, {0, 0}}),
         PacketFault::WrongHeader,
         {}},
        {"message type",
         Join({{0x10, 0x05, 1, 1, 0x12, 0x34, 0, 0x66}, Texts, {0, 0}}),
         PacketFault::WrongHeader,
         {}},
        {"packet 0", {0x10, 0x06, 0, 1, 0x12, 0x34, 0, 0x66, 0, 0}, PacketFault::WrongHeader, {}},
        {"total 0", {0x10, 0x06, 1, 0, 0x12, 0x34, 0, 0x66, 0, 0, 0, 0}, PacketFault::WrongHeader, {}},
        {"key", Join({{0x10, 0x06, 1, 1, 0x34, 0x12, 0, 0x66}, Texts, {0, 0}}), PacketFault::WrongKey, {}},
        {"entry mark",
         Join({Header1of1, Texts, {0, 1}, {0x07, 1, 2, 3, 4, 5, 6}}),
         PacketFault::BadEntry,
         {}},
    };
    for (const ReaderCase& c : cases) {
        const PacketReading reading = ReadMasterPacket(Span(c.datagram), Key);
        EXPECT_EQ(reading.fault, c.fault) << c.what;
        EXPECT_EQ(reading.packet.entries, c.entries) << c.what;
    }
    const PacketReading first = ReadMasterPacket(Span(cases[0].datagram), Key);
    EXPECT_EQ(first.packet.name, "Name");
    EXPECT_EQ(first.packet.motd, "MOT");
    EXPECT_THAT(MasterRequest(EveryMasterPacket, Key), ElementsAre(0x10, 0x03, 0xFF, 0x00, 0x12, 0x34));
}

// Three packets of 10 servers (127.0.0.1:1 .. :10) as the fake master lays them out.
std::vector<tribes_emu::Packet> ThreePackets(std::uint16_t key = Key) {
    std::vector<tribes_emu::Peer> servers;
    for (std::uint16_t port = 1; port <= 10; ++port) servers.push_back({tribes_emu::Loopback, port});
    return tribes_emu::BuildMasterPackets(servers, "M", "Hello", key, 40);
}

TEST(MasterList, KeepsPacketsByNumberWhateverTheirOrder) {
    const std::vector<tribes_emu::Packet> packets = ThreePackets();
    ASSERT_EQ(packets.size(), 3u);
    tribes_emu::Packet beyond = packets[2];
    beyond[2] = 4;  // packet 4 of 3
    tribes_emu::Packet otherTotal = packets[1];
    otherTotal[3] = 4;  // packet 2 of 4
    const struct {
        std::vector<const tribes_emu::Packet*> arrivals;
        std::vector<PacketTaken> taken;
        std::vector<int> missing;
        int beyondTotal;
    } cases[] = {
        {{&packets[2], &packets[0], &packets[1]},
         {PacketTaken::Added, PacketTaken::Added, PacketTaken::Added},
         {},
         0},
        {{&packets[1], &packets[1]}, {PacketTaken::Added, PacketTaken::Repeat}, {1, 3}, 0},
        {{&beyond, &packets[0], &otherTotal},
         {PacketTaken::Rejected, PacketTaken::Added, PacketTaken::Rejected},
         {2, 3},
         2},
    };
    for (const auto& c : cases) {
        MasterList list(Key);
        std::vector<PacketTaken> taken;
        for (const tribes_emu::Packet* packet : c.arrivals) taken.push_back(list.Take(Span(*packet)));
        EXPECT_EQ(taken, c.taken);
        EXPECT_EQ(list.Missing(), c.missing);
        EXPECT_EQ(list.Rejected().beyondTotal, c.beyondTotal);
        EXPECT_EQ(list.Received(), 3 - static_cast<int>(c.missing.size()));
    }
    MasterList whole(Key);
    for (int i = 2; i >= 0; --i) whole.Take(Span(packets[static_cast<std::size_t>(i)]));
    std::vector<MasterEntry> expected;
    for (std::uint16_t port = 1; port <= 10; ++port) expected.push_back({tribes_emu::Loopback, port});
    EXPECT_EQ(whole.Entries(), expected) << "in packet order, not arrival order";
    EXPECT_EQ(whole.Motd(), "Hello");
}

// A master as the exchange meets it: it answers a request after latency, the packets of a
// whole answer pause apart; delivered(packet, time it is sent) says whether one arrives.
struct SimulatedMaster {
    int latencyMs = 20;
    int pauseMs = 0;
    bool (*delivered)(int packet, int sending) = [](int, int) { return true; };
    std::uint16_t key = Key;
};

using Sent = std::pair<int, int>;  // a request: when (ms) and which packet

TEST(MasterExchange, ResendsAsksAndGivesUpAsPaced) {
    constexpr int All = EveryMasterPacket;
    const auto never2 = [](int packet, int) { return packet != 2; };
    const auto lost2Once = [](int packet, int sending) { return packet != 2 || sending > 1; };
    const struct {
        const char* what;
        SimulatedMaster master;
        MasterStatus status;
        std::vector<Sent> requests;
        int overAtMs;
    } cases[] = {
        {"answers at once", {}, MasterStatus::Complete, {{0, All}}, 20},
        {"silent",
         {20, 0, [](int, int) { return false; }},
         MasterStatus::NoAnswer,
         {{0, All}, {1000, All}, {2000, All}},
         5000},
        {"first answer lost",
         {20, 0, [](int, int sending) { return sending > 1; }},
         MasterStatus::Complete,
         {{0, All}, {1000, All}},
         1020},
        // Packets 1 and 3 at 20 ms; quiet for 200 ms; packet 2 asked for.
        {"packet 2 lost once", {20, 0, lost2Once}, MasterStatus::Complete, {{0, All}, {220, 2}}, 240},
        {"packet 2 never",
         {20, 0, never2},
         MasterStatus::Partial,
         {{0, All}, {220, 2}, {420, 2}, {620, 2}},
         820},
        // Paced 100 ms: packets 1 and 3 come 200 ms apart; quiet after three such gaps.
        {"paced, packet 2 lost once",
         {20, 100, lost2Once},
         MasterStatus::Complete,
         {{0, All}, {820, 2}},
         840},
        {"wrong key",
         {20, 0, [](int, int) { return true; }, Key ^ 1},
         MasterStatus::BadReply,
         {{0, All}, {1000, All}, {2000, All}},
         5000},
        {"packets 2 and 3 never",
         {20, 0, [](int packet, int) { return packet == 1; }},
         MasterStatus::Partial,
         {{0, All}, {220, 2}, {270, 3}, {470, 2}, {520, 3}, {720, 2}, {770, 3}},
         970},
    };
    for (const auto& c : cases) {
        const MasterClock::time_point zero{};
        const std::vector<tribes_emu::Packet> packets = ThreePackets(c.master.key);
        const int sent = static_cast<int>(packets.size());
        MasterExchange exchange(MasterTiming{}, Key, zero);
        std::multimap<int, int> arrivals;  // ms -> packet number
        std::map<int, int> sendings;
        std::vector<Sent> requests;
        int now = 0;
        for (int step = 0; step < 2000 && !exchange.Over(); ++step) {
            while (!arrivals.empty() && arrivals.begin()->first <= now) {
                exchange.Take(Span(packets[static_cast<std::size_t>(arrivals.begin()->second - 1)]),
                              zero + milliseconds(now));
                arrivals.erase(arrivals.begin());
            }
            for (int packet : exchange.DueRequests(zero + milliseconds(now))) {
                requests.push_back({now, packet});
                const int first = packet == EveryMasterPacket ? 1 : packet;
                const int last = std::min(packet == EveryMasterPacket ? sent : packet, sent);
                for (int n = first; n <= last; ++n) {
                    if (c.master.delivered(n, ++sendings[n]))
                        arrivals.emplace(now + c.master.latencyMs + (n - first) * c.master.pauseMs, n);
                }
            }
            if (exchange.Over()) break;
            int next = static_cast<int>(
                std::chrono::duration_cast<milliseconds>(exchange.NextDecision() - zero).count());
            if (!arrivals.empty()) next = std::min(next, arrivals.begin()->first);
            now = std::max(next, now);
        }
        const MasterOutcome outcome = exchange.Outcome();
        EXPECT_EQ(outcome.status, c.status) << c.what;
        EXPECT_THAT(requests, ElementsAreArray(c.requests)) << c.what;
        EXPECT_EQ(now, c.overAtMs) << c.what;
        EXPECT_EQ(outcome.requestsSent, static_cast<int>(requests.size())) << c.what;
    }
}

}  // namespace
