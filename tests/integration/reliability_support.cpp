#include "tests/integration/reliability_support.h"

#include <gtest/gtest.h>
#include <psapi.h>

#include <cstdio>
#include <cstdlib>

#include "query/ping_outcome.h"

namespace integration {

namespace {

// Handle values are multiples of 4 handed out from the lowest free one, so the sockets of a
// process that never held more than this many handles at once all lie below this value.
constexpr std::uintptr_t HighestHandleValue = 4 * 16384;

// The plugin's own format ("12/32 players on Alpha" is pinned by the ping cycle's tests).
std::wstring StatusLine(const tribes_emu::ServerInfo& info) {
    return ::StatusLine(info.playerCount, info.playerLimit, Widen(info.serverName));
}

// What a player's score text holds between its index 8 and the TAB, as the game writes it.
std::wstring ScoreShown(const std::string& scoreText) {
    const std::string digits = scoreText.substr(tribes_emu::kPlayerScoreDigitsAt);
    return Widen(std::to_string(std::atoi(digits.substr(0, digits.find('\t')).c_str())));
}

std::wstring Cell(const TableRow& row, std::size_t column) {
    return column < row.size() ? row[column].value_or(L"<unset>") : L"<none>";
}

}  // namespace

bool LongRun() {
    const char* value = std::getenv("TRIBES_LONG");
    return value && std::string(value) == "1";
}

ProcessFigures MeasureProcess() {
    ProcessFigures figures;
    // Wine answers 0 for both counters that Windows keeps: count the handles one by one, and
    // read the commit charge that Windows reports twice from the field Wine fills.
    if (!GetProcessHandleCount(GetCurrentProcess(), &figures.handles) || figures.handles == 0) {
        figures.handles = OpenHandleCount();
    }
    PROCESS_MEMORY_COUNTERS_EX memory{};
    memory.cb = sizeof memory;
    if (GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory),
                             sizeof memory)) {
        figures.privateBytes = memory.PrivateUsage ? memory.PrivateUsage : memory.PagefileUsage;
    }
    figures.sockets = OpenSocketCount();
    return figures;
}

std::string Describe(const ProcessFigures& figures) {
    return std::to_string(figures.handles) + " handles, " + std::to_string(figures.privateBytes / 1024) +
           " KiB private, " + std::to_string(figures.sockets) + " sockets";
}

DWORD OpenHandleCount() {
    DWORD count = 0;
    for (std::uintptr_t value = 4; value < HighestHandleValue; value += 4) {
        DWORD flags = 0;
        if (GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags)) ++count;
    }
    return count;
}

int OpenSocketCount() {
    int count = 0;
    for (std::uintptr_t value = 4; value < HighestHandleValue; value += 4) {
        int type = 0;
        int length = sizeof type;
        if (getsockopt(static_cast<SOCKET>(value), SOL_SOCKET, SO_TYPE, reinterpret_cast<char*>(&type),
                       &length) == 0) {
            ++count;
        }
    }
    return count;
}

Watchdog::Watchdog() : thread_([this] { Watch(); }) {}

