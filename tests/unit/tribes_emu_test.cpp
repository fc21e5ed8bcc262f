#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "boundary/table_layout.h"
#include "host/server_objects.h"
#include "query/reply_parser.h"
#include "tools/tribes_emu/emulator.h"
#include "tools/tribes_emu/reply_builder.h"
#include "tools/tribes_emu/udp_endpoint.h"

using namespace tribes_emu;
using namespace std::string_literals;
using std::chrono::milliseconds;
using Bytes = std::vector<std::uint8_t>;

namespace {

Bytes ToBytes(const std::string& text) {
    return Bytes(text.begin(), text.end());
}

// A server whose texts are all empty, so every offset of the reply is known by heart:
// the team count sits at 17 and the team section begins at 20.
ServerInfo BareServer() {
    ServerInfo server;
    server.gameName.clear();
    server.version.clear();
    server.mods.clear();
    server.game.clear();
    server.dedicated = 0;
    return server;
}
constexpr std::size_t kBareTeamCountAt = 17;
constexpr std::size_t kBareTeamSectionAt = 20;

TEST(ReplyBuilderLayout, DefaultServerHeaderFieldsInOrder) {
    // Length-prefixed texts, flags, counts, cpu 233 low byte first, then the team count 2.
    const std::string header =
        "c**b\x06Tribes\x04"
        "1.11\x05"
        "Alpha\x01\x00\x0C\x20\xE9\x00"s +
        "\x04"
        "base\x03"
        "CTF\x09Raindance\x10"
        "Capture the Flag"s +
        "\x02\x01"
        "0\x02"
        "60"s +  // team count 2, two uninterpreted texts
        "\x0B"
        "Blood Eagle\x04%t:3\x0D"
        "Diamond Sword\x04%t:1"s +
        "\x0C\x00\x00\x05"
        "Cobra\x0E"
        "Score..:27\t0\t0"s;
    Bytes reply = BuildReply(DefaultServer());
    ASSERT_GE(reply.size(), header.size());
    EXPECT_EQ(Bytes(reply.begin(), reply.begin() + static_cast<std::ptrdiff_t>(header.size())),
              ToBytes(header));
}

TEST(ReplyBuilderLayout, PlayerRecordsBackToBackWithPingQuartered) {
    ServerInfo server = BareServer();
    server.players = {{"Al", 100, 3, 1, "12345678"}, {"B", 1020, 0, kNoTeam, ""}, {"C", 5000, 9, 0, "x"}};
    Bytes reply = BuildReply(server);
    Bytes records(reply.begin() + kBareTeamSectionAt + 2, reply.end());
    EXPECT_EQ(records, ToBytes("\x19\x03\x01\x02"
                               "Al\x08"
                               "12345678"  // ping 100 sent as 25
                               "\xFF\x00\xFF\x01"
                               "B\x00"  // ping 1020, no team
                               "\xFF\x09\x00\x01"
                               "C\x01x"s));  // ping beyond a byte
}

TEST(ReplyBuilderLayout, LongTextsAreCutTo255Bytes) {
    ServerInfo server = BareServer();
    server.serverName = std::string(300, 'n');
    Bytes reply = BuildReply(server);
    EXPECT_EQ(reply[6], 255);
    EXPECT_EQ(reply.size(), 22u + 255u);
}

struct TeamCase {
    const char* label;
    std::uint8_t teamCount;
    std::vector<TeamInfo> teams;
    std::string section;  // expected bytes from the team section to the end (one player "P")
};

TEST(ReplyBuilderTeams, OneEntryAndAByteUpToOneTeamNameAndScoreFromTwo) {
    const TeamCase cases[] = {
        {"none listed", 0, {}, "\x00\x07"s},
        {"count 0 sends only the first", 0, {{"Red", "%t:1"}, {"Blue", "%t:2"}}, "\x03Red\x07"s},
        {"count 1", 1, {{"Solo", "%t:5"}}, "\x04Solo\x07"s},
        {"count 2",
         2,
         {{"Red", "%t:1"}, {"Blue", "%t:22"}},
         "\x03Red\x04%t:1\x04"
         "Blue\x05%t:22"s},
        {"count 3, two listed",
         3,
         {{"A", ""}, {"B", "xyz"}},
         "\x01"
         "A\x00\x01"
         "B\x03xyz"s},
    };
    for (const TeamCase& c : cases) {
        ServerInfo server = BareServer();
        server.teamCount = c.teamCount;
        server.teams = c.teams;
        server.singleTeamByte = 7;
        server.players = {{"P", 8, 0, 0, ""}};
        Bytes reply = BuildReply(server);
        ASSERT_GT(reply.size(), kBareTeamSectionAt) << c.label;
        EXPECT_EQ(reply[kBareTeamCountAt], c.teamCount) << c.label;
        Bytes player = ToBytes("\x02\x00\x00\x01P\x00"s);
        Bytes expected = ToBytes(c.section);
        expected.insert(expected.end(), player.begin(), player.end());
        EXPECT_EQ(Bytes(reply.begin() + kBareTeamSectionAt, reply.end()), expected) << c.label;
    }
}

TEST(ReplyBuilderTeams, ShortestReplyIs22Bytes) {
    EXPECT_EQ(BuildReply(BareServer()).size(), 22u);
}

TEST(ReplyBuilderScores, DigitsFromIndex8UpToATabAndTeamScoresAfter3Characters) {
    for (int score : {0, 7, 42, -2, 12345}) {
        std::string text = PlayerScoreText(score);
        std::size_t tab = text.find('\t', kPlayerScoreDigitsAt);
        ASSERT_NE(tab, std::string::npos) << score;
        EXPECT_EQ(text.substr(kPlayerScoreDigitsAt, tab - kPlayerScoreDigitsAt), std::to_string(score));
        // The character before the digits must not read as part of the number.
        EXPECT_EQ(text.find_first_of("0123456789+- \t"), kPlayerScoreDigitsAt) << text;
        EXPECT_EQ(TeamScoreText(score).substr(kTeamScorePrefixLength), std::to_string(score));
    }
}

TEST(ReplyBuilderServers, SynthesisedPlayersAreCappedAtWhatTheCountByteHolds) {
    for (int count : {0, 1, 40, 255, 300}) {
        ServerInfo server = ServerWithPlayers(count);
        std::size_t expected = static_cast<std::size_t>(std::min(count, 255));
        EXPECT_EQ(server.players.size(), expected) << count;
        EXPECT_EQ(server.playerCount, expected) << count;
        EXPECT_GE(server.playerLimit, server.playerCount) << count;
    }
}

// ---- Round trip: what the builder sends is what the plugin's parser reads ----

using Rows = std::vector<std::vector<std::wstring>>;

class ReplyBuilderRoundTrip : public ::testing::Test {
protected:
    void SetUp() override { LayOutResultTables(*data); }

