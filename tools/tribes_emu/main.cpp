// tribes-emu: a fake Tribes server on 127.0.0.1 for the demo, scripts and benchmarks.
#include <CLI/CLI.hpp>
#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <system_error>
#include <thread>

#include "tools/tribes_emu/control_port.h"
#include "tools/tribes_emu/emulator.h"
#include "tools/tribes_emu/master_emulator.h"

namespace {

using namespace tribes_emu;

volatile std::sig_atomic_t stopRequested = 0;
extern "C" void RequestStop(int) {
    stopRequested = 1;
}

// Nothing runs forever: without --duration the server stops after this long anyway.
constexpr double LongestRunSeconds = 3600;

const std::map<std::string, ReplyMode> Modes = {
    {"normal", ReplyMode::Normal},
    {"silent", ReplyMode::Silent},
    {"delay", ReplyMode::Delay},
    {"double", ReplyMode::Double},
    {"stray", ReplyMode::Stray},
    {"oversized", ReplyMode::Oversized},
    {"cut", ReplyMode::Cut},
    {"team255-first", ReplyMode::Team255First},
    {"other-port", ReplyMode::OtherPort},
};

const std::map<std::string, MasterMode> MasterModes = {
    {"normal", MasterMode::Normal},
    {"silent", MasterMode::Silent},
    {"lose-once", MasterMode::LoseOnce},
    {"twice", MasterMode::Twice},
    {"reverse", MasterMode::Reverse},
    {"wrong-key", MasterMode::WrongKey},
    {"wrong-header", MasterMode::WrongHeader},
    {"bad-count", MasterMode::BadCount},
    {"cut", MasterMode::Cut},
    {"extra", MasterMode::Extra},
    {"empty", MasterMode::Empty},
    {"unusable", MasterMode::Unusable},
    {"repeats", MasterMode::Repeats},
    {"false-total", MasterMode::FalseTotal},
    {"largest", MasterMode::Largest},
};

struct Options {
    int port = 28001;
    int portCount = 1;
    std::string name;
    std::string map;
    int players = -1;
    int maxPlayers = -1;
    int teams = -1;
    std::string mode = "normal";
    int delayMs = 1500;
    int cut = 40;
    int strayMs = 0;
    int oversizedBytes = 2100;
    double durationSeconds = 0;
    std::string readyFile;
    std::string statsFile;
    int masterPort = -1;  // -1: no master
    std::string masterList;
    std::string masterMode = "normal";
    int masterPacketBytes = static_cast<int>(DefaultMasterPacketBytes);
    int masterPauseMs = 0;
    std::string masterReadyFile;
    int controlPort = -1;  // -1: no control port
    std::string controlReadyFile;
};

// Team count byte and team entries for count teams; players are spread over them.
void SetTeams(ServerInfo& server, int count) {
    static const char* const names[] = {"Blood Eagle", "Diamond Sword"};
    server.teamCount = static_cast<std::uint8_t>(count);
    server.teams.clear();
    for (int k = 0; k < std::max(count, 1); ++k) {
        std::string name = k < 2 ? names[k] : "Team " + std::to_string(k + 1);
        server.teams.push_back({count == 0 ? std::string() : name, TeamScoreText(count - k)});
    }
    int index = 0;
    for (PlayerInfo& player : server.players) {
        if (player.team != NoTeam) player.team = static_cast<std::uint8_t>(index++ % std::max(count, 1));
    }
}

ServerInfo ServerFrom(const Options& options) {
    ServerInfo server = options.players >= 0 ? ServerWithPlayers(options.players) : DefaultServer();
    if (!options.name.empty()) server.serverName = options.name;
    if (!options.map.empty()) server.map = options.map;
    if (options.maxPlayers >= 0) server.playerLimit = static_cast<std::uint8_t>(options.maxPlayers);
    if (options.teams >= 0) SetTeams(server, options.teams);
    return server;
}

Behaviour BehaviourFrom(const Options& options) {
    Behaviour behaviour;
    behaviour.mode = Modes.at(options.mode);
    behaviour.delay = std::chrono::milliseconds(options.delayMs);
    behaviour.cutLength = static_cast<std::size_t>(options.cut);
    behaviour.strayEvery = std::chrono::milliseconds(options.strayMs);
    behaviour.oversizedLength = static_cast<std::size_t>(options.oversizedBytes);
    return behaviour;
}

std::vector<std::uint16_t> PortsFrom(const Options& options) {
    std::vector<std::uint16_t> ports;
    for (int i = 0; i < options.portCount; ++i) {
        ports.push_back(options.port == 0 ? 0 : static_cast<std::uint16_t>(options.port + i));
    }
    return ports;
}

// "a.b.c.d:port" lines of a list file; blank lines and "#" comments are skipped. Throws
// std::invalid_argument naming the line that is not of that form.
std::vector<Peer> ReadMasterList(const std::string& path) {
    std::ifstream file(path);
    if (!file) throw std::invalid_argument("cannot read " + path);
    std::vector<Peer> servers;
    std::string line;
    for (int number = 1; std::getline(file, line); ++number) {
        line = line.substr(0, line.find('#'));
        line.erase(0, line.find_first_not_of(" \t\r"));
        line.erase(line.find_last_not_of(" \t\r") + 1);
        if (line.empty()) continue;
        unsigned a, b, c, d, port;
        char end;
        if (std::sscanf(line.c_str(), "%u.%u.%u.%u:%u%c", &a, &b, &c, &d, &port, &end) != 5 || a > 255 ||
            b > 255 || c > 255 || d > 255 || port < 1 || port > 65535)
            throw std::invalid_argument(path + ":" + std::to_string(number) + ": expected a.b.c.d:port");
        servers.push_back({a << 24 | b << 16 | c << 8 | d, static_cast<std::uint16_t>(port)});
    }
    return servers;
}

MasterBehaviour MasterBehaviourFrom(const Options& options) {
    MasterBehaviour behaviour;
    behaviour.mode = MasterModes.at(options.masterMode);
    behaviour.packetBytes = static_cast<std::size_t>(options.masterPacketBytes);
    behaviour.pause = std::chrono::milliseconds(options.masterPauseMs);
    return behaviour;
}

// Written under a temporary name and renamed, so a reader never sees half of it.
bool WriteWhole(const std::string& path, const std::string& text) {
    std::string temporary = path + ".tmp";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        if (!(out << text)) return false;
    }
    std::remove(path.c_str());
    return std::rename(temporary.c_str(), path.c_str()) == 0;
}

