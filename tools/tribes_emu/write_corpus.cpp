// Writes the reply parser's seed corpus from the fake server's own reply builder: the replies a
// server sends, the shapes that stretch each field, and replies that end part-way through. With
// --master, the master reply fuzzer's: whole answers of the fake master.
//   write_corpus <directory>
//   write_corpus --master <directory>
#include <algorithm>
#include <cstdio>
#include <fstream>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "tools/tribes_emu/master_emulator.h"
#include "tools/tribes_emu/reply_builder.h"

namespace {

using namespace tribes_emu;
using Bytes = std::vector<std::uint8_t>;

// The default server changed by edit.
ServerInfo Default(const std::function<void(ServerInfo&)>& edit) {
    ServerInfo server = DefaultServer();
    edit(server);
    return server;
}

ServerInfo WithTeams(int count, int listed) {
    return Default([&](ServerInfo& s) {
        s.teamCount = static_cast<std::uint8_t>(count);
        s.teams.clear();
        for (int k = 0; k < listed; ++k)
            s.teams.push_back({"Team " + std::to_string(k + 1), TeamScoreText(k)});
        s.singleTeamByte = 0x5A;
    });
}

ServerInfo WithFirstPlayerScore(const std::string& scoreText) {
    return Default([&](ServerInfo& s) { s.players.front().scoreText = scoreText; });
}

// The reply for server, cut to its first length bytes; length counts from the end when negative.
Bytes Cut(const ServerInfo& server, long length) {
    Bytes bytes = BuildReply(server);
    std::size_t keep =
        length >= 0 ? static_cast<std::size_t>(length) : bytes.size() - static_cast<std::size_t>(-length);
    bytes.resize(std::min(keep, bytes.size()));
    return bytes;
}

std::vector<std::pair<std::string, Bytes>> Seeds() {
    const std::string highBit = "\xC4gir \xE9t\xE9 \xFF\x80";
    return {
        {"default_12_players", BuildReply(DefaultServer())},
        {"no_players", BuildReply(ServerWithPlayers(0))},
        {"one_player", BuildReply(ServerWithPlayers(1))},
        {"players_16", BuildReply(ServerWithPlayers(16))},
        {"players_60", BuildReply(ServerWithPlayers(60))},
        {"team_count_0", BuildReply(WithTeams(0, 0))},
        {"team_count_1", BuildReply(WithTeams(1, 1))},
        {"team_count_3", BuildReply(WithTeams(3, 3))},
        {"team_count_4_two_listed", BuildReply(WithTeams(4, 2))},
        {"team_count_2_three_listed", BuildReply(WithTeams(2, 3))},
        {"team_count_255_with_players", BuildReply(WithTeams(255, 2))},
        {"player_without_team", BuildReply(Default([](ServerInfo& s) { s.players[0].team = NoTeam; }))},
        {"player_team_past_last", BuildReply(Default([](ServerInfo& s) { s.players[0].team = 7; }))},
        {"score_without_tab", BuildReply(WithFirstPlayerScore("Score..:12 0 0"))},
        {"score_eight_characters", BuildReply(WithFirstPlayerScore("Score..:"))},
        {"score_tab_at_8", BuildReply(WithFirstPlayerScore("Score..:\t1"))},
        {"score_blank_and_zeros", BuildReply(WithFirstPlayerScore("Score..: 007\t"))},
        {"score_negative", BuildReply(WithFirstPlayerScore("Score..:-2147483648\t"))},
        {"score_30_digits", BuildReply(WithFirstPlayerScore("Score..:" + std::string(30, '9') + "\t"))},
        {"score_zero_byte_before_tab", BuildReply(WithFirstPlayerScore(std::string("Score..:4\0"
                                                                                   "2\t",
                                                                                   12)))},
        {"team_scores_short_and_long", BuildReply(Default([](ServerInfo& s) {
             s.teams[0].scoreText = "%t";
             s.teams[1].scoreText = "%t:" + std::string(40, '7');
         }))},
        {"zero_byte_in_names", BuildReply(Default([](ServerInfo& s) {
             s.serverName = std::string("Al\0pha", 6);
             s.players[1].name = std::string("Spa\0rrow", 8);
         }))},
        {"high_bit_texts", BuildReply(Default([&](ServerInfo& s) {
             s.serverName = highBit;
             s.map = highBit;
             s.players[0].name = highBit;
         }))},
        {"texts_255_bytes", BuildReply(Default([](ServerInfo& s) {
             s.serverName = std::string(255, 'N');
             s.map = std::string(255, 'M');
             s.players.resize(2);
         }))},
        {"byte_extremes", BuildReply(Default([](ServerInfo& s) {
             s.dedicated = 2;
             s.needpass = 255;
             s.playerCount = 255;
             s.playerLimit = 255;
             s.cpu = 65535;
             s.players[0].pingMs = 1020;
             s.players[0].loss = 255;
         }))},
        {"empty_texts", BuildReply(Default([](ServerInfo& s) {
             s.gameName = s.version = s.serverName = s.mods = s.game = s.map = "";
             s.uninterpreted = {"", "", ""};
             for (PlayerInfo& p : s.players) p.name = "";
         }))},
        // The shortest reply there is: empty texts, zero bytes, no team listed, no player.
        {"minimal_22_bytes", BuildReply(ServerInfo{"", "", "", 0, 0, 0, 0, 0, "", "", "", {}, 0, {}, 0, {}})},
        // A realistic server of 12, some without a team; one that stops at its team count.
        {"realistic_12_players", BuildReply(ServerWithPlayers(12))},
        {"team_count_255", BuildReply(WithTeams(255, 1))},
        {"three_teams", BuildReply(Default([](ServerInfo& s) {
             s.teamCount = 3;
             s.teams = {{"Blood Eagle", "\t\t\t3"}, {"Starwolf", "ab"}, {"Phoenix", "\t\t\t-1"}};
             s.players.resize(2);
             s.players[1].team = 7;
         }))},
        {"cut_in_header", Cut(DefaultServer(), 40)},
        {"cut_in_teams",
         Cut(DefaultServer(), static_cast<long>(BuildReply(ServerWithPlayers(0)).size()) - 10)},
        {"cut_in_last_name", Cut(DefaultServer(), -14)},
        {"cut_in_last_score", Cut(DefaultServer(), -5)},
    };
}

// One input of the master reply fuzzer: the key, then each datagram as a length (two bytes, low
// first) and its bytes.
Bytes MasterSeed(int servers, std::size_t packetBytes, bool reversed, MasterMode mode = MasterMode::Normal) {
    constexpr std::uint16_t Key = 0x1234;
    std::vector<Peer> local;
    for (int i = 0; i < servers; ++i) local.push_back({Loopback, static_cast<std::uint16_t>(28001 + i)});
    MasterBehaviour behaviour;
    behaviour.mode = mode;
    const std::vector<Peer> listed = ListedInMode(local, behaviour);
    std::vector<Packet> packets = BuildMasterPackets(listed, "Master", "Welcome", Key, packetBytes);
    if (reversed) std::reverse(packets.begin(), packets.end());
    Bytes input = {Key >> 8, Key & 0xFF};
    for (const Packet& packet : packets) {
        input.push_back(static_cast<std::uint8_t>(packet.size() & 0xFF));
        input.push_back(static_cast<std::uint8_t>(packet.size() >> 8));
        input.insert(input.end(), packet.begin(), packet.end());
    }
    return input;
}

std::vector<std::pair<std::string, Bytes>> MasterSeeds() {
    return {
        {"master_empty", MasterSeed(0, DefaultMasterPacketBytes, false)},
        {"master_one_packet", MasterSeed(20, DefaultMasterPacketBytes, false)},
        {"master_three_packets", MasterSeed(150, DefaultMasterPacketBytes, false)},
        {"master_small_packets_reversed", MasterSeed(12, 40, true)},
        {"master_unusable_entries", MasterSeed(20, DefaultMasterPacketBytes, false, MasterMode::Unusable)},
        {"master_repeats", MasterSeed(3, DefaultMasterPacketBytes, false, MasterMode::Repeats)},
    };
}

}  // namespace

int main(int argc, char** argv) {
    const bool master = argc == 3 && std::string(argv[1]) == "--master";
    if (argc != 2 && !master) {
        std::fprintf(stderr, "usage: write_corpus [--master] <directory>\n");
        return 2;
    }
    for (const auto& [name, bytes] : master ? MasterSeeds() : Seeds()) {
        const std::string path = std::string(argv[argc - 1]) + "/" + name + ".bin";
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        if (!out) {
            std::fprintf(stderr, "write_corpus: cannot write %s\n", path.c_str());
            return 1;
        }
    }
    return 0;
}
