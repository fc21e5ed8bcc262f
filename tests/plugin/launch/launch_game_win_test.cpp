// Joining a server through the real plugin and command 1038: the fake game is started in its own
// folder with the composed command line; a game that cannot be started gives the message box and
// the command still answers 1.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdint>

#include "common/contract/windows_headers.h"
#include "plugin/launch/launch_options.h"
#include "tests/plugin/plugin_host_win.h"
#include "tests/support/test_support.h"

namespace integration {
namespace {

using namespace std::chrono_literals;
using test_support::GameRecord;
using test_support::ProgramFolder;
using testing::ElementsAre;
using testing::IsEmpty;

constexpr int Port = 28001;  // TestServer's address is 127.0.0.1

// Paths compared as Windows does: either separator (the shell joins folder and program with a
// '\\' even after a '/'), any letter case, closing separator or not.
bool SamePath(const std::wstring& a, const std::wstring& b) {
    auto full = [](const std::wstring& path) {
        wchar_t buffer[MAX_PATH] = {};
        const DWORD length = GetFullPathNameW(path.c_str(), MAX_PATH, buffer, nullptr);
        std::wstring normal(buffer, length < MAX_PATH ? length : 0);
        if (!normal.empty() && normal.back() == L'\\') normal.pop_back();
        return normal;
    };
    const std::wstring fullA = full(a), fullB = full(b);
    return !fullA.empty() && CompareStringOrdinal(fullA.c_str(), -1, fullB.c_str(), -1, TRUE) == CSTR_EQUAL;
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

// Sends command 1038 for handle as the host does: a message box holds the send until the user
// closes it. Every box shown meanwhile on the plugin's window thread is read and closed with OK,
// from another thread; a send still held after 15 s ends the test program.
LaunchOutcome SendLaunch(PluginHost& host, VtHandle& handle, const HostServerEntry& entry) {
    const DWORD windowThread = GetWindowThreadProcessId(host.commandWindow, nullptr);
    LaunchOutcome outcome;
    std::atomic<bool> answered{false};
    std::thread closer([&] {
        // On the plugin's window thread these are message boxes: its own dialogs are children of
        // the host window. Looking only there keeps other programs' boxes on the desktop out.
        for (int pass = 0; pass < 1000 && !answered; ++pass, Sleep(20)) {
            for (HWND box : test_support::ShownDialogs(windowThread)) {
                outcome.boxes.push_back(ReadBox(box, entry));
                PostMessageW(box, WM_COMMAND, IDOK, 0);
                for (int wait = 0; wait < 100 && IsWindow(box); ++wait) Sleep(20);
            }
        }
    });
    test_support::Within(15s, "command 1038, its message box not closed",
                         [&] { outcome.result = host.Send(CMD_LAUNCH, reinterpret_cast<WPARAM>(&handle)); });
    answered = true;
    closer.join();
    return outcome;
}

// What a launch reads from the entry: path and command line under one held lock, given back
// before the game starts.
const wchar_t* const LaunchReads =
    L"entry.Lock|entry.GetExecutablePath|entry.Lock|entry.Lock|entry.GetPort|entry.Unlock|entry.GetAddress|"
    L"entry.GetLaunchParameters|entry.GetLaunchOption(3)|entry.GetLaunchOption(1)|entry.GetLaunchOption(2)|"
    L"entry.Unlock|entry.Unlock";

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

// Every option and the placeholder reach the game; a path with forward slashes still names the
// folder the game runs in.
TEST_F(Launch, StartsTheGameInItsFolderWithTheComposedCommandLine) {
    const std::wstring bin = ProgramFolder();
    ASSERT_NE(GetFileAttributesW((bin + L"fake_game.exe").c_str()), INVALID_FILE_ATTRIBUTES)
        << "build the fake_game target";
    std::wstring slashed = bin;
    std::replace(slashed.begin(), slashed.end(), L'\\', L'/');
    TestServer server("alpha");
    server.entry->SetLaunchParameters(L"+connect <address> -fast");
    server.entry->SetLaunchOptionValue(PlayerName, L"Jet Pack");
    server.entry->SetLaunchOptionValue(Password, L"se\"cret");
    server.entry->SetLaunchOptionValue(ConfigFile, L"autoexec.cs");
    Register(server, slashed + L"fake_game.exe");
    GameRecord record;

    const LaunchOutcome outcome = SendLaunch(host, server.handle, *server.entry);

    EXPECT_EQ(outcome.result, 1);
    EXPECT_EQ(outcome.boxes.size(), 0u);
    const std::vector<std::wstring> lines = record.Lines(10s);
    ASSERT_EQ(lines.size(), 2u) << "the game did not record its start";
    // The program as the shell named it (quoted or not), one blank, and the composed line.
    const std::size_t program = lines[0].rfind(L"fake_game.exe");
    ASSERT_NE(program, std::wstring::npos) << "started " << lines[0];
    std::wstring arguments = lines[0].substr(program + 13);
    if (!arguments.empty() && arguments[0] == L'"') arguments.erase(0, 1);
    EXPECT_EQ(
        arguments,
        L" +exec \"autoexec.cs\" +name \"Jet Pack\" +password \"se\"cret\" +connect 127.0.0.1:28001 -fast");
    EXPECT_TRUE(SamePath(lines[1], bin)) << "ran in " << lines[1];
    EXPECT_THAT(server.JournalSince(mark), testing::ElementsAreArray(Calls(LaunchReads)));
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
        EXPECT_EQ(server.entry->LockDepth(), 0);
    }
}

}  // namespace
}  // namespace integration