std::string Summary(const std::vector<std::uint16_t>& ports, const std::string& mode) {
    std::string line = "serving " + std::to_string(ports.size()) + " port(s) on 127.0.0.1:";
    constexpr std::size_t Listed = 8;
    for (std::size_t i = 0; i < std::min(ports.size(), Listed); ++i) line += " " + std::to_string(ports[i]);
    if (ports.size() > Listed) line += " .. " + std::to_string(ports.back());
    return line + " (mode " + mode + ")";
}

std::string Stats(const TribesEmulator& emulator) {
    std::string text = "queries_total " + std::to_string(emulator.QueryCount()) + "\n";
    text += "other_datagrams " + std::to_string(emulator.OtherDatagramCount()) + "\n";
    std::vector<std::uint16_t> ports = emulator.Ports();
    for (std::size_t i = 0; i < ports.size(); ++i) {
        text += "queries_port_" + std::to_string(ports[i]) + " " + std::to_string(emulator.QueryCountAt(i)) +
                "\n";
    }
    return text;
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    CLI::App app{
        "Fake Tribes server: answers the \"b**\" status query on 127.0.0.1; with --master, also a master "
        "server"};
    app.add_option("--port", options.port, "first UDP port; 0 picks free ports")
        ->capture_default_str()
        ->check(CLI::Range(0, 65535));
    app.add_option("--ports", options.portCount, "number of ports to serve (from --port on, or all free)")
        ->capture_default_str()
        ->check(CLI::Range(1, 30000));
    app.add_option("--name", options.name, "server name (default Alpha)");
    app.add_option("--map", options.map, "map name (default Raindance)");
    app.add_option("--players", options.players, "synthesise this many players")->check(CLI::Range(0, 255));
    app.add_option("--max-players", options.maxPlayers, "player limit")->check(CLI::Range(0, 255));
    app.add_option("--teams", options.teams, "team count (0 to 255; 255 ends a client's parse)")
        ->check(CLI::Range(0, 255));
    std::vector<std::string> modeNames;
    for (const auto& entry : Modes) modeNames.push_back(entry.first);
    app.add_option("--mode", options.mode, "how to answer")
        ->capture_default_str()
        ->check(CLI::IsMember(modeNames));
    app.add_option("--delay-ms", options.delayMs, "delay mode: wait before each reply")
        ->capture_default_str()
        ->check(CLI::Range(0, 600000));
    app.add_option("--cut", options.cut, "cut mode: bytes of the reply sent")
        ->capture_default_str()
        ->check(CLI::Range(0, 65535));
    app.add_option("--stray-ms", options.strayMs,
                   "send a stray datagram this often to the last querier (any mode)")
        ->check(CLI::Range(0, 600000));
    app.add_option("--oversized-bytes", options.oversizedBytes, "oversized mode: length of the reply")
        ->capture_default_str()
        ->check(CLI::Range(0, 65507));
    app.add_option("--duration", options.durationSeconds,
                   "stop after this many seconds (default: on SIGINT/SIGTERM)")
        ->check(CLI::Range(0.0, LongestRunSeconds));
    app.add_option("--ready-file", options.readyFile,
                   "write the served ports here, one a line, once listening");
    app.add_option("--stats-file", options.statsFile, "write query counts here on exit");
    app.add_option("--master", options.masterPort,
                   "also be a master server on this UDP port (0: a free one), listing the served ports")
        ->check(CLI::Range(0, 65535));
    app.add_option("--master-list", options.masterList, "list these servers instead: a.b.c.d:port lines");
    std::vector<std::string> masterModeNames;
    for (const auto& entry : MasterModes) masterModeNames.push_back(entry.first);
    app.add_option("--master-mode", options.masterMode, "how the master answers")
        ->capture_default_str()
        ->check(CLI::IsMember(masterModeNames));
    app.add_option("--master-packet-bytes", options.masterPacketBytes, "the longest packet of the list")
        ->capture_default_str()
        ->check(CLI::Range(17, 65507));
    app.add_option("--master-pause-ms", options.masterPauseMs,
                   "pause between two packets of one answer (real masters: about 90)")
        ->capture_default_str()
        ->check(CLI::Range(0, 60000));
    app.add_option("--master-ready-file", options.masterReadyFile,
                   "write the master's port here once listening");
    app.add_option("--control", options.controlPort,
                   "take commands that change the players on this UDP port of 127.0.0.1 (0: a free one): "
                   "join NAME, leave [NAME], limit N, status")
        ->check(CLI::Range(0, 65535));
    app.add_option("--control-ready-file", options.controlReadyFile,
                   "write the control port here once listening");
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& error) {
        return app.exit(error);
    }
    if (options.port != 0 && options.port + options.portCount - 1 > 65535) {
        std::cerr << "tribes-emu: --port + --ports runs past port 65535\n";
        return 2;
    }

    std::signal(SIGINT, RequestStop);
    std::signal(SIGTERM, RequestStop);
    try {
        TribesEmulator emulator(ServerFrom(options), BehaviourFrom(options), PortsFrom(options));
        std::vector<std::uint16_t> ports = emulator.Ports();
        std::cout << Summary(ports, options.mode) << std::endl;
        std::optional<FakeMaster> master;
        if (options.masterPort >= 0) {
            std::vector<Peer> listed;
            if (!options.masterList.empty()) {
                listed = ReadMasterList(options.masterList);
            } else {
                for (std::uint16_t port : ports) listed.push_back({Loopback, port});
            }
            const MasterBehaviour behaviour = MasterBehaviourFrom(options);
            const std::size_t entries = ListedInMode(listed, behaviour).size();
            master.emplace(listed, behaviour, static_cast<std::uint16_t>(options.masterPort));
            std::cout << "master on 127.0.0.1:" << master->Port() << " listing " << entries
                      << (entries == 1 ? " entry" : " entries") << " (mode " << options.masterMode << ")"
                      << std::endl;
            if (!options.masterReadyFile.empty() &&
                !WriteWhole(options.masterReadyFile, std::to_string(master->Port()) + "\n")) {
                std::cerr << "tribes-emu: cannot write " << options.masterReadyFile << "\n";
                return 1;
            }
        }
        std::optional<ControlPort> control;
        if (options.controlPort >= 0) {
            control.emplace(emulator, static_cast<std::uint16_t>(options.controlPort));
            std::cout << "control on 127.0.0.1:" << control->Port()
                      << " (join NAME, leave [NAME], limit N, status)" << std::endl;
            if (!options.controlReadyFile.empty() &&
                !WriteWhole(options.controlReadyFile, std::to_string(control->Port()) + "\n")) {
                std::cerr << "tribes-emu: cannot write " << options.controlReadyFile << "\n";
                return 1;
            }
        }
        if (!options.readyFile.empty()) {
            std::string lines;
            for (std::uint16_t port : ports) lines += std::to_string(port) + "\n";
            if (!WriteWhole(options.readyFile, lines)) {
                std::cerr << "tribes-emu: cannot write " << options.readyFile << "\n";
                return 1;
            }
        }

        double seconds = options.durationSeconds > 0 ? options.durationSeconds : LongestRunSeconds;
        auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
        while (!stopRequested && std::chrono::steady_clock::now() < end) {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        if (master) {
            master->Stop();
            std::cout << "master stopped after " << master->Requests() << " list request(s)" << std::endl;
        }
        if (control) control->Stop();
        emulator.Stop();
        std::cout << "stopped after " << emulator.QueryCount() << " quer"
                  << (emulator.QueryCount() == 1 ? "y" : "ies") << std::endl;
        if (!options.statsFile.empty() && !WriteWhole(options.statsFile, Stats(emulator))) {
            std::cerr << "tribes-emu: cannot write " << options.statsFile << "\n";
            return 1;
        }
    } catch (const std::system_error& error) {
        std::cerr << "tribes-emu: " << error.what() << "\n";
        return 1;
    } catch (const std::invalid_argument& error) {
        std::cerr << "tribes-emu: " << error.what() << "\n";
        return 2;
    }
    return 0;
}
