// The command window's table: results of each command, forwarding to the host window, the
// plugin menu, unknown handles, and the init export called again.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tests/integration/plugin_host.h"

namespace integration {
namespace {

using testing::IsEmpty;

const std::wstring IdentityString = L"5E2B7D14-90AC-4F3E-8B61-2D7C0A9E4F53";

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
    TestHostWindow hostWindow{host.forwardWindow};
};

TEST_F(Commands, WindowAndTheCommandsWithoutASession) {
    char className[32] = {};
    GetClassNameA(host.commandWindow, className, 32);
    EXPECT_STREQ(className, "MessageWndClass");
    EXPECT_EQ(GetWindowLongW(host.commandWindow, GWL_STYLE) & 0x58000000,
              0x48000000);  // hidden disabled child
    // Unhandled messages go to DefWindowProcA, which answers these from the identity title.
    char title[64] = {};
    EXPECT_EQ(SendMessageA(host.commandWindow, WM_GETTEXT, sizeof title, reinterpret_cast<LPARAM>(title)),
              36);
    EXPECT_EQ(Widen(title), IdentityString);
    EXPECT_EQ(host.Send(WM_USER + 16, 1, 2), 0);  // 1040 is not a command either
    EXPECT_EQ(host.Send(CMD_IGNORED, 7, 9), 0);
    for (int item : {0, 1, 2, 3, 4, 5, -1, 1000}) {
        EXPECT_EQ(host.Send(CMD_QUERY_SUPPORT, static_cast<WPARAM>(item)),
                  item == 0 || item == 3 || item == 4)
            << "item " << item;
    }
}

TEST_F(Commands, PluginMenuActsOnTheSessionThenResetsTheCurrentServer) {
    TestServer server("alpha");
    host.CreateSession(server);
    VtPluginMenu menu;
    VtPluginServerStruct other{VtHandle("other"), nullptr, nullptr};
    menu.SetCurrentPluginServerStruct(&other);

    EXPECT_EQ(
        host.Send(CMD_PLUGIN_MENU, reinterpret_cast<WPARAM>(&server.handle), reinterpret_cast<LPARAM>(&menu)),
        1);

    EXPECT_EQ(menu.CurrentPluginServerStruct(), nullptr);
}

TEST_F(Commands, ForwardSendsTheSessionRecordWithItsSettingsKeyToTheHostWindow) {
    TestServer server("Ser\xE9 7");  // é is 0xE9 in Windows-1252
    host.CreateSession(server);

    EXPECT_EQ(Forward(server.handle, 0x5A5A), 0);

    ASSERT_EQ(host.forwarded.size(), 1u);
    EXPECT_EQ(host.forwarded[0].second, 0x5A5A);
    const auto* session = reinterpret_cast<const SessionRecord*>(host.forwarded[0].first);
    EXPECT_STREQ(session->handle.toCharString(), "Ser\xE9 7");
    EXPECT_EQ(session->serverEntry, server.entry.get());
    EXPECT_EQ(session->settingsKey, L"Servers\\Ser\u00E9 7\\" + IdentityString);
}

TEST_F(Commands, HandlesWithoutASessionDoNothingAndGiveZero) {
    HostedServer unknown("nobody");
    VtPluginMenu menu;
    VtPluginServerStruct current{VtHandle("current"), nullptr, nullptr};
    menu.SetCurrentPluginServerStruct(&current);

    EXPECT_EQ(host.Send(CMD_REMOVE_SESSION, reinterpret_cast<WPARAM>(&unknown.handle)), 0);
    EXPECT_EQ(host.Send(CMD_LAUNCH, reinterpret_cast<WPARAM>(&unknown.handle)), 0);
    EXPECT_EQ(host.Send(CMD_PLUGIN_MENU, reinterpret_cast<WPARAM>(&unknown.handle),
                        reinterpret_cast<LPARAM>(&menu)),
              0);
    EXPECT_EQ(Forward(unknown.handle, 1), 0);
    EXPECT_EQ(host.Ping(unknown), 0);

    EXPECT_EQ(menu.CurrentPluginServerStruct(), &current);
    EXPECT_THAT(host.forwarded, IsEmpty());
}

TEST_F(Commands, InitAgainKeepsTheWindowAndOnlyReplacesTheParentOfNewSessions) {
    HWND otherParent = host.CreateHostWindow();

    EXPECT_EQ(host.Init(otherParent), host.commandWindow);

    TestServer server("alpha");
    host.CreateSession(server);
    EXPECT_EQ(host.NetworkWindows(otherParent).size(), 1u);
    EXPECT_EQ(GetParent(host.commandWindow), host.parentWindow);
}

}  // namespace
}  // namespace integration
