// Driving vtbrowse's window made in a test's process, as its own message loop would, against fake
// servers served from the test's process: what the window tests share.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "apps/vtbrowse/browser_ids.h"
#include "apps/vtbrowse/browser_window_win.h"
#include "apps/vtbrowse/controls_win.h"
#include "host/runner/elapsed_seconds.h"
#include "host/text/utf8_text.h"
#include "tests/support/test_support.h"
#include "tools/tribes_emu/emulator.h"

namespace vtbrowse_driving {

using test_support::Local;
using tribes_emu::Behaviour;
using tribes_emu::TribesEmulator;

// Pumps the test thread's messages as vtbrowse's loop does, until done() or the bound.
// longest, when given, keeps the longest the window's thread spent on one message: the longest
// that input waited (the system hands input over before timer messages and any later message).
inline bool PumpUntil(BrowserWindow& browser, const std::function<bool()>& done, double seconds = 20,
                      double* longest = nullptr) {
    const auto start = std::chrono::steady_clock::now();
    while (SecondsSince(start) < seconds) {
        MSG message;
        for (int taken = 0; taken < 1000 && PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE); ++taken) {
            const auto taking = std::chrono::steady_clock::now();
            if (!browser.PreTranslate(message)) {
                TranslateMessage(&message);
                DispatchMessageW(&message);
            }
            if (longest) *longest = std::max(*longest, SecondsSince(taking));
        }
        if (done()) return true;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
    return done();
}

// The visible dialog of this process titled title, looked for at most seconds; or null.
inline HWND FindDialog(const std::wstring& title, double seconds) {
    const auto start = std::chrono::steady_clock::now();
    std::vector<HWND> found = test_support::ShownDialogs(0, title);
    while (found.empty() && SecondsSince(start) < seconds) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        found = test_support::ShownDialogs(0, title);
    }
    return found.empty() ? nullptr : found[0];
}

inline std::wstring StatusText(HWND status) {
    wchar_t text[512] = L"";
    SendMessageW(status, SB_GETTEXTW, 0, reinterpret_cast<LPARAM>(text));
    return text;
}

inline std::wstring ItemText(HWND list, int row, int column) {
    wchar_t text[512] = L"";
    ListView_GetItemText(list, row, column, text, 512);
    return text;
}

inline int ItemCount(HWND list) {
    return static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
}

inline std::vector<std::wstring> ColumnTexts(HWND list, int column) {
    std::vector<std::wstring> texts;
    for (int row = 0; row < ItemCount(list); ++row) texts.push_back(ItemText(list, row, column));
    return texts;
}

inline tribes_emu::ServerInfo Server(const char* name, const char* map, int players, int limit) {
    tribes_emu::ServerInfo server = tribes_emu::ServerWithPlayers(players);
    server.serverName = name;
    server.map = map;
    server.playerLimit = static_cast<std::uint8_t>(limit);
    return server;
}

// Alpha (the default server, 12/32 on Raindance), Bravo Base (full), Charlie (empty), a silent one.
class VtbrowseWindow : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        alpha = std::make_unique<TribesEmulator>(tribes_emu::DefaultServer(), Behaviour{});
        bravo = std::make_unique<TribesEmulator>(Server("Bravo Base", "Sidewinder", 8, 8), Behaviour{});
        charlie = std::make_unique<TribesEmulator>(Server("Charlie", "Broadside", 0, 16), Behaviour{});
        silent = std::make_unique<TribesEmulator>(tribes_emu::DefaultServer(),
                                                  Behaviour{tribes_emu::ReplyMode::Silent});
    }
    static void TearDownTestSuite() {
        for (auto* emulator : {&alpha, &bravo, &charlie, &silent}) emulator->reset();
    }
    void SetUp() override {
        // A budget of one second: the silent server is not waited for long.
        std::ofstream(settings_.c_str()) << "timeout=1\n";
    }
    void TearDown() override {
        browser.reset();
        DeleteFileW(settings_.c_str());
    }

    static std::vector<std::string> FourServers() {
        return {Local(alpha->Port()), Local(bravo->Port()), Local(charlie->Port()), Local(silent->Port())};
    }
    // withPlugin false: a plugin path that names nothing, so that nothing can be pinged.
    void Open(const std::vector<std::string>& arguments, bool withPlugin = true) {
        BrowserStart start;
        start.options = ParseBrowseOptions(arguments);
        start.settingsPath = settings_;
        start.pluginPath =
            withPlugin ? PluginBesideProgram() : test_support::ProgramFolder() + L"no-plugin.vtplugin";
        start.quitOnClose = false;
        start.show = SW_SHOWNORMAL;
        start.notified = notified;
        browser = std::make_unique<BrowserWindow>(std::move(start));
        ASSERT_TRUE(browser->Window());
    }
    HWND Control(int id) const { return PaneControl(browser->Window(), id); }
    bool RefreshEnded() const {
        return StatusText(Control(IDC_STATUS)).rfind(L"Refresh", 0) == 0 &&
               StatusText(Control(IDC_STATUS)).rfind(L"Refreshing", 0) != 0;
    }
    void OpenAndRefresh(const std::vector<std::string>& arguments) {
        Open(arguments);
        ASSERT_TRUE(PumpUntil(*browser, [this] { return RefreshEnded(); }))
            << StatusText(Control(IDC_STATUS));
    }
    // The row whose address column reads address, or -1.
    int RowOf(const std::string& address) const {
        const std::vector<std::wstring> addresses = ColumnTexts(Control(IDC_SERVERS), 1);
        const auto found = std::find(addresses.begin(), addresses.end(), WideFromUtf8(address));
        return found == addresses.end() ? -1 : static_cast<int>(found - addresses.begin());
    }
    void Select(int row) {
        ListView_SetItemState(Control(IDC_SERVERS), row, LVIS_SELECTED | LVIS_FOCUSED,
                              LVIS_SELECTED | LVIS_FOCUSED);
    }
    void ClickColumn(int column) {
        NMLISTVIEW click{{Control(IDC_SERVERS), IDC_SERVERS, static_cast<UINT>(LVN_COLUMNCLICK)},
                         -1,
                         column,
                         0,
                         0,
                         0,
                         {},
                         0};
        SendMessageW(GetParent(Control(IDC_SERVERS)), WM_NOTIFY, IDC_SERVERS,
                     reinterpret_cast<LPARAM>(&click));
    }

    static inline std::unique_ptr<TribesEmulator> alpha, bravo, charlie, silent;
    const std::wstring settings_ = test_support::TempFile(L"vbs");
    std::function<void(const std::wstring&, const std::wstring&)> notified;
    std::unique_ptr<BrowserWindow> browser;
};

}  // namespace vtbrowse_driving
