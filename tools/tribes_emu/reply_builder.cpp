#include "tools/tribes_emu/reply_builder.h"

#include <algorithm>

namespace tribes_emu {
namespace {

// Appends the reply's encodings: single bytes, 16-bit numbers low byte first, text fields.
class ReplyWriter {
public:
    void Byte(std::uint8_t value) { bytes_.push_back(value); }
    void U16LE(std::uint16_t value) {
        Byte(static_cast<std::uint8_t>(value & 0xFF));
        Byte(static_cast<std::uint8_t>(value >> 8));
    }
    // A length byte, then the text; the game's field holds at most 255 bytes.
    void Text(const std::string& text) {
        std::size_t length = std::min<std::size_t>(text.size(), 255);
        Byte(static_cast<std::uint8_t>(length));
        bytes_.insert(bytes_.end(), text.begin(), text.begin() + static_cast<std::ptrdiff_t>(length));
    }
    void Magic() {
        for (char c : {'c', '*', '*', 'b'}) Byte(static_cast<std::uint8_t>(c));
    }
    std::vector<std::uint8_t> Take() { return std::move(bytes_); }

private:
    std::vector<std::uint8_t> bytes_;
};

std::uint8_t PingByte(int pingMs) {
    return static_cast<std::uint8_t>(std::clamp(pingMs / 4, 0, 255));
}

}  // namespace

std::string PlayerScoreText(int score) {
    // The game puts other figures around the score; only the part from index 8 to the TAB counts.
    return "Score..:" + std::to_string(score) + "\t0\t0";
}

std::string TeamScoreText(int score) {
    return "%t:" + std::to_string(score);
}

std::vector<std::uint8_t> BuildReply(const ServerInfo& server) {
    ReplyWriter out;
    out.Magic();
    out.Text(server.gameName);
    out.Text(server.version);
    out.Text(server.serverName);
    out.Byte(server.dedicated);
    out.Byte(server.needpass);
    out.Byte(server.playerCount);
    out.Byte(server.playerLimit);
    out.U16LE(server.cpu);
    out.Text(server.mods);
    out.Text(server.game);
    out.Text(server.map);
    out.Text(server.uninterpreted[0]);
    out.Byte(server.teamCount);
    out.Text(server.uninterpreted[1]);
    out.Text(server.uninterpreted[2]);
    if (server.teamCount <= 1) {
        out.Text(server.teams.empty() ? std::string() : server.teams.front().name);
        out.Byte(server.singleTeamByte);
    } else {
        for (const TeamInfo& team : server.teams) {
            out.Text(team.name);
            out.Text(team.scoreText);
        }
    }
    for (const PlayerInfo& player : server.players) {
        out.Byte(PingByte(player.pingMs));
        out.Byte(player.loss);
        out.Byte(player.team);
        out.Text(player.name);
        out.Text(player.scoreText);
    }
    return out.Take();
}

ServerInfo DefaultServer() {
    ServerInfo server;
    server.serverName = "Alpha";
    server.playerLimit = 32;
    server.cpu = 233;
    server.map = "Raindance";
    server.uninterpreted = {"Capture the Flag", "0", "60"};
    server.teamCount = 2;
    server.teams = {{"Blood Eagle", TeamScoreText(3)}, {"Diamond Sword", TeamScoreText(1)}};
    struct Seat {
        const char* name;
        int pingMs;
        std::uint8_t loss;
        std::uint8_t team;
        int score;
    };
    static const Seat seats[] = {
        {"Cobra", 48, 0, 0, 27},      {"Sparrow", 112, 1, 1, 14}, {"Hammer", 64, 0, 0, 9},
        {"Wraith", 200, 4, 1, 31},    {"Lancer", 36, 0, 0, 0},    {"Mortar", 152, 2, 1, -2},
        {"Juggernaut", 88, 0, 0, 18}, {"Spinfusor", 72, 0, 1, 5}, {"Skiier", 264, 7, 0, 11},
        {"Drifter", 20, 0, 1, 3},     {"Beacon", 1020, 12, 0, 1}, {"Observer", 96, 0, NoTeam, 0},
    };
    for (const Seat& seat : seats) {
        server.players.push_back({seat.name, seat.pingMs, seat.loss, seat.team, PlayerScoreText(seat.score)});
    }
    server.playerCount = static_cast<std::uint8_t>(server.players.size());
    return server;
}

ServerInfo ServerWithPlayers(int count) {
    ServerInfo server = DefaultServer();
    count = std::clamp(count, 0, 255);
    server.players.clear();
    for (int i = 0; i < count; ++i) {
        std::string number = std::to_string(i + 1);
        std::string name = "Player " + std::string(3 - std::min<std::size_t>(number.size(), 3), '0') + number;
        server.players.push_back({name, 20 + (i * 37) % 300, static_cast<std::uint8_t>(i % 5),
                                  static_cast<std::uint8_t>(i % 2), PlayerScoreText((i * 7) % 50)});
    }
    server.playerCount = static_cast<std::uint8_t>(count);
    server.playerLimit = static_cast<std::uint8_t>(std::max(count, 32));
    return server;
}

}  // namespace tribes_emu
