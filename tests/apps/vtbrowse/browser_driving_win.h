// What the window tests share: vtbrowse's window made in the test's process and driven as its own
// message loop would, against fake servers served from the test's process; what it shows read
// back from its controls; whether a window's texts fit and its keyboard works. The tests stand in
// this namespace.
#pragma once

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "apps/vtbrowse/framework/controls_win.h"
#include "apps/vtbrowse/framework/display_scale_win.h"
#include "apps/vtbrowse/resources/resource_ids.h"
#include "apps/vtbrowse/window/browser_window_win.h"
#include "host/runner/elapsed_seconds.h"
#include "host/text/utf8_text.h"
#include "tests/support/test_support.h"
#include "tools/tribes_emu/control_port.h"
#include "tools/tribes_emu/emulator.h"

namespace vtbrowse_driving {

using test_support::Local;
using test_support::ProgramFolder;
using test_support::ReadFile;
using test_support::TempFile;
using ::testing::AllOf;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::StartsWith;
using tribes_emu::Behaviour;
using tribes_emu::ReplyMode;
using tribes_emu::ServerInfo;
using tribes_emu::TribesEmulator;
using Clock = std::chrono::steady_clock;

// Pumps the test thread's messages as vtbrowse's loop does, until done() or the bound.
// longest, when given, keeps the longest the window's thread spent on one message: the longest
// that input waited (the system hands input over before timer messages and any later message).
bool PumpUntil(BrowserWindow& browser, const std::function<bool()>& done, double seconds = 20,
               double* longest = nullptr);
// The visible dialog of this process titled title, looked for at most seconds; or null.
HWND FindDialog(const std::wstring& title, double seconds);
std::wstring StatusText(HWND status);
std::wstring ItemText(HWND list, int row, int column);
int ItemCount(HWND list);
std::vector<std::wstring> ColumnTexts(HWND list, int column);
tribes_emu::ServerInfo Server(const char* name, const char* map, int players, int limit);
// The lines of the log pane that hold part, how many, the first.
std::vector<std::wstring> LogLines(HWND log, const std::wstring& part);
int LogLinesWith(HWND log, const std::wstring& part);
std::wstring LogLine(HWND log, const std::wstring& part);

// The shown windows under root, each before its children.
std::vector<HWND> Shown(HWND root);
std::wstring ClassOf(HWND window);
RECT PlaceIn(HWND window, HWND relativeTo);
LONG FontHeight(HWND control);
// What of root's shown controls is cut or out of place, a line each; dpi: the scale of root.
std::vector<std::wstring> FitProblems(HWND root, int dpi);
// The letter after a single '&' in a control's text, upper case; 0 for none.
wchar_t AccessKey(HWND control);
bool IsBox(HWND control);
// What the keyboard or a screen reader cannot tell apart in root, a line each: two controls of one
// access key; a box without a label right before it, which is what names it to a screen reader.
std::vector<std::wstring> KeyboardProblems(HWND root);

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
    // The window's loop run until the refresh running ends; its status line when it does not.
    ::testing::AssertionResult RefreshEnds() {
        if (PumpUntil(*browser, [this] { return RefreshEnded(); })) return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure()
               << "no refresh ended: " << Utf8FromWide(StatusText(Control(IDC_STATUS)));
    }
    void OpenAndRefresh(const std::vector<std::string>& arguments) {
        Open(arguments);
        ASSERT_TRUE(RefreshEnds());
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

// A fake server whose players the test changes through its control port.
struct ControlledServer {
    explicit ControlledServer(ServerInfo info) : emulator(std::move(info), Behaviour{}), control(emulator) {}
    std::string Tell(const std::string& command) { return tribes_emu::SendControl(control.Port(), command); }

    TribesEmulator emulator;
    tribes_emu::ControlPort control;
};

// The window with one server, at the display's scale.
class VtbrowseAtScale : public VtbrowseWindow {
protected:
    void SetUp() override {
        VtbrowseWindow::SetUp();
        dpi = WindowDpi(nullptr);  // the screen's
        // The scale asked for: a run that tested 96 four times would say nothing.
        if (const char* asked = std::getenv("TRIBES_GUI_DPI")) {
            ASSERT_EQ(dpi, std::atoi(asked));
        }
        Open({Local(alpha->Port())});
        window = browser->Window();
    }

    int dpi = 96;
    HWND window = nullptr;
};

}  // namespace vtbrowse_driving
