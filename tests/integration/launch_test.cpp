// Joining a server through the real plugin and command 1038: the fake game is started in its own
// folder with the composed command line; a game that cannot be started gives the message box and
// the command still answers 1; an unknown server starts nothing.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <future>
#include <sstream>

#include "contract/windows_headers.h"
#include "launch/launch_options.h"
#include "tests/integration/plugin_host.h"

namespace integration {
namespace {

using namespace std::chrono_literals;
using testing::ElementsAre;
using testing::IsEmpty;

constexpr int Port = 28001;  // TestServer's address is 127.0.0.1

std::wstring FromUtf8(const std::string& text) {
    if (text.empty()) return {};
    const int length =
        MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(length, L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(), length);
    return wide;
}

std::wstring WithForwardSlashes(std::wstring path) {
    std::replace(path.begin(), path.end(), L'\\', L'/');
    return path;
}

// Paths compared as Windows does: either separator (the shell joins folder and program with a
// '\\' even after a '/'), any letter case, closing separator or not.
bool SamePath(const std::wstring& a, const std::wstring& b) {
    auto full = [](const std::wstring& path) {
        std::vector<wchar_t> buffer(4096);
        const DWORD length =
            GetFullPathNameW(path.c_str(), static_cast<DWORD>(buffer.size()), buffer.data(), nullptr);
        std::wstring normal(buffer.data(), length < buffer.size() ? length : 0);
        if (!normal.empty() && normal.back() == L'\\') normal.pop_back();
        return normal;
    };
    const std::wstring fullA = full(a), fullB = full(b);
    return !fullA.empty() && CompareStringOrdinal(fullA.c_str(), -1, fullB.c_str(), -1, TRUE) == CSTR_EQUAL;
}

// The folder of this test program, where the build puts fake_game.exe too; with its closing '\'.
std::wstring ProgramFolder() {
    std::vector<wchar_t> path(4096);
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    const std::wstring program(path.data(), length);
    return program.substr(0, program.find_last_of(L"\\/") + 1);
}

std::wstring TempFolder() {
    std::vector<wchar_t> folder(MAX_PATH + 1);
    GetTempPathW(static_cast<DWORD>(folder.size()), folder.data());
    return folder.data();
}

// The record the fake game writes: FAKE_GAME_RECORD names a file that does not exist yet, for
// as long as this lives. Both go with it.
class GameRecord {
public:
    GameRecord() {
        static int count = 0;
        path_ = TempFolder() + L"fake_game_" + std::to_wstring(GetCurrentProcessId()) + L"_" +
                std::to_wstring(++count) + L".txt";
        DeleteFileW(path_.c_str());
        SetEnvironmentVariableW(L"FAKE_GAME_RECORD", path_.c_str());
    }
    ~GameRecord() {
        SetEnvironmentVariableW(L"FAKE_GAME_RECORD", nullptr);
        DeleteFileW(path_.c_str());
    }
    GameRecord(const GameRecord&) = delete;
    GameRecord& operator=(const GameRecord&) = delete;

    // The lines recorded so far, once there are two (command line, working directory) or wait
    // has passed.
    std::vector<std::wstring> Lines(std::chrono::milliseconds wait) const {
        const auto deadline = std::chrono::steady_clock::now() + wait;
        for (;;) {
            std::ifstream file(std::filesystem::path(path_), std::ios::binary);
            std::stringstream content;
            if (file) content << file.rdbuf();
            std::vector<std::wstring> lines;
            for (std::string line; std::getline(content, line);) lines.push_back(FromUtf8(line));
            if (lines.size() >= 2 || std::chrono::steady_clock::now() >= deadline) return lines;
            Sleep(50);
        }
    }

private:
    std::wstring path_;
};

// A copy of fake_game.exe in a folder of its own whose name holds blanks and a dot, removed
// with this (after the copy's process has let go of the file).
class GameCopy {
public:
    GameCopy()
        : folder_(TempFolder() + L"Tribes 1.40 " + std::to_wstring(GetCurrentProcessId()) + L"\\"),
          executable_(folder_ + L"fake_game.exe") {
        CreateDirectoryW(folder_.c_str(), nullptr);
        copied_ = CopyFileW((ProgramFolder() + L"fake_game.exe").c_str(), executable_.c_str(), FALSE);
    }
    ~GameCopy() {
        // The game may still be exiting and hold its file and its working directory.
        for (int attempt = 0; attempt < 100; ++attempt) {
            DeleteFileW(executable_.c_str());
            if (RemoveDirectoryW(folder_.c_str()) || GetLastError() == ERROR_FILE_NOT_FOUND) break;
            Sleep(50);
        }
    }
    GameCopy(const GameCopy&) = delete;
    GameCopy& operator=(const GameCopy&) = delete;

