// The command window's table: results of each command, forwarding to the host window, the
// plugin menu, unknown handles, and the init export called again.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "boundary/command_window.h"
#include "tests/integration/plugin_host.h"

namespace integration {
namespace {

using testing::IsEmpty;

constexpr const wchar_t* IdentityString = L"5E2B7D14-90AC-4F3E-8B61-2D7C0A9E4F53";

// The host's window object for the forward command.
class TestHostWindow : public VtHostWindow {
public:
    explicit TestHostWindow(HWND window) : window_(window) {}
    HWND GetWindowHandle() override { return window_; }

private:
    HWND window_;
};

class Commands : public testing::Test {
protected:
    LRESULT Forward(VtHandle& handle, LPARAM lParam) {
        HostWindowRecord record{&handle, &hostWindow};
        return host.Send(CMD_FORWARD, reinterpret_cast<WPARAM>(&record), lParam);
    }

    PluginHost host;
    TestHostWindow hostWindow{host.hostWindow};
};

TEST_F(Commands, CommandWindowIsAHiddenDisabledChildTitledWithTheIdentity) {
    char className[64] = {};
    GetClassNameA(host.commandWindow, className, 64);
    EXPECT_STREQ(className, "MessageWndClass");
    EXPECT_EQ(GetParent(host.commandWindow), host.hostWindow);
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongW(host.commandWindow, GWL_STYLE)) & 0x58000000u, 0x48000000u);
    // Unhandled messages reach DefWindowProcA, which answers these from the title.
    EXPECT_EQ(host.Send(WM_GETTEXTLENGTH), 36);
    char title[64] = {};
    SendMessageA(host.commandWindow, WM_GETTEXT, sizeof title, reinterpret_cast<LPARAM>(title));
    EXPECT_EQ(Widen(title), IdentityString);
}

TEST_F(Commands, ResultsOfTheSimpleCommands) {
    EXPECT_EQ(host.Send(CMD_IGNORED, 7, 9), 0);
    EXPECT_EQ(host.Send(WM_USER + 16, 1, 2), 0);  // 1040: DefWindowProcA's answer for it
    EXPECT_EQ(host.Send(WM_USER + 55, 1, 2), 0);
    struct {
        int item;
        LRESULT supported;
    } const support[] = {{0, 1}, {3, 1}, {4, 1}, {1, 0}, {2, 0}, {5, 0}, {-1, 0}, {1000, 0}};
    for (const auto& c : support) {
        EXPECT_EQ(host.Send(CMD_QUERY_SUPPORT, static_cast<WPARAM>(c.item)), c.supported)
            << "item " << c.item;
    }
}

TEST_F(Commands, PluginMenuActsOnTheSessionThenResetsTheCurrentServer) {
    TestServer server("alpha");
    host.CreateSession(server);
    VtPluginMenu menu;

    EXPECT_EQ(
        host.Send(CMD_PLUGIN_MENU, reinterpret_cast<WPARAM>(&server.handle), reinterpret_cast<LPARAM>(&menu)),
        1);

    EXPECT_EQ(menu.CurrentPluginServerStruct(), nullptr);
}

TEST_F(Commands, ForwardSendsTheSessionRecordWithItsSettingsKeyToTheHostWindow) {
    TestServer server("Ser\xE9 7");  // an ANSI handle text: é is 0xE9 in Windows-1252
    host.CreateSession(server);

    EXPECT_EQ(Forward(server.handle, 0x5A5A), 0);

    const auto forwarded = host.Forwarded();
    ASSERT_EQ(forwarded.size(), 1u);
    EXPECT_EQ(forwarded[0].lParam, 0x5A5A);
    const auto* session = reinterpret_cast<const ServerSession*>(forwarded[0].wParam);
    EXPECT_STREQ(session->handle.toCharString(), "Ser\xE9 7");
    EXPECT_EQ(session->serverData, server.data.get());
    EXPECT_EQ(session->serverEntry, server.entry.get());
    EXPECT_EQ(session->settingsKey, L"Servers\\Ser\u00E9 7\\" + std::wstring(IdentityString));
}

TEST_F(Commands, HandlesWithoutASessionDoNothingAndGiveZero) {
    TestServer server("alpha");
    VtHandle unknown("nobody");
    VtPluginMenu menu;
    VtPluginServerStruct current{VtHandle("current"), nullptr, nullptr};
    menu.SetCurrentPluginServerStruct(&current);

    EXPECT_EQ(host.Send(CMD_REMOVE_SESSION, reinterpret_cast<WPARAM>(&unknown)), 0);
    EXPECT_EQ(host.Send(CMD_LAUNCH, reinterpret_cast<WPARAM>(&unknown)), 0);
    EXPECT_EQ(host.Send(CMD_PLUGIN_MENU, reinterpret_cast<WPARAM>(&unknown), reinterpret_cast<LPARAM>(&menu)),
              0);
    EXPECT_EQ(Forward(unknown, 1), 0);
    EXPECT_EQ(host.Ping(unknown), 0);

    EXPECT_EQ(menu.CurrentPluginServerStruct(), &current);  // untouched
    EXPECT_THAT(host.Forwarded(), IsEmpty());
    EXPECT_THAT(server.journal->Lines(), IsEmpty());
}

TEST_F(Commands, InitAgainKeepsTheWindowAndOnlyReplacesTheParentOfNewSessions) {
    HWND otherParent = host.CreateHostWindow();

    EXPECT_EQ(host.Init(otherParent), host.commandWindow);

    TestServer server("alpha");
    host.CreateSession(server);
    EXPECT_EQ(host.NetworkWindows(otherParent).size(), 1u);
    EXPECT_THAT(host.NetworkWindows(host.hostWindow), IsEmpty());
    EXPECT_EQ(GetParent(host.commandWindow), host.hostWindow);
}

}  // namespace
}  // namespace integration
