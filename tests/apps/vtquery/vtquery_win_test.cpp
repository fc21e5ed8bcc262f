// vtquery.exe end to end: run as a child process, as a user runs it, against fake Tribes
// servers served from this test process.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <memory>
#include <nlohmann/json.hpp>

#include "common/contract/windows_headers.h"
#include "common/owners/scope_exit.h"
#include "common/owners/unique_resource.h"
#include "host/text/utf8_text.h"
#include "tests/support/test_support.h"
#include "tools/tribes_emu/emulator.h"
#include "tools/tribes_emu/master_emulator.h"

using nlohmann::json;
using ::testing::AllOf;
using ::testing::HasSubstr;
using ::testing::StartsWith;
using tribes_emu::Behaviour;
using tribes_emu::DefaultServer;
using tribes_emu::ReplyMode;
using tribes_emu::TribesEmulator;

namespace {

using test_support::Local;
using test_support::ProgramFolder;
using test_support::TempFile;

// vtquery.exe with arguments, its output to outputTo when given; a run that outlives a minute is
// ended and reported as exit code 999.
test_support::ProgramRun RunVtquery(const std::vector<std::string>& arguments, HANDLE outputTo = nullptr) {
    std::vector<std::wstring> wide;
    for (const std::string& argument : arguments) wide.push_back(WideFromUtf8(argument));
    return test_support::RunProgram(L"vtquery.exe", wide, 60000, {}, outputTo);
}

// The screen of a console of this test's own, as a Command Prompt's, after vtquery.exe ran with
// its output on it: every cell up to the cursor's row, rows run together.
std::wstring ConsoleScreenAfter(const std::vector<std::string>& arguments) {
    FreeConsole();
    if (!AllocConsole()) return L"no console: error " + std::to_wstring(GetLastError());
    const auto release = owners::scope_exit([] { FreeConsole(); });
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    const owners::unique_file screen(CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE,
                                                 FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, OPEN_EXISTING,
                                                 0, nullptr));
    RunVtquery(arguments, screen.get());
    CONSOLE_SCREEN_BUFFER_INFO shown{};
    GetConsoleScreenBufferInfo(screen.get(), &shown);
    std::wstring cells(shown.dwSize.X * (shown.dwCursorPosition.Y + 1), L' ');
    DWORD read = 0;
    ReadConsoleOutputCharacterW(screen.get(), cells.data(), static_cast<DWORD>(cells.size()), COORD{0, 0},
                                &read);
    cells.resize(read);
    return cells;
}

// One answering and one silent server for the whole suite; the answering one's name, beyond
// ASCII, is Windows-1252 on the wire, as the game sends it.
class VtqueryRun : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        tribes_emu::ServerInfo named = DefaultServer();
        named.serverName = "\xBBTCB\xAB Base";
        answering = std::make_unique<TribesEmulator>(named, Behaviour{});
        silent = std::make_unique<TribesEmulator>(DefaultServer(), Behaviour{ReplyMode::Silent});
    }
    static void TearDownTestSuite() {
        answering.reset();
        silent.reset();
    }

    static inline std::unique_ptr<TribesEmulator> answering, silent;
};

// The fields' mapping and the text layout are the report's own tests'; here: the list file, the
// batches, the outcomes and the exit code reach the run.
TEST_F(VtqueryRun, MixedListReportsEachOutcomeInJson) {
    const std::wstring list = TempFile(L"vql");
    std::ofstream(list.c_str()) << "# servers\n"
                                << Local(silent->Port()) << "   # silent\n\nno-such-host.invalid:28001\n";
    // At most two sessions alive: the three servers go in two batches, the report across both.
    const test_support::ProgramRun run =
        RunVtquery({"--json", "--timeout", "1", "--sessions", "2", Local(answering->Port()), "--servers",
                    Utf8FromWide(list)});
    DeleteFileW(list.c_str());

    EXPECT_EQ(run.exitCode, 1u) << run.err;
    const json document = json::parse(run.out);
    const json& servers = document.at("servers");
    ASSERT_EQ(servers.size(), 3u) << run.out;
    EXPECT_EQ(servers.at(0).at("port"), answering->Port());
    EXPECT_EQ(servers.at(0).at("players").size(), 12u);
    EXPECT_EQ(servers.at(1).at("outcome"), "timeout");
    EXPECT_GE(servers.at(1).at("elapsedMs").get<int>(), 800);
    EXPECT_EQ(servers.at(2).at("outcome"), "failure");
    EXPECT_EQ(document.at("total").at("batches"), 2);
    EXPECT_EQ(document.at("total").at("mostWindows"), 2);
    EXPECT_THAT(run.err, HasSubstr("total: 3 servers, 1 success, 1 timeout, 1 failure in "));
}

// Its name reads right on a console's screen, whose code page (437) has no "»", and is UTF-8 in
// a file, whose lines end in LF.
TEST_F(VtqueryRun, CountAndVerboseReachTheRunNamesReadRightInAConsoleAndAreUtf8InAFile) {
    const int queriesBefore = answering->QueryCount();
    const test_support::ProgramRun run = RunVtquery({"-v", "--count", "3", Local(answering->Port())});
    EXPECT_EQ(run.exitCode, 0u) << run.err;
    EXPECT_EQ(answering->QueryCount() - queriesBefore, 3) << "one query per ping";
    EXPECT_THAT(run.out, AllOf(StartsWith(Local(answering->Port()) + "  success  \xC2\xBBTCB\xC2\xAB Base  "),
                               HasSubstr("\n    Cobra ")));
    EXPECT_EQ(run.out.find('\r'), std::string::npos);
    EXPECT_THAT(ConsoleScreenAfter({Local(answering->Port())}),
                HasSubstr(L"success  \u00BBTCB\u00AB Base  "));
}