    bool copied() const { return copied_; }
    const std::wstring& folder() const { return folder_; }
    const std::wstring& executable() const { return executable_; }

private:
    std::wstring folder_;
    std::wstring executable_;
    bool copied_ = false;
};

// The command line as the game got it: the program as the shell named it, and what follows the
// one blank after it.
std::pair<std::wstring, std::wstring> SplitCommandLine(const std::wstring& line) {
    const bool quoted = !line.empty() && line[0] == L'"';
    const std::size_t end = quoted ? line.find(L'"', 1) : line.find(L' ');
    if (end == std::wstring::npos) return {line, L""};
    const std::wstring program = quoted ? line.substr(1, end - 1) : line.substr(0, end);
    const std::size_t rest = quoted ? end + 1 : end;
    if (rest >= line.size()) return {program, L""};
    return {program, line[rest] == L' ' ? line.substr(rest + 1) : line.substr(rest)};
}

// A message box as the user saw it.
struct ShownBox {
    std::wstring caption;
    std::wstring text;
    std::vector<std::wstring> buttons;
    bool icon = false;
    int entryLockDepth = -1;  // the server entry's lock while the box was up
};

struct LaunchOutcome {
    LRESULT result = -1;
    std::vector<ShownBox> boxes;
};

// Visible top-level dialogs of thread. On the plugin's window thread these are message boxes:
// the plugin's own dialogs are children of the host window. Looking only there keeps other
// programs' "Error" windows on the same Wine desktop out.
BOOL CALLBACK CollectShownDialog(HWND window, LPARAM list) {
    wchar_t className[16] = {};
    GetClassNameW(window, className, 16);
    if (std::wstring(className) == L"#32770" && IsWindowVisible(window))
        reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
    return TRUE;
}

std::vector<HWND> ShownDialogs(DWORD thread) {
    std::vector<HWND> dialogs;
    EnumThreadWindows(thread, CollectShownDialog, reinterpret_cast<LPARAM>(&dialogs));
    return dialogs;
}

// Reads a message box's buttons and icon into the ShownBox it is given.
BOOL CALLBACK ReadBoxControl(HWND child, LPARAM found) {
    auto& shown = *reinterpret_cast<ShownBox*>(found);
    wchar_t className[16] = {};
    GetClassNameW(child, className, 16);
    if (std::wstring(className) == L"Button" && IsWindowVisible(child)) {
        wchar_t label[64] = {};
        GetWindowTextW(child, label, 64);
        shown.buttons.push_back(label);
    }
    if (std::wstring(className) == L"Static" && SendMessageW(child, STM_GETICON, 0, 0) != 0)
        shown.icon = true;
    return TRUE;
}

ShownBox ReadBox(HWND box, const HostServerEntry& entry) {
    ShownBox shown;
    shown.entryLockDepth = entry.LockDepth();
    std::vector<wchar_t> text(512);
    GetWindowTextW(box, text.data(), static_cast<int>(text.size()));
    shown.caption = text.data();
    text[0] = L'\0';
    GetDlgItemTextW(box, 0xFFFF, text.data(), static_cast<int>(text.size()));  // the message's static
    shown.text = text.data();
    EnumChildWindows(box, ReadBoxControl, reinterpret_cast<LPARAM>(&shown));
    return shown;
}

// Sends command 1038 for handle as the host does, from a thread of its own: a message box
// holds the send until the user closes it. Every box shown meanwhile on the plugin's window
// thread is read and closed with OK. Gives up after 15 s.
LaunchOutcome SendLaunch(PluginHost& host, VtHandle& handle, const HostServerEntry& entry) {
    const DWORD windowThread = GetWindowThreadProcessId(host.commandWindow, nullptr);
    std::promise<LRESULT> sent;
    std::future<LRESULT> answer = sent.get_future();
    std::thread sender([&] { sent.set_value(host.Send(CMD_LAUNCH, reinterpret_cast<WPARAM>(&handle))); });

    LaunchOutcome outcome;
    const auto deadline = std::chrono::steady_clock::now() + 15s;
    while (answer.wait_for(20ms) != std::future_status::ready &&
           std::chrono::steady_clock::now() < deadline) {
        for (HWND box : ShownDialogs(windowThread)) {
            outcome.boxes.push_back(ReadBox(box, entry));
            PostMessageW(box, WM_COMMAND, IDOK, 0);
            for (int wait = 0; wait < 100 && IsWindow(box); ++wait) Sleep(20);
        }
    }
    if (answer.wait_for(0s) != std::future_status::ready) {
        ADD_FAILURE() << "command 1038 still runs after 15 s and no box of its thread could be closed";
        std::fflush(stdout);
        // The send cannot be taken back and the window thread stays held: nothing can end cleanly.
        TerminateProcess(GetCurrentProcess(), 1);
    }
    sender.join();
    outcome.result = answer.get();
    return outcome;
}

// Every Lock the launch took on the entry since mark was given back.
void ExpectLocksBalanced(const TestServer& server, std::size_t mark) {
    const std::vector<std::wstring> calls = server.JournalSince(mark);
    const auto locks = std::count(calls.begin(), calls.end(), L"entry.Lock");
    EXPECT_GT(locks, 0) << "the path and the options are read under the entry's lock";
    EXPECT_EQ(std::count(calls.begin(), calls.end(), L"entry.Unlock"), locks);
    EXPECT_EQ(server.entry->LockDepth(), 0);
}

class Launch : public testing::Test {
protected:
    // A registered server whose game is executable; journal marks what the launch did from here.
    void Register(TestServer& server, const std::wstring& executable) {
        server.entry->SetPort(Port);
        server.entry->SetExecutablePath(executable);
        host.CreateSession(server);
        mark = server.journal->Lines().size();
    }

