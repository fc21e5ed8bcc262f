// The master client on real sockets against the fake master's misbehaviours, all asked at once:
// what each outcome says, the servers it kept intact, and the requests it took.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>

#include "apps/masters/master_query_win.h"
#include "tools/tribes_emu/master_emulator.h"

using ::testing::EndsWith;
using ::testing::HasSubstr;
using tribes_emu::FakeMaster;
using tribes_emu::MasterBehaviour;
using tribes_emu::MasterMode;

namespace {

std::vector<tribes_emu::Peer> Servers(int count) {
    std::vector<tribes_emu::Peer> servers;
    for (int i = 0; i < count; ++i)
        servers.push_back(
            {0x0A000000u + static_cast<std::uint32_t>(i / 100), static_cast<std::uint16_t>(28001 + i % 100)});
    return servers;
}

ServerAddress Listed(const tribes_emu::Peer& peer) {
    return {"10.0.0." + std::to_string(peer.address & 0xFF), peer.port};
}

struct MisbehaviourCase {
    MasterMode mode;
    int listed;
    MasterStatus status;
    int kept;  // servers kept: the whole list, or all but the faulty packet's 66
    int requests;
    const char* dropped;
    int sent;  // packets the fake master sent: each misbehaviour happened as named
};

TEST(MasterClient, EachMisbehaviourEndsWithWhatArrivedIntact) {
    // 150 servers: packets of 59, 66 and 25 entries; the faulty packet is the second.
    const MisbehaviourCase cases[] = {
        {MasterMode::Normal, 150, MasterStatus::Complete, 150, 1, "", 3},
        {MasterMode::Silent, 150, MasterStatus::NoAnswer, 0, 3, "", 0},
        {MasterMode::LoseOnce, 150, MasterStatus::Complete, 150, 2, "", 3},
        {MasterMode::Twice, 150, MasterStatus::Complete, 150, 1, "", 6},
        {MasterMode::Reverse, 150, MasterStatus::Complete, 150, 1, "", 3},
        {MasterMode::WrongKey, 150, MasterStatus::BadReply, 0, 3, "9 wrong key", 9},
        {MasterMode::WrongHeader, 150, MasterStatus::Partial, 84, 4, "4 wrong header", 6},
        {MasterMode::BadCount, 150, MasterStatus::Partial, 84, 4, "4 more entries than counted", 6},
        {MasterMode::Cut, 150, MasterStatus::Partial, 84, 4, "4 cut short", 6},
        {MasterMode::Extra, 150, MasterStatus::Complete, 150, 1, "1 beyond the announced total", 4},
        {MasterMode::Empty, 150, MasterStatus::Complete, 0, 1, "", 1},
        // 155 entries: 59, 66 and 30; 350 entries: 59, then 66 a packet.
        {MasterMode::Unusable, 150, MasterStatus::Complete, 150, 1, "", 3},
        {MasterMode::Repeats, 150, MasterStatus::Complete, 150, 1, "", 6},
    };
    std::vector<std::unique_ptr<FakeMaster>> fakes;
    std::vector<ServerAddress> masters;
    for (const MisbehaviourCase& c : cases) {
        MasterBehaviour behaviour;
        behaviour.mode = c.mode;
        fakes.push_back(std::make_unique<FakeMaster>(Servers(c.listed), behaviour));
        masters.push_back({"127.0.0.1", fakes.back()->Port()});
    }
    masters.push_back({"no-such-master.invalid", 28000});

    // Room for every re-ask at the masters' pace also on a loaded machine: the counts below are
    // what each master is asked when nothing runs out of time.
    MasterTiming timing;
    timing.timeout = std::chrono::milliseconds(4000);
    timing.resendAfter = std::chrono::milliseconds(400);
    const auto started = MasterClock::now();
    const MasterGathering gathering = GatherMasters(masters, timing);
    EXPECT_LT(MasterClock::now() - started, std::chrono::milliseconds(7000)) << "bounded by the timeout";

    ASSERT_EQ(gathering.masters.size(), masters.size());
    for (size_t i = 0; i < std::size(cases); ++i) {
        const MisbehaviourCase& c = cases[i];
        const MasterOutcome& outcome = gathering.masters[i];
        const std::string row = "row " + std::to_string(i) + ": " + outcome.master;
        EXPECT_EQ(outcome.status, c.status) << row;
        EXPECT_EQ(outcome.requestsSent, c.requests) << row;
        EXPECT_EQ(outcome.requestsSent, fakes[i]->Requests()) << row;
        EXPECT_EQ(RejectedText(outcome.rejected), c.dropped) << row;
        EXPECT_EQ(fakes[i]->PacketsSent(), c.sent) << row;
        ASSERT_EQ(outcome.servers.size(), static_cast<size_t>(c.kept)) << row;
        if (c.kept == 0) continue;
        // Intact and in order: the list's head, and its tail after the hole a lost packet leaves.
        const std::vector<tribes_emu::Peer> listed = Servers(c.listed);
        EXPECT_EQ(outcome.servers.front(), Listed(listed.front())) << row;
        EXPECT_EQ(outcome.servers.back(), Listed(listed.back())) << row;
        if (c.kept < c.listed) {
            EXPECT_EQ(outcome.servers[59], Listed(listed[59 + 66])) << row;
        }
    }
    EXPECT_THAT(OutcomeSummary(gathering.masters[11]),
                HasSubstr("150 servers from 155 entries in 3/3 packets, 1 request, "));
    EXPECT_THAT(
        OutcomeSummary(gathering.masters[11]),
        EndsWith(
            "; left out 5 entries no server can have (1 in 0.0.0.0/8, 1 broadcast, 2 multicast, 1 port 0)"));
    EXPECT_THAT(OutcomeSummary(gathering.masters[12]), EndsWith("; 200 repeats merged"));
    EXPECT_EQ(gathering.masters[0].name, "tribes-emu master");
    EXPECT_EQ(gathering.masters[0].motd, "A fake master on 127.0.0.1");
    const MasterOutcome& unresolved = gathering.masters.back();
    EXPECT_EQ(unresolved.status, MasterStatus::Unresolved);
    EXPECT_EQ(unresolved.requestsSent, 0);
    EXPECT_NE(unresolved.detail, "");
    // Every master listed from the same 150 (the largest lists are the next test's): the merged
    // list holds each once.
    EXPECT_EQ(gathering.servers.size(), 150u);
}

// A master claiming 255 packets that sends one is asked within the bound and at the pace, and
// the exchange ends by itself, partial; the largest lists a master can describe (255 full
// packets, at the default size and at 255 entries a packet) come whole, at the same time.
TEST(MasterClient, AFalseTotalIsAskedPolitelyAndTheLargestListsComeWhole) {
    MasterBehaviour falseTotal;
    falseTotal.mode = MasterMode::FalseTotal;
    MasterBehaviour largest;
    largest.mode = MasterMode::Largest;
    MasterBehaviour largestPackets = largest;
    largestPackets.packetBytes = 1840;  // 255 entries in each, packet 1 with the master's texts
    const FakeMaster lying(Servers(10), falseTotal);
    const FakeMaster large({}, largest);
    const FakeMaster largestOfAll({}, largestPackets);
    MasterTiming timing;
    timing.timeout = std::chrono::seconds(10);  // well past the end the request bound makes
    const MasterGathering gathering = GatherMasters(
        {{"127.0.0.1", lying.Port()}, {"127.0.0.1", large.Port()}, {"127.0.0.1", largestOfAll.Port()}},
        timing);

    const MasterOutcome& partial = gathering.masters[0];
    EXPECT_EQ(partial.status, MasterStatus::Partial);
    EXPECT_EQ(partial.packetsTotal, 255);
    EXPECT_EQ(partial.servers.size(), 10u);
    EXPECT_EQ(lying.Requests(), 60);
    EXPECT_EQ(partial.requestsSent, 60);
    // 20 a second; one more for the difference between the client's clock and the master's.
    EXPECT_LE(lying.BusiestSecond(), 21);
    EXPECT_LT(partial.seconds, 6.0) << "ended by the bound, not by the time-out";
    EXPECT_THAT(OutcomeSummary(partial), EndsWith("; stopped at 60 requests, the most to one master"));

    const struct {
        const FakeMaster& master;
        size_t servers;
        const char* last;
    } largestCases[] = {{large, 16823, "127.0.0.169:28023"}, {largestOfAll, 65025, "127.0.2.139:28025"}};
    for (size_t i = 0; i < std::size(largestCases); ++i) {
        const MasterOutcome& outcome = gathering.masters[i + 1];
        EXPECT_EQ(outcome.status, MasterStatus::Complete) << outcome.master;
        EXPECT_EQ(outcome.packetsReceived, 255) << outcome.master;
        ASSERT_EQ(outcome.servers.size(), largestCases[i].servers) << outcome.master;
        EXPECT_EQ(outcome.servers.front().Text(), "127.0.0.1:28001");
        EXPECT_EQ(outcome.servers.back().Text(), largestCases[i].last);
        EXPECT_LT(outcome.seconds, 5.0) << "within the default time-out";
        EXPECT_LE(outcome.requestsSent, 60);
        EXPECT_EQ(outcome.requestsSent, largestCases[i].master.Requests());
    }
    EXPECT_EQ(gathering.servers.size(), 10u + 65025u) << "the smaller largest list is the larger's head";
}

}  // namespace