TEST_F(VtqueryRun, WhatCannotBeUsedIsSaidWithItsExitCode) {
    // An address no server can have is refused before anything is sent; --list makes sure that
    // even a vtquery that took it would only print it, never ping it.
    const std::wstring list = TempFile(L"vqu");
    std::ofstream(list.c_str()) << "127.0.0.1:28001\n239.255.255.250:1900\n";
    const struct {
        std::vector<std::string> arguments;
        std::string complaint;
        DWORD exitCode;
    } cases[] = {
        {{"--servers", "no-such-list.txt"}, "cannot read the server list", 2},
        {{"--list", "--servers", Utf8FromWide(list)},
         ":2: '239.255.255.250:1900': no server can have this address",
         2},
        {{"--launch", "127.0.0.1:1", "--exe", "no-such-game.exe"}, "does not exist", 2},
        {{"--plugin", "no-such.vtplugin", Local(answering->Port())}, "cannot load the plugin", 1},
    };
    for (const auto& c : cases) {
        const test_support::ProgramRun run = RunVtquery(c.arguments);
        EXPECT_EQ(run.exitCode, c.exitCode) << c.complaint;
        EXPECT_THAT(run.err, HasSubstr(c.complaint));
        EXPECT_EQ(run.out, "");
    }
    DeleteFileW(list.c_str());
}

// The master client's cases are its own tests'; here: a master's servers join the list once,
// entries no server can have never reach it, and a master that fails is said and counted apart
// from the servers; the list is only printed, never refreshed.
TEST_F(VtqueryRun, ServersFromMastersJoinTheListAndFailuresAddToTheExitCode) {
    const tribes_emu::Peer answeringPeer{tribes_emu::Loopback, answering->Port()};
    tribes_emu::MasterBehaviour unusable;
    unusable.mode = tribes_emu::MasterMode::Unusable;
    const tribes_emu::FakeMaster master(
        {answeringPeer, {tribes_emu::Loopback, silent->Port()}, answeringPeer}, unusable);
    const std::string masterText = Local(master.Port());
    const std::string unresolved = "no-such-master.invalid";

    const test_support::ProgramRun list =
        RunVtquery({"--master", masterText, "--master", unresolved, "--list"});
    EXPECT_EQ(list.exitCode, 4u) << list.err;
    EXPECT_EQ(list.out, Local(answering->Port()) + "\n" + Local(silent->Port()) + "\n");
    // Each master's line is the outcome's summary (the master client's tests word it).
    EXPECT_THAT(list.err, HasSubstr("master " + masterText + ": complete: 2 servers from 8 entries"));
    EXPECT_THAT(list.err, HasSubstr("master " + unresolved + ":28000: unresolved: "));

    const test_support::ProgramRun refresh = RunVtquery({"--json", "--timeout", "1", "--master", masterText,
                                                         "--master", unresolved, Local(answering->Port())});
    EXPECT_EQ(refresh.exitCode, 1u + 4u) << "a server timed out, a master failed: " << refresh.err;
    const json document = json::parse(refresh.out);
    EXPECT_EQ(document.at("servers").size(), 2u);
    const json& masters = document.at("masters");
    ASSERT_EQ(masters.size(), 2u);
    EXPECT_EQ(masters.at(0).at("status"), "complete");
    EXPECT_EQ(masters.at(0).at("name"), "tribes-emu master");
    EXPECT_EQ(masters.at(0).at("entries"), 8);
    EXPECT_EQ(masters.at(0).at("repeats"), 1);
    EXPECT_EQ(masters.at(0).at("leftOut"),
              json::parse(R"({"thisNetwork":1,"broadcast":1,"multicast":2,"reserved":0,"portZero":1})"));
    EXPECT_EQ(masters.at(1).at("status"), "unresolved");
}

// The composition is the plugin's own tests'; here: each launch option reaches the game.
TEST(VtqueryLaunch, StartsTheGameWithTheLaunchSettings) {
    test_support::GameRecord record;  // its name is inherited by vtquery, then the game
    const test_support::ProgramRun run =
        RunVtquery({"--launch", "127.0.0.1:28001", "--exe", Utf8FromWide(ProgramFolder()) + "fake_game.exe",
                    "--params", "-fast", "--name", "Jet", "--password", "pw 1", "--config", "auto.cs"});
    EXPECT_EQ(run.exitCode, 0u) << run.err;
    EXPECT_THAT(run.out, HasSubstr("launched "));
    // The game starts on its own; it has a few seconds to write its record.
    const std::vector<std::wstring> lines = record.Lines(std::chrono::seconds(10));
    ASSERT_FALSE(lines.empty());
    EXPECT_THAT(lines[0],
                testing::EndsWith(
                    L"+exec \"auto.cs\" +name \"Jet\" +password \"pw 1\" -fast +connect 127.0.0.1:28001"));
}

}  // namespace