    void Parse(const ServerInfo& server) {
        Bytes reply = BuildReply(server);
        ASSERT_LE(reply.size(), 2000u);  // what one receive of the plugin takes
        ParseReply(reply.data(), static_cast<int>(reply.size()), *data,
                   {serverName, mapName, playerCount, maxPlayers, replyParsed});
    }

    // The table's cells as texts; an unset cell reads "-".
    Rows Cells(const wchar_t* table) const {
        Rows rows;
        for (const TableRow& row : data->Table(table).rows) {
            rows.emplace_back();
            for (const TableCell& cell : row) rows.back().push_back(cell.value_or(L"-"));
        }
        return rows;
    }

    HostRef<HostServerData> data = HostRef<HostServerData>::Adopt(HostServerData::Create());
    std::wstring serverName;
    std::wstring mapName;
    int playerCount = -1;
    int maxPlayers = -1;
    bool replyParsed = false;
};

TEST_F(ReplyBuilderRoundTrip, DefaultServerFillsBothTables) {
    Parse(DefaultServer());
    EXPECT_TRUE(replyParsed);
    EXPECT_EQ(serverName, L"Alpha");
    EXPECT_EQ(mapName, L"Raindance");
    EXPECT_EQ(playerCount, 12);
    EXPECT_EQ(maxPlayers, 32);
    EXPECT_EQ(Cells(L"PropertiesTable"), (Rows{{L"gamename", L"Tribes"},
                                               {L"version", L"1.11"},
                                               {L"dedicated", L"1"},
                                               {L"needpass", L"0"},
                                               {L"cpu", L"233"},
                                               {L"mods", L"base"},
                                               {L"game", L"CTF"},
                                               {L"numteams", L"2"},
                                               {L"Team 1", L"Blood Eagle", L"3"},
                                               {L"Team 2", L"Diamond Sword", L"1"}}));
    EXPECT_EQ(Cells(L"UsersTable"), (Rows{{L"Cobra", L"27", L"Blood Eagle", L"48", L"0"},
                                          {L"Sparrow", L"14", L"Diamond Sword", L"112", L"1"},
                                          {L"Hammer", L"9", L"Blood Eagle", L"64", L"0"},
                                          {L"Wraith", L"31", L"Diamond Sword", L"200", L"4"},
                                          {L"Lancer", L"0", L"Blood Eagle", L"36", L"0"},
                                          {L"Mortar", L"-2", L"Diamond Sword", L"152", L"2"},
                                          {L"Juggernaut", L"18", L"Blood Eagle", L"88", L"0"},
                                          {L"Spinfusor", L"5", L"Diamond Sword", L"72", L"0"},
                                          {L"Skiier", L"11", L"Blood Eagle", L"264", L"7"},
                                          {L"Drifter", L"3", L"Diamond Sword", L"20", L"0"},
                                          {L"Beacon", L"1", L"Blood Eagle", L"1020", L"12"},
                                          {L"Observer", L"0", L"Unknown", L"96", L"0"}}));
}

TEST_F(ReplyBuilderRoundTrip, SingleTeamAndManyPlayers) {
    ServerInfo server = ServerWithPlayers(50);
    server.teamCount = 1;
    server.teams = {{"Lone Wolves", "%t:9"}};
    for (PlayerInfo& player : server.players) player.team = 0;
    server.players[3].pingMs = 2000;  // beyond what one byte carries
    Parse(server);
    ASSERT_TRUE(replyParsed);
    EXPECT_EQ(playerCount, 50);
    Rows properties = Cells(L"PropertiesTable");
    ASSERT_EQ(properties.size(), 9u);
    EXPECT_EQ(properties[7], (std::vector<std::wstring>{L"numteams", L"1"}));
    EXPECT_EQ(properties[8], (std::vector<std::wstring>{L"Team 1", L"Lone Wolves"}));
    Rows users = Cells(L"UsersTable");
    ASSERT_EQ(users.size(), 50u);
    for (std::size_t i = 0; i < users.size(); ++i) {
        const PlayerInfo& player = server.players[i];
        ASSERT_EQ(users[i].size(), 5u) << i;
        EXPECT_EQ(users[i][0], std::wstring(player.name.begin(), player.name.end()));
        EXPECT_EQ(users[i][2], L"Lone Wolves");
        EXPECT_EQ(users[i][3], std::to_wstring(std::min(player.pingMs / 4, 255) * 4)) << i;
        EXPECT_EQ(users[i][4], std::to_wstring(player.loss)) << i;
    }
    EXPECT_EQ(users[3][3], L"1020");
}

// ---- The serving loop over real loopback sockets ----

struct Received {
    Bytes bytes;
    std::uint16_t fromPort;
};

class TribesEmuServing : public ::testing::Test {
protected:
    void Query(std::uint16_t port, const Bytes& bytes = ToBytes("b**")) {
        ASSERT_TRUE(client.SendTo({kLoopback, port}, bytes));
    }

