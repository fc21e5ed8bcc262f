// What a Tribes server says about itself, and the "c**b" status reply that carries it.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace tribes_emu {

struct TeamInfo {
    std::string name;
    std::string scoreText;  // as the game sends it: a 3-character prefix, then the score
};

struct PlayerInfo {
    std::string name;
    int pingMs = 0;         // sent divided by 4 in one byte
    std::uint8_t loss = 0;  // packet loss
    std::uint8_t team = 0;  // index into the team entries; NoTeam for none
    std::string scoreText;  // as the game sends it: see PlayerScoreText
};

constexpr std::uint8_t NoTeam = 255;

// One server's status. Texts are 8-bit; a text longer than 255 bytes is cut to 255 when sent.
struct ServerInfo {
    std::string gameName = "Tribes";
    std::string version = "1.11";
    std::string serverName;
    std::uint8_t dedicated = 1;
    std::uint8_t needpass = 0;
    std::uint8_t playerCount = 0;
    std::uint8_t playerLimit = 0;
    std::uint16_t cpu = 0;
    std::string mods = "base";
    std::string game = "CTF";
    std::string map;
    // Text fields a client does not interpret: [0] follows the map, [1] and [2] the team count.
    std::array<std::string, 3> uninterpreted;
    // Sent as is, so a test can announce more or fewer teams than it lists (or 255).
    std::uint8_t teamCount = 0;
    // With a team count of 0 or 1 only teams[0]'s name is sent (empty when there is no team),
    // followed by singleTeamByte; with 2 or more every listed team is sent, name then score.
    std::vector<TeamInfo> teams;
    std::uint8_t singleTeamByte = 0;
    std::vector<PlayerInfo> players;
};

// The score text of a player as the game sends it: 8 characters, the score, a TAB, more.
std::string PlayerScoreText(int score);
// The score text of a team as the game sends it: 3 characters, then the score.
std::string TeamScoreText(int score);

// Where a player's score digits begin in its score text, and the prefix of a team score.
constexpr std::size_t PlayerScoreDigitsAt = 8;
constexpr std::size_t TeamScorePrefixLength = 3;

// The status reply for server: "c**b", the header fields, the team section, then the player
// records back to back.
std::vector<std::uint8_t> BuildReply(const ServerInfo& server);

// "Alpha" on Raindance: 12 of 32 players in two teams (one player without a team).
ServerInfo DefaultServer();
// The default server with count synthesised players (at most 255; the count byte holds no
// more) spread over its two teams, for benchmarks and large replies.
ServerInfo ServerWithPlayers(int count);

}  // namespace tribes_emu
