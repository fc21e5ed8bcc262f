// The command window's table: sessions created, removed and released (what that does to the host
// objects and the network message windows), the results of each command, forwarding to the host
// window, the plugin menu, unknown handles, the init export called again, and the unload.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "common/owners/scope_exit.h"
#include "common/owners/unique_resource.h"
#include "tests/plugin/plugin_host_win.h"
#include "tests/support/test_support.h"
#include "tools/tribes_emu/emulator.h"

namespace integration {
namespace {

using test_support::SocketLayerStarted;
using testing::ElementsAreArray;
using testing::IsEmpty;

// Unloading with sessions still registered: every session goes, whole and in handle order, then
// the registry's key handles, then the command window; each network window's start of the socket
// layer is cleaned up exactly once.
TEST(Unload, DestroysSessionsBeforeTheCommandWindowAndBalancesSocketLayerStarts) {
    // The starts of the socket layer this process holds, none in use (no socket is open), ended
    // for the test and made again after it: the balance is read from none, whatever ran before.
    ASSERT_EQ(test_support::OpenSocketCount(), 0);
    int ended = 0;
    while (SocketLayerStarted() && ended < 100 && WSACleanup() == 0) ++ended;
    const auto restart = owners::scope_exit([&] {
        for (WSADATA data; ended-- > 0;) WSAStartup(0x0202, &data);
    });
    auto journal = std::make_shared<CallJournal>();
    PluginHost host;
    TestServer alpha("alpha", journal), bravo("bravo", journal);
    std::map<HWND, std::wstring> names{{host.commandWindow, L"command"}};
    names[host.CreateSession(bravo)] = L"bravo";
    names[host.CreateSession(alpha)] = L"alpha";
    host.OnWindowThread([&] { RecordWindowDestruction(journal, names); });
    EXPECT_TRUE(SocketLayerStarted());  // by the two network windows
    // One start of our own: if unloading cleaned up more often than the plugin started, it
    // would take this one too.
    owners::unique_winsock ours = owners::unique_winsock::Start(0x0202);
    ASSERT_TRUE(ours);
    JournalHandleDestruction(journal);
    const std::size_t mark = journal->Lines().size();

    host.Unload();
    JournalHandleDestruction(nullptr);

    EXPECT_THAT(
        alpha.JournalSince(mark),
        ElementsAreArray(Calls(L"window.Destroy(alpha)|data.Release|entry.Release|handle.Destroy(alpha)|"
                               L"window.Destroy(bravo)|data.Release|entry.Release|handle.Destroy(bravo)|"
                               L"handle.Destroy(alpha)|handle.Destroy(bravo)|window.Destroy(command)")));
    EXPECT_EQ(alpha.entry->RefCount(), 1);
    EXPECT_EQ(bravo.data->RefCount(), 1);
    EXPECT_TRUE(SocketLayerStarted());  // ours is left
    ours.reset();
    EXPECT_FALSE(SocketLayerStarted());  // and was the only one left
}

const std::wstring IdentityString = L"5E2B7D14-90AC-4F3E-8B61-2D7C0A9E4F53";

class Commands : public testing::Test {
protected:
    // Commands that answer 0 whatever they did: what they did is read from the host's side.
    void Remove(VtHandle& handle) { host.Send(CMD_REMOVE_SESSION, reinterpret_cast<WPARAM>(&handle)); }
    void Forward(VtHandle& handle, LPARAM lParam) {
        HostWindowRecord record{&handle, &hostWindow};
        host.Send(CMD_FORWARD, reinterpret_cast<WPARAM>(&record), lParam);
    }

