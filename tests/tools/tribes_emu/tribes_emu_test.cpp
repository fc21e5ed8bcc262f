// The fake server the other tests lean on: the bytes its reply builder lays out, and each
// misbehaviour really happening as named, so no test passes against a server that behaves.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tools/tribes_emu/control_commands.h"
#include "tools/tribes_emu/emulator.h"
#include "tools/tribes_emu/reply_builder.h"

using namespace tribes_emu;
using namespace std::string_literals;
using std::chrono::milliseconds;
using Bytes = std::vector<std::uint8_t>;

namespace {

Bytes ToBytes(const std::string& text) {
    return Bytes(text.begin(), text.end());
}

TEST(ReplyBuilder, LaysOutHeaderTeamsAndPlayerRecords) {
    // Length-prefixed texts, flags, counts, cpu 233 low byte first, the team count 2 and two
    // uninterpreted texts, the teams with their scores, then the players back to back.
    const std::string start =
        "c**b\x06Tribes\x04"
        "1.11\x05"
        "Alpha\x01\x00\x0C\x20\xE9\x00"s +
        "\x04"
        "base\x03"
        "CTF\x09Raindance\x10"
        "Capture the Flag\x02\x01"
        "0\x02"
        "60\x0B"
        "Blood Eagle\x04%t:3\x0D"
        "Diamond Sword\x04%t:1"s +
        "\x0C\x00\x00\x05"
        "Cobra\x0E"
        "Score..:27\t0\t0"s;
    const Bytes reply = BuildReply(DefaultServer());
    ASSERT_GE(reply.size(), start.size());
    EXPECT_EQ(Bytes(reply.begin(), reply.begin() + static_cast<std::ptrdiff_t>(start.size())),
              ToBytes(start));

    // A server whose texts are empty: its team section starts at byte 20. A team count below 2
    // sends one name and a byte; the ping goes quartered in one byte, capped at 255.
    ServerInfo bare;
    bare.gameName = bare.version = bare.mods = bare.game = "";
    bare.dedicated = 0;
    bare.teams = {{"Red", "%t:1"}, {"Blue", "%t:2"}};
    bare.singleTeamByte = 7;
    bare.players = {{"Al", 100, 3, 1, "12345678"}, {"B", 1020, 0, NoTeam, ""}, {"C", 5000, 9, 0, "x"}};
    const Bytes bareReply = BuildReply(bare);
    ASSERT_GT(bareReply.size(), 20u);
    EXPECT_EQ(Bytes(bareReply.begin() + 20, bareReply.end()), ToBytes("\x03Red\x07"
                                                                      "\x19\x03\x01\x02"
                                                                      "Al\x08"
                                                                      "12345678"
                                                                      "\xFF\x00\xFF\x01"
                                                                      "B\x00"
                                                                      "\xFF\x09\x00\x01"
                                                                      "C\x01x"s));
    EXPECT_EQ(PlayerScoreText(-2).substr(PlayerScoreDigitsAt), "-2\t0\t0");
}

// Each mode, queried once: the datagrams that come back within a quarter second, and the port
// each came from.
TEST(TribesEmulator, EachModeMisbehavesAsNamed) {
    const Bytes alpha = BuildReply(DefaultServer());
    Bytes oversized = alpha;
    oversized.resize(2100, 0);
    ServerInfo early = DefaultServer();
    early.teamCount = 255;
    Behaviour strays{ReplyMode::Stray};
    strays.strayEvery = milliseconds(40);
    const Bytes cut(alpha.begin(), alpha.begin() + 40);
    const std::vector<Bytes> anyStrays{{}};  // any number of strays, and nothing else
    const struct Case {
        const char* label;
        Behaviour behaviour;
        std::vector<Bytes> expected;
        bool fromOtherPort = false;
        milliseconds notBefore = milliseconds(0);
    } cases[] = {
        {"normal", {}, {alpha}},
        {"silent", {ReplyMode::Silent}, {}},
        {"delay", {ReplyMode::Delay, milliseconds(120)}, {alpha}, false, milliseconds(100)},
        {"double", {ReplyMode::Double}, {alpha, alpha}},
        {"strays", strays, anyStrays},
        {"oversized", {ReplyMode::Oversized}, {oversized}},
        {"cut", {ReplyMode::Cut, milliseconds(0), 40}, {cut}},
        {"team 255 first", {ReplyMode::Team255First}, {BuildReply(early), alpha}},
        {"other port", {ReplyMode::OtherPort}, {alpha}, true},
    };
    SocketLayer layer;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        const UdpEndpoint client = UdpEndpoint::BindLoopback(0);  // no datagram of an earlier case
        TribesEmulator emulator(DefaultServer(), c.behaviour);
        const auto sent = Clock::now();
        ASSERT_TRUE(client.SendTo({Loopback, emulator.Port()}, ToBytes("b**")));
        std::vector<Bytes> got;
        int strayCount = 0;
        // Strays come on the server's own clock: a loaded machine may need longer for three.
        const bool strays = c.expected == anyStrays;
        const auto end = sent + milliseconds(strays ? 3000 : 250);
        while (Clock::now() < end && !(strays && strayCount >= 3)) {
            if (!WaitForDatagrams({&client}, milliseconds(20)).at(0)) continue;
            Bytes bytes;
            const std::optional<Peer> peer = client.ReceiveFrom(bytes);
            if (!peer) continue;
            EXPECT_EQ(peer->port, c.fromOtherPort ? emulator.OtherPort() : emulator.Port());
            if (bytes == StrayDatagram) {
                ++strayCount;
                continue;
            }
            EXPECT_GE(Clock::now() - sent, c.notBefore);
            got.push_back(bytes);
        }
        if (c.expected == anyStrays) {
            EXPECT_GE(strayCount, 3);
            EXPECT_TRUE(got.empty());
        } else {
            EXPECT_EQ(strayCount, 0);
            EXPECT_EQ(got, c.expected);
        }
        EXPECT_EQ(emulator.QueryCount(), 1);
    }
}