Watchdog::~Watchdog() {
    {
        std::lock_guard<std::mutex> hold(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
    thread_.join();
}

void Watchdog::Arm(std::chrono::milliseconds limit, const std::string& what) {
    {
        std::lock_guard<std::mutex> hold(mutex_);
        armed_ = true;
        deadline_ = std::chrono::steady_clock::now() + limit;
        what_ = what;
    }
    changed_.notify_all();
}

void Watchdog::Disarm() {
    std::lock_guard<std::mutex> hold(mutex_);
    armed_ = false;
}

void Watchdog::Watch() {
    std::unique_lock<std::mutex> hold(mutex_);
    while (!stopping_) {
        if (!armed_) {
            changed_.wait(hold);
            continue;
        }
        const auto deadline = deadline_;
        if (changed_.wait_until(hold, deadline) == std::cv_status::timeout && armed_ &&
            deadline_ == deadline) {
            std::fprintf(stderr, "\nFAILED: %s did not return in time; ending the test program\n",
                         what_.c_str());
            std::fflush(stdout);
            std::fflush(stderr);
            TerminateProcess(GetCurrentProcess(), 3);
        }
    }
}

WorkerThread::WorkerThread() : thread_([this] { Serve(); }) {}

WorkerThread::~WorkerThread() {
    {
        std::lock_guard<std::mutex> hold(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
    thread_.join();
}

void WorkerThread::Start(std::function<void()> work) {
    std::lock_guard<std::mutex> hold(mutex_);
    work_ = std::move(work);
    busy_ = true;
    changed_.notify_all();
}

void WorkerThread::Wait() {
    std::unique_lock<std::mutex> hold(mutex_);
    changed_.wait(hold, [this] { return !busy_; });
}

void WorkerThread::Serve() {
    std::unique_lock<std::mutex> hold(mutex_);
    for (;;) {
        changed_.wait(hold, [this] { return stopping_ || work_; });
        if (stopping_) return;
        std::function<void()> work = std::move(work_);
        work_ = nullptr;
        hold.unlock();
        work();
        hold.lock();
        busy_ = false;
        changed_.notify_all();
    }
}

std::chrono::milliseconds PingLimit(int budgetSeconds) {
    return std::chrono::milliseconds(1000 * std::max(budgetSeconds, 1) + 3000);
}

void ExpectReplyShown(const TestServer& server, const tribes_emu::ServerInfo& info) {
    ExpectReplyShown(server, info, info.players.size());
}

void ExpectReplyShown(const TestServer& server, const tribes_emu::ServerInfo& info, std::size_t playerRows,
                      std::size_t earlyPropertyRows) {
    const HostServerStatus status = server.data->Status();
    EXPECT_EQ(status.statusText, StatusLine(info));
    EXPECT_EQ(status.statusDetail, StatusLine(info));
    EXPECT_EQ(status.serverName, Widen(info.serverName));
    EXPECT_EQ(status.mapName, Widen(info.map));
    EXPECT_EQ(status.playerCount, info.playerCount);
    EXPECT_EQ(status.maxPlayers, info.playerLimit);
    EXPECT_EQ(status.recorded, RecordedOutcome::PlayerCount);

    // The properties of the reply: eight rules, then one row per listed team (one at least).
    const auto properties = server.data->Table(L"PropertiesTable").rows;
    const std::size_t teamRows = info.teamCount >= 2 ? info.teams.size() : 1;
    ASSERT_EQ(properties.size(), earlyPropertyRows + 8 + teamRows);
    const auto rule = [&](std::size_t index) { return properties[earlyPropertyRows + index]; };
    EXPECT_EQ(Cell(rule(0), 1), Widen(info.gameName));
    EXPECT_EQ(Cell(rule(1), 1), Widen(info.version));
    EXPECT_EQ(Cell(rule(4), 1), std::to_wstring(info.cpu));
    EXPECT_EQ(Cell(rule(7), 0), L"numteams");
    EXPECT_EQ(Cell(rule(7), 1), std::to_wstring(info.teamCount));
    std::vector<std::wstring> teamNames;
    for (std::size_t k = 0; k < teamRows; ++k) {
        const std::string name = k < info.teams.size() ? info.teams[k].name : "";
        EXPECT_EQ(Cell(rule(8 + k), 0), L"Team " + std::to_wstring(k + 1));
        EXPECT_EQ(Cell(rule(8 + k), 1), Widen(name));
        teamNames.push_back(Widen(name));
    }

    const auto users = server.data->Table(L"UsersTable").rows;
    ASSERT_EQ(users.size(), playerRows);
    for (std::size_t i = 0; i < playerRows; ++i) {
        const tribes_emu::PlayerInfo& player = info.players[i];
        const std::wstring team = player.team == tribes_emu::kNoTeam ? L"Unknown"
                                  : player.team < teamNames.size()   ? teamNames[player.team]
                                                                     : L"<beyond the teams>";
        EXPECT_EQ(Cell(users[i], 0), Widen(player.name)) << "player row " << i;
        EXPECT_EQ(Cell(users[i], 1), ScoreShown(player.scoreText)) << "player row " << i;
        EXPECT_EQ(Cell(users[i], 2), team) << "player row " << i;
        EXPECT_EQ(Cell(users[i], 3), std::to_wstring(player.pingMs / 4 * 4)) << "player row " << i;
        EXPECT_EQ(Cell(users[i], 4), std::to_wstring(player.loss)) << "player row " << i;
    }
}

namespace {

void ExpectNoAnswerShown(const TestServer& server, const std::wstring& name, bool detailIsName) {
    const HostServerStatus status = server.data->Status();
    EXPECT_EQ(status.serverName, name);
    EXPECT_EQ(status.statusText, name);
    if (detailIsName) {
        EXPECT_EQ(status.statusDetail, name);
    } else {
        EXPECT_FALSE(status.statusDetail.empty());  // the socket layer's description
    }
    EXPECT_EQ(status.mapName, L"");
    EXPECT_EQ(status.playerCount, 0);
    EXPECT_EQ(status.maxPlayers, 0);
    EXPECT_EQ(status.recorded, RecordedOutcome::NoResponse);
    EXPECT_TRUE(server.data->Table(L"UsersTable").rows.empty());
    EXPECT_TRUE(server.data->Table(L"PropertiesTable").rows.empty());
}

}  // namespace

void ExpectTimeoutShown(const TestServer& server) {
    ExpectNoAnswerShown(server, L"Timeout", true);
}

void ExpectFailureShown(const TestServer& server) {
    ExpectNoAnswerShown(server, L"Failed to Communicate", false);
}

void ExpectNothingHeld(const TestServer& server) {
    EXPECT_EQ(server.entry->RefCount(), 2);
    EXPECT_EQ(server.data->RefCount(), 2);
    EXPECT_EQ(server.entry->LockDepth(), 0);
    EXPECT_EQ(server.data->UpdateDepth(), 0);
}

}  // namespace integration