    PluginHost host;
    TestHostWindow hostWindow{host.forwardWindow};
};

// What creating a session calls: references, the password option, the tables in the host's order
// (players first, the host's user table, each column's heading before its width).
const wchar_t* const CreateCalls =
    L"data.AddRef|entry.AddRef|entry.BeginUpdate|"
    L"entry.AddLaunchOption(2,Password,The password used to connect to the server,0,1)|entry.EndUpdate|"
    L"data.BeginUpdate|data.AddTable(UsersTable)|data.SetTableTitle(UsersTable,Players)|"
    L"data.SetUserTable(UsersTable)|data.SetColumnCount(UsersTable,5)|"
    L"data.SetColumnName(UsersTable,0,Name)|data.SetColumnWidth(UsersTable,0,150)|"
    L"data.SetColumnName(UsersTable,1,Score)|data.SetColumnWidth(UsersTable,1,40)|"
    L"data.SetColumnName(UsersTable,2,Team)|data.SetColumnWidth(UsersTable,2,75)|"
    L"data.SetColumnName(UsersTable,3,Ping)|data.SetColumnWidth(UsersTable,3,50)|"
    L"data.SetColumnName(UsersTable,4,Packet Loss)|data.SetColumnWidth(UsersTable,4,125)|"
    L"data.AddTable(PropertiesTable)|data.SetTableTitle(PropertiesTable,Rules)|"
    L"data.SetColumnCount(PropertiesTable,2)|data.SetColumnName(PropertiesTable,0,Name)|"
    L"data.SetColumnWidth(PropertiesTable,0,140)|data.SetColumnName(PropertiesTable,1,Value)|"
    L"data.SetColumnWidth(PropertiesTable,1,140)|data.EndUpdate";

// Then the plugin menu acts on the session and resets the host's current server, forwarding sends
// the session's record, with its settings key, to the host window, and equal handles address it.
TEST_F(Commands, CreateHoldsReferencesOffersThePasswordAndLaysOutTablesThenMenuForwardAndEqualHandles) {
    TestServer server("Ser\xE9 7");  // é is 0xE9 in Windows-1252

    EXPECT_NE(host.CreateSession(server), nullptr);

    EXPECT_THAT(server.journal->Lines(), ElementsAreArray(Calls(CreateCalls)));
    EXPECT_EQ(server.entry->RefCount(), 2);
    EXPECT_EQ(server.data->RefCount(), 2);

    VtPluginMenu menu;
    VtPluginServerStruct other{VtHandle("other"), nullptr, nullptr};
    menu.SetCurrentPluginServerStruct(&other);
    EXPECT_EQ(
        host.Send(CMD_PLUGIN_MENU, reinterpret_cast<WPARAM>(&server.handle), reinterpret_cast<LPARAM>(&menu)),
        1);
    EXPECT_EQ(menu.CurrentPluginServerStruct(), nullptr);

    Forward(server.handle, 0x5A5A);
    ASSERT_EQ(host.forwarded.size(), 1u);
    EXPECT_EQ(host.forwarded[0].second, 0x5A5A);
    const auto* session = reinterpret_cast<const SessionRecord*>(host.forwarded[0].first);
    EXPECT_STREQ(session->handle.toCharString(), "Ser\xE9 7");
    EXPECT_EQ(session->serverEntry, server.entry.get());
    EXPECT_EQ(session->settingsKey, L"Servers\\Ser\u00E9 7\\" + IdentityString);

    TestServer twin("Ser\xE9 7");  // an equal handle, other host objects: no second session
    EXPECT_EQ(host.CreateSession(twin), nullptr);
    EXPECT_THAT(twin.journal->Lines(), IsEmpty());
    VtHandle equal("Ser\xE9 7");
    Remove(equal);
    EXPECT_EQ(server.entry->RefCount(), 1);
    EXPECT_THAT(host.NetworkWindows(host.parentWindow), IsEmpty());
}

TEST_F(Commands, RemoveDestroysTheWindowThenTheEntryAndLeavesAHandleThatDoesNothing) {
    TestServer server("alpha");
    const HWND window = host.CreateSession(server);
    host.OnWindowThread([&] { RecordWindowDestruction(server.journal, {{window, L"alpha"}}); });
    JournalHandleDestruction(server.journal);
    const std::size_t mark = server.journal->Lines().size();

    Remove(server.handle);
    // Gone: every command for it touches nothing and answers 0; the host's menu keeps its server.
    Remove(server.handle);
    VtPluginMenu menu;
    VtPluginServerStruct current{VtHandle("current"), nullptr, nullptr};
    menu.SetCurrentPluginServerStruct(&current);
    EXPECT_EQ(host.Send(CMD_LAUNCH, reinterpret_cast<WPARAM>(&server.handle)), 0);
    EXPECT_EQ(host.Send(CMD_PLUGIN_MENU, reinterpret_cast<WPARAM>(&server.handle),
                        reinterpret_cast<LPARAM>(&menu)),
              0);
    Forward(server.handle, 1);
    EXPECT_EQ(host.Ping(server), 0);
    JournalHandleDestruction(nullptr);

    // The registry's key handle goes with the entry, the session's own handle with the session.
    EXPECT_THAT(server.JournalSince(mark),
                ElementsAreArray(Calls(L"window.Destroy(alpha)|handle.Destroy(alpha)|data.Release|"
                                       L"entry.Release|handle.Destroy(alpha)")));
    EXPECT_EQ(server.entry->RefCount(), 1);
    EXPECT_EQ(server.data->RefCount(), 1);
    EXPECT_THAT(host.NetworkWindows(host.parentWindow), IsEmpty());
    EXPECT_EQ(menu.CurrentPluginServerStruct(), &current);
    EXPECT_THAT(host.forwarded, IsEmpty());
}

// Command 1037 goes the unload's way (the order is the unload's test's): every session gone. Sent
// while a ping runs, as a host may, it waits for the ping, which shows its answer, and the
// session's references go after the ping's own.
TEST_F(Commands, ReleaseAllRemovesEverySessionOnceThePingRunningEnds) {
    tribes_emu::TribesEmulator late(tribes_emu::DefaultServer(),
                                    {tribes_emu::ReplyMode::Delay, std::chrono::milliseconds(500)});
    TestServer charlie("charlie"), alpha("alpha");
    alpha.entry->SetPort(late.Port());
    for (TestServer* server : {&charlie, &alpha}) host.CreateSession(*server);
    std::thread ping([&] { EXPECT_EQ(host.Ping(alpha), 1); });
    EXPECT_TRUE(late.WaitForQueries(1, std::chrono::seconds(10)));

    host.Send(CMD_RELEASE_ALL);
    ping.join();

    EXPECT_TRUE(Follows(alpha.journal->Lines(),
                        L"...|data.RecordPlayerCount(12)|data.SetStatusText(*)|data.EndUpdate|"
                        L"entry.Release|data.Release|data.Release|entry.Release"));
    for (TestServer* server : {&charlie, &alpha}) {
        EXPECT_EQ(host.Ping(*server), 0);
        EXPECT_EQ(server->entry->RefCount() + server->data->RefCount(), 2);
    }
    EXPECT_THAT(host.NetworkWindows(host.parentWindow), IsEmpty());
}

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
    for (int item : {0, 1, 2, 3, 4, 5, -1, 1000}) {
        EXPECT_EQ(host.Send(CMD_QUERY_SUPPORT, static_cast<WPARAM>(item)),
                  item == 0 || item == 3 || item == 4)
            << "item " << item;
    }
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