    // The next datagram to arrive within timeout.
    std::optional<Received> ReceiveOne(milliseconds timeout) {
        auto end = Clock::now() + timeout;
        for (auto now = Clock::now(); now < end; now = Clock::now()) {
            if (!WaitForDatagrams({&client}, std::chrono::ceil<milliseconds>(end - now)).at(0)) continue;
            Bytes bytes;
            if (std::optional<Peer> from = client.ReceiveFrom(bytes)) return Received{bytes, from->port};
        }
        return std::nullopt;
    }

    // Everything that arrives until nothing has come for quiet, and within 3 s at most.
    std::vector<Received> Collect(milliseconds quiet = milliseconds(200)) {
        std::vector<Received> all;
        auto end = Clock::now() + milliseconds(3000);
        while (Clock::now() < end) {
            std::optional<Received> next = ReceiveOne(quiet);
            if (!next) break;
            all.push_back(*next);
        }
        return all;
    }

    SocketLayer layer;
    UdpEndpoint client = UdpEndpoint::BindLoopback(0);
    const Bytes alpha = BuildReply(DefaultServer());
};

TEST_F(TribesEmuServing, EachModeSendsItsDatagrams) {
    Bytes cut(alpha.begin(), alpha.begin() + 40);
    Bytes oversized = alpha;
    oversized.resize(2100, 0);
    ServerInfo early = DefaultServer();
    early.teamCount = 255;
    struct ModeCase {
        const char* label;
        Behaviour behaviour;
        std::vector<Bytes> expected;
    } const cases[] = {
        {"normal", {}, {alpha}},
        {"silent", {ReplyMode::Silent}, {}},
        {"double", {ReplyMode::Double}, {alpha, alpha}},
        {"cut", {ReplyMode::Cut, milliseconds(0), 40}, {cut}},
        {"cut past the end", {ReplyMode::Cut, milliseconds(0), 5000}, {alpha}},
        {"oversized", {ReplyMode::Oversized}, {oversized}},
        {"team 255 first", {ReplyMode::Team255First}, {BuildReply(early), alpha}},
    };
    for (const ModeCase& c : cases) {
        TribesEmulator emulator(DefaultServer(), c.behaviour);
        Query(emulator.Port());
        std::vector<Bytes> got;
        for (const Received& r : Collect()) {
            got.push_back(r.bytes);
            EXPECT_EQ(r.fromPort, emulator.Port()) << c.label;
        }
        EXPECT_EQ(got, c.expected) << c.label;
        EXPECT_EQ(emulator.QueryCount(), 1) << c.label;
    }
    // The early datagram differs from the reply only in the team count byte.
    constexpr std::size_t kAlphaTeamCountAt = 64;
    EXPECT_EQ(alpha.at(kAlphaTeamCountAt), 2);
    Bytes early255 = alpha;
    early255[kAlphaTeamCountAt] = 255;
    EXPECT_EQ(BuildReply(early), early255);
}

TEST_F(TribesEmuServing, CountsQueriesPerPortAndIgnoresOtherDatagrams) {
    TribesEmulator emulator(DefaultServer(), {}, {0, 0, 0});
    std::vector<std::uint16_t> ports = emulator.Ports();
    ASSERT_EQ(ports.size(), 3u);
    EXPECT_NE(ports[0], ports[1]);
    for (const char* other : {"b*", "b***", "B**", "c**b"}) Query(ports[1], ToBytes(other));
    Query(ports[0]);
    Query(ports[2]);
    Query(ports[2]);
    ASSERT_TRUE(emulator.WaitForQueries(3, milliseconds(3000)));

    std::vector<Received> got = Collect();
    ASSERT_EQ(got.size(), 3u);  // the other datagrams get no answer
    for (const Received& r : got) EXPECT_NE(r.fromPort, ports[1]);
    EXPECT_EQ(emulator.QueryCount(), 3);
    EXPECT_EQ(emulator.QueryCountAt(0), 1);
    EXPECT_EQ(emulator.QueryCountAt(1), 0);
    EXPECT_EQ(emulator.QueryCountAt(2), 2);
    EXPECT_EQ(emulator.OtherDatagramCount(), 4);
}

TEST_F(TribesEmuServing, KeepsQueryArrivalTimesInOrder) {
    TribesEmulator emulator(DefaultServer(), {ReplyMode::Silent});
    auto first = Clock::now();
    for (int i = 0; i < 3; ++i) {
        Query(emulator.Port());
        ASSERT_TRUE(emulator.WaitForQueries(i + 1, milliseconds(3000)));
        if (i < 2) Collect(milliseconds(150));  // spaces the queries
    }
    std::vector<Clock::time_point> times = emulator.QueryTimesAt(0);
    ASSERT_EQ(times.size(), 3u);
    EXPECT_GE(times[0], first);
    EXPECT_GE(times[1] - times[0], milliseconds(100));
    EXPECT_GE(times[2] - times[1], milliseconds(100));
    EXPECT_LE(times[2], Clock::now());
}

TEST_F(TribesEmuServing, DelayedReplyComesRoughlyAfterTheDelay) {
    Behaviour behaviour{ReplyMode::Delay, milliseconds(400)};
    TribesEmulator emulator(DefaultServer(), behaviour);
    auto sent = Clock::now();
    Query(emulator.Port());
    ASSERT_TRUE(emulator.WaitForQueries(1, milliseconds(3000)));
    EXPECT_TRUE(Collect(milliseconds(150)).empty());  // nothing early
    std::optional<Received> reply = ReceiveOne(milliseconds(3000));
    auto elapsed = Clock::now() - sent;
    ASSERT_TRUE(reply);
    EXPECT_EQ(reply->bytes, alpha);
    EXPECT_GE(elapsed, milliseconds(350));
    EXPECT_LT(elapsed, milliseconds(5000));
}

TEST_F(TribesEmuServing, OtherPortReplyComesFromASecondSocket) {
    TribesEmulator emulator(DefaultServer(), {ReplyMode::OtherPort});
    Query(emulator.Port());
    std::vector<Received> got = Collect();
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].bytes, alpha);
    EXPECT_NE(got[0].fromPort, emulator.Port());
    EXPECT_EQ(got[0].fromPort, emulator.OtherPort());
}