// The control commands, one after another on a 3-seat server with two teams: the answer and
// who plays after each.
TEST(ControlCommands, ChangeThePlayersAsNamed) {
    ServerInfo server = ServerWithPlayers(2);  // Player 001 (team 0), Player 002 (team 1)
    server.playerLimit = 3;
    const struct Step {
        const char* command;
        const char* answer;
        std::vector<std::string> players;
    } steps[] = {
        {"status", "ok 2/3", {"Player 001", "Player 002"}},
        {"  join  Cobra Two \n", "ok 3/3", {"Player 001", "Player 002", "Cobra Two"}},
        {"join Jet", "error the server is full (3/3)", {"Player 001", "Player 002", "Cobra Two"}},
        {"leave player 001", "ok 2/3", {"Player 002", "Cobra Two"}},
        {"leave", "ok 1/3", {"Player 002"}},
        {"leave Nobody", "error nobody named Nobody plays", {"Player 002"}},
        {"limit 256", "error limit takes a number from 0 to 255", {"Player 002"}},
        {"limit 1", "ok 1/1", {"Player 002"}},
        {"join", "error join needs a player name", {"Player 002"}},
        {"dance",
         "error unknown command 'dance'; known: join NAME, leave [NAME], limit N, status",
         {"Player 002"}},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.command);
        EXPECT_EQ(ApplyControl(server, step.command), step.answer);
        std::vector<std::string> names;
        for (const PlayerInfo& player : server.players) names.push_back(player.name);
        EXPECT_EQ(names, step.players);
        EXPECT_EQ(server.playerCount, server.players.size());
    }
    // A joining player takes the team with fewer players.
    ServerInfo teams = ServerWithPlayers(3);
    ApplyControl(teams, "join Cobra");
    EXPECT_EQ(teams.players.back().team, 1);
}

}  // namespace
