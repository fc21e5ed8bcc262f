// Unloading the plugin with sessions still registered: every session goes before the command
// window, and each network window's start of the socket layer is cleaned up exactly once.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "owners/unique_resource.h"
#include "tests/integration/plugin_host.h"

namespace integration {
namespace {

using testing::ElementsAre;

// Whether this process may make a socket, i.e. someone holds the socket layer started.
bool SocketLayerStarted() {
    return static_cast<bool>(owners::unique_socket(socket(AF_INET, SOCK_DGRAM, 0)));
}

TEST(Unload, DestroysSessionsBeforeTheCommandWindowAndBalancesSocketLayerStarts) {
    ASSERT_FALSE(SocketLayerStarted()) << "nothing in this program may start the socket layer but the plugin";
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
    owners::unique_winsock ours = owners::unique_winsock::start(0x0202);
    ASSERT_TRUE(ours);
    const std::size_t mark = journal->Lines().size();

    host.Unload();

    EXPECT_THAT(
        alpha.JournalSince(mark),
        ElementsAre(L"window.Destroy(alpha)", L"data.Release", L"entry.Release", L"window.Destroy(bravo)",
                    L"data.Release", L"entry.Release", L"window.Destroy(command)"));
    EXPECT_EQ(alpha.entry->RefCount(), 1);
    EXPECT_EQ(bravo.data->RefCount(), 1);
    EXPECT_TRUE(SocketLayerStarted());  // ours is left
    ours.reset();
    EXPECT_FALSE(SocketLayerStarted());  // and was the only one left
}

}  // namespace
}  // namespace integration