    PluginHost host;
    std::size_t mark = 0;
};

TEST_F(Launch, StartsTheGameInItsFolderWithTheComposedCommandLine) {
    const std::wstring bin = ProgramFolder();
    ASSERT_NE(GetFileAttributesW((bin + L"fake_game.exe").c_str()), INVALID_FILE_ATTRIBUTES)
        << "build the fake_game target";
    GameCopy copy;
    ASSERT_TRUE(copy.copied());

    const struct {
        const char* what;
        std::wstring executable;
        std::wstring folder;  // where the game must run
        std::vector<std::pair<int, std::wstring>> options;
        std::wstring parameters;
        std::wstring arguments;  // what the game must get after its own name
    } cases[] = {
        {"every option, parameters without the placeholder",
         bin + L"fake_game.exe",
         bin,
         {{PlayerName, L"Jet Pack"}, {Password, L"se\"cret"}, {ConfigFile, L"autoexec.cs"}},
         L"-fast",
         L"+exec \"autoexec.cs\" +name \"Jet Pack\" +password \"se\"cret\" -fast +connect 127.0.0.1:28001"},
        {"the placeholder in the parameters, forward slashes in the path",
         WithForwardSlashes(bin) + L"fake_game.exe",
         bin,
         {{PlayerName, L"Jet"}},
         L"+connect <address> -fast",
         L"+name \"Jet\" +connect 127.0.0.1:28001 -fast"},
        {"nothing set, a folder with blanks and a dot",
         copy.executable(),
         copy.folder(),
         {},
         L"",
         L"+connect 127.0.0.1:28001"},
    };

    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TestServer server(c.what);
        server.entry->SetLaunchParameters(c.parameters);
        for (const auto& [id, value] : c.options) server.entry->SetLaunchOptionValue(id, value);
        Register(server, c.executable);
        GameRecord record;

        const LaunchOutcome outcome = SendLaunch(host, server.handle, *server.entry);

        EXPECT_EQ(outcome.result, 1);
        EXPECT_EQ(outcome.boxes.size(), 0u);
        const std::vector<std::wstring> lines = record.Lines(10s);
        ASSERT_EQ(lines.size(), 2u) << "the game did not record its start";
        const auto [program, arguments] = SplitCommandLine(lines[0]);
        EXPECT_EQ(arguments, c.arguments);
        EXPECT_TRUE(SamePath(program, c.folder + L"fake_game.exe")) << "started " << program;
        EXPECT_TRUE(SamePath(lines[1], c.folder)) << "ran in " << lines[1];
        ExpectLocksBalanced(server, mark);
    }
}

TEST_F(Launch, AGameTheShellCannotStartShowsTheMessageOnlyForResultsUpToTwo) {
    const std::wstring bin = ProgramFolder();
    const struct {
        const char* what;
        std::wstring folder;
        std::wstring programFile;
        bool box;
    } cases[] = {
        {"a game that does not exist", bin, L"no_such_game.exe", true},
        {"an empty path", L"", L"", false},
    };

    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        // The shell's own answer for the same start decides which side of the rule a case is on.
        const auto shellAnswer = reinterpret_cast<std::uintptr_t>(
            ShellExecuteW(nullptr, L"open", c.programFile.c_str(), L"", c.folder.c_str(), SW_SHOWNORMAL));
        ASSERT_TRUE(c.box ? shellAnswer <= 2 : shellAnswer > 2 && shellAnswer <= 32)
            << "the shell answered " << shellAnswer;
        TestServer server(c.what);
        Register(server, c.folder + c.programFile);
        GameRecord record;

        const LaunchOutcome outcome = SendLaunch(host, server.handle, *server.entry);

        EXPECT_EQ(outcome.result, 1);
        if (c.box) {
            ASSERT_EQ(outcome.boxes.size(), 1u);
            const ShownBox& box = outcome.boxes[0];
            EXPECT_EQ(box.caption, L"Error");
            EXPECT_EQ(box.text, L"Unable to open specified application.");
            EXPECT_THAT(box.buttons, ElementsAre(L"OK"));
            EXPECT_FALSE(box.icon);
            EXPECT_EQ(box.entryLockDepth, 0) << "the entry stays locked while the box waits for the user";
        } else {
            EXPECT_EQ(outcome.boxes.size(), 0u);
        }
        EXPECT_THAT(record.Lines(2s), IsEmpty());
        ExpectLocksBalanced(server, mark);
    }
}

TEST_F(Launch, AnUnknownServerGivesZeroAndStartsNothing) {
    TestServer server("alpha");
    Register(server, ProgramFolder() + L"fake_game.exe");
    GameRecord record;
    VtHandle unknown("nobody");

    const LaunchOutcome outcome = SendLaunch(host, unknown, *server.entry);

    EXPECT_EQ(outcome.result, 0);
    EXPECT_EQ(outcome.boxes.size(), 0u);
    EXPECT_THAT(record.Lines(2s), IsEmpty());
    EXPECT_THAT(server.JournalSince(mark), IsEmpty());
}

}  // namespace
}  // namespace integration