TEST_F(TribesEmuServing, StraysGoToTheLastQuerierFromTheQueriedPort) {
    Behaviour behaviour{ReplyMode::Stray};
    behaviour.strayEvery = milliseconds(50);
    TribesEmulator emulator(DefaultServer(), behaviour, {0, 0});
    Query(emulator.Ports()[1]);
    auto queried = Clock::now();
    for (int i = 0; i < 3; ++i) {
        std::optional<Received> stray = ReceiveOne(milliseconds(2000));
        ASSERT_TRUE(stray) << i;
        EXPECT_EQ(stray->bytes, kStrayDatagram);
        EXPECT_EQ(stray->fromPort, emulator.Ports()[1]);
    }
    EXPECT_GE(Clock::now() - queried, milliseconds(100));  // spaced, not a burst
    EXPECT_EQ(emulator.QueryCount(), 1);
    EXPECT_EQ(emulator.OtherDatagramCount(), 0);
}

TEST_F(TribesEmuServing, KeepsServingAfterStraysToAClientThatWentAway) {
    // Windows reports the closed port to the server socket's next receive (WSAECONNRESET).
    Behaviour behaviour;
    behaviour.strayEvery = milliseconds(20);
    TribesEmulator emulator(DefaultServer(), behaviour);
    {
        UdpEndpoint gone = UdpEndpoint::BindLoopback(0);
        ASSERT_TRUE(gone.SendTo({kLoopback, emulator.Port()}, ToBytes("b**")));
        ASSERT_TRUE(emulator.WaitForQueries(1, milliseconds(3000)));
    }
    Collect(milliseconds(150));  // strays meanwhile go to the closed port
    Query(emulator.Port());
    std::optional<Received> reply = ReceiveOne(milliseconds(2000));
    ASSERT_TRUE(reply);
    EXPECT_EQ(reply->bytes, alpha);
    EXPECT_EQ(emulator.QueryCount(), 2);
}

TEST_F(TribesEmuServing, ChangedServerAndBehaviourApplyToLaterQueries) {
    TribesEmulator emulator(DefaultServer(), {});
    ServerInfo beta = DefaultServer();
    beta.serverName = "Beta";
    emulator.SetServer(beta);
    emulator.SetBehaviour({ReplyMode::Double});
    Query(emulator.Port());
    std::vector<Received> got = Collect();
    ASSERT_EQ(got.size(), 2u);
    EXPECT_EQ(got[0].bytes, BuildReply(beta));

    auto stopping = Clock::now();
    emulator.Stop();
    EXPECT_LT(Clock::now() - stopping, milliseconds(2000));
    Query(emulator.Port());
    EXPECT_TRUE(Collect(milliseconds(200)).empty());
}

}  // namespace
