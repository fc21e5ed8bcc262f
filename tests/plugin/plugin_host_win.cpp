#include "tests/plugin/plugin_host_win.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>
#include <utility>

#include "common/owners/unique_resource.h"
#include "host/runner/dialog_windows_win.h"
#include "host/services/offered.h"
#include "plugin/query/ping_outcome.h"

namespace integration {

namespace {

constexpr wchar_t TestWindowClass[] = L"TribesTestWindow";

// What the tests' own windows do: keep what the plugin forwards to them.
LRESULT CALLBACK TestWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* host = reinterpret_cast<PluginHost*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (message == CMD_FORWARD && host) {
        host->forwarded.emplace_back(wParam, lParam);  // sent: the sender waits, so no lock
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

struct {
    std::shared_ptr<CallJournal> journal;
    std::map<HWND, std::wstring> names;
    HHOOK hook = nullptr;
} destruction;

LRESULT CALLBACK OnWindowEvent(int code, WPARAM wParam, LPARAM lParam) {
    auto named = destruction.names.find(reinterpret_cast<HWND>(wParam));
    if (code == HCBT_DESTROYWND && named != destruction.names.end()) {
        destruction.journal->Record(L"window.Destroy(" + named->second + L")");
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

// Collects the dialogs among the windows it is shown (a WNDENUMPROC).
BOOL CALLBACK CollectDialog(HWND window, LPARAM list) {
    if (IsDialogWindow(window)) reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
    return TRUE;
}

std::wstring Cell(const TableRow& row, std::size_t column) {
    return column < row.size() ? row[column].value_or(L"<unset>") : L"<none>";
}

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

bool FollowsFrom(const std::vector<std::wstring>& journal, const std::vector<std::wstring>& transcript,
                 std::size_t j = 0, std::size_t t = 0) {
    if (t == transcript.size()) return j == journal.size();
    if (transcript[t] == L"...") {
        for (std::size_t skip = j; skip <= journal.size(); ++skip)
            if (FollowsFrom(journal, transcript, skip, t + 1)) return true;
        return false;
    }
    if (j == journal.size()) return false;
    const std::wstring& want = transcript[t];
    const std::wstring& line = journal[j];
    bool same = line == want;
    if (want.size() > 3 && want.compare(want.size() - 3, 3, L"(*)") == 0) {
        same =
            line.size() > want.size() - 1 && line.compare(0, want.size() - 2, want, 0, want.size() - 2) == 0;
    } else if (!want.empty() && want.back() == L'*') {
        same = line.compare(0, want.size() - 1, want, 0, want.size() - 1) == 0;
    }
    return same && FollowsFrom(journal, transcript, j + 1, t + 1);
}

}  // namespace

PluginHost::PluginHost() : parentWindow(runner.ParentWindow()), commandWindow(runner.CommandWindow()) {
    forwardWindow = CreateHostWindow();
    EXPECT_NE(forwardWindow, nullptr);
}

HWND PluginHost::CreateHostWindow() {
    HWND window = nullptr;
    OnWindowThread([&] {
        static const auto registration =
            owners::unique_window_class::Register(TestWindowClass, TestWindowProc);
        // Destroyed with the window thread, when the runner goes.
        window = CreateWindowExW(0, TestWindowClass, L"Test host", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100,
                                 nullptr, nullptr, GetModuleHandleW(nullptr), this);
    });
    return window;
}

HWND PluginHost::CreateSession(TestServer& server) {
    const std::vector<HWND> before = NetworkWindows(parentWindow);
    SessionCreateRecord record = server.Record();
    Send(CMD_CREATE_SESSION, reinterpret_cast<WPARAM>(&record));
    for (HWND window : NetworkWindows(parentWindow)) {
        if (std::find(before.begin(), before.end(), window) == before.end()) return window;
    }
    return nullptr;
}

std::vector<HWND> PluginHost::NetworkWindows(HWND parent) const {
    std::vector<HWND> found;
    EnumChildWindows(parent, CollectDialog, reinterpret_cast<LPARAM>(&found));
    return found;
}

HWND TestHostWindow::GetWindowHandle() {
    return Offered([this] {
        const HostFault planned = std::exchange(fault, HostFault::None);
        if (planned == HostFault::Exception) throw std::runtime_error("the host window failed");
        MakeHostFault(planned, L"GetWindowHandle");
        return window_;
    });
}

TestServer::TestServer(const char* handleText, std::shared_ptr<CallJournal> sharedJournal)
    : HostedServer(handleText),
      journal(sharedJournal ? std::move(sharedJournal) : std::make_shared<CallJournal>()) {
    entry->SetAddress(L"127.0.0.1");
    entry->SetLabel(L"Alpha server");
    entry->SetTimeout(2);
    entryProbe = Probe(*entry, journal);
    dataProbe = Probe(*data, journal);
}

std::vector<std::wstring> TestServer::JournalSince(std::size_t from) const {
    std::vector<std::wstring> lines = journal->Lines();
    lines.erase(lines.begin(), lines.begin() + static_cast<std::ptrdiff_t>(std::min(from, lines.size())));
    return lines;
}

void RecordWindowDestruction(std::shared_ptr<CallJournal> journal, std::map<HWND, std::wstring> names) {
    if (destruction.hook) UnhookWindowsHookEx(destruction.hook);
    destruction.journal = std::move(journal);
    destruction.names = std::move(names);
    destruction.hook = SetWindowsHookExW(WH_CBT, OnWindowEvent, nullptr, GetCurrentThreadId());
}

std::vector<std::wstring> Calls(const std::wstring& lines) {
    std::vector<std::wstring> calls;
    for (std::size_t start = 0, end = 0; end != std::wstring::npos; start = end + 1) {
        end = lines.find(L'|', start);
        calls.push_back(lines.substr(start, end == std::wstring::npos ? std::wstring::npos : end - start));
    }
    return calls;
}

bool Follows(const std::vector<std::wstring>& journal, const std::wstring& transcript) {
    return FollowsFrom(journal, Calls(transcript));
}

std::chrono::milliseconds PingLimit(int budgetSeconds) {
    return std::chrono::milliseconds(1000 * std::max(budgetSeconds, 1) + 3000);
}

void ExpectReplyShown(const TestServer& server, const tribes_emu::ServerInfo& info, std::size_t playerRows,
                      std::size_t earlyPropertyRows) {
    playerRows = std::min(playerRows, info.players.size());
    // The plugin's own format ("12/32 players on Alpha" is pinned by the ping cycle's tests).
    const std::wstring line = StatusLine(info.playerCount, info.playerLimit, Widen(info.serverName));
    const HostServerStatus status = server.data->Status();
    EXPECT_EQ(status.statusText, line);
    EXPECT_EQ(status.statusDetail, line);
    EXPECT_EQ(status.serverName, Widen(info.serverName));
    EXPECT_EQ(status.mapName, Widen(info.map));
    EXPECT_EQ(status.playerCount, info.playerCount);
    EXPECT_EQ(status.maxPlayers, info.playerLimit);
    EXPECT_EQ(status.recorded, RecordedOutcome::PlayerCount);

    // Which cell holds what is the parser's own tests'; here: the reply's rows, each in its place.
    // The properties: eight rules, then one row per listed team (one at least).
    const auto properties = server.data->Table(L"PropertiesTable").rows;
    const std::size_t teamRows = info.teamCount >= 2 ? info.teams.size() : 1;
    ASSERT_EQ(properties.size(), earlyPropertyRows + 8 + teamRows);
    EXPECT_EQ(Cell(properties[earlyPropertyRows], 1), Widen(info.gameName));
    EXPECT_EQ(Cell(properties.back(), 0), L"Team " + std::to_wstring(teamRows));
    const auto users = server.data->Table(L"UsersTable").rows;
    ASSERT_EQ(users.size(), playerRows);
    for (std::size_t i = 0; i < playerRows; ++i)
        EXPECT_EQ(Cell(users[i], 0), Widen(info.players[i].name)) << "player row " << i;
}

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
