// Server sessions through the command window: what creating, removing and releasing them does
// to the host objects (journal, references) and to the network message windows.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tests/integration/plugin_host.h"

namespace integration {
namespace {

using testing::Contains;
using testing::ElementsAreArray;
using testing::IsEmpty;

class Sessions : public testing::Test {
protected:
    LRESULT Remove(VtHandle& handle) {
        return host.Send(CMD_REMOVE_SESSION, reinterpret_cast<WPARAM>(&handle));
    }

    PluginHost host;
};

TEST_F(Sessions, CreateHoldsReferencesOffersThePasswordAndLaysOutTables) {
    TestServer server("alpha");

    EXPECT_NE(host.CreateSession(server), nullptr);

    const auto journal = server.journal->Lines();
    ASSERT_GE(journal.size(), 7u);
    EXPECT_THAT(
        std::vector<std::wstring>(journal.begin(), journal.begin() + 6),
        ElementsAreArray(Calls(L"data.AddRef|entry.AddRef|entry.BeginUpdate|"
                               L"entry.AddLaunchOption(2,Password,The password used to connect to the "
                               L"server,0,1)|entry.EndUpdate|data.BeginUpdate")));
    EXPECT_THAT(journal, Contains(L"data.AddTable(UsersTable)"));
    EXPECT_EQ(journal.back(), L"data.EndUpdate");
    EXPECT_EQ(server.entry->RefCount(), 2);
    EXPECT_EQ(server.data->RefCount(), 2);
}

TEST_F(Sessions, RemoveDestroysTheWindowAndDropsEachReferenceOnce) {
    TestServer server("alpha");
    host.CreateSession(server);
    const std::size_t mark = server.journal->Lines().size();

    EXPECT_EQ(Remove(server.handle), 0);
    EXPECT_EQ(Remove(server.handle), 0);  // gone: touches nothing
    EXPECT_EQ(host.Ping(server), 0);

    EXPECT_THAT(server.JournalSince(mark), ElementsAreArray(Calls(L"data.Release|entry.Release")));
    EXPECT_EQ(server.entry->RefCount(), 1);
    EXPECT_EQ(server.data->RefCount(), 1);
    EXPECT_THAT(host.NetworkWindows(host.parentWindow), IsEmpty());
}

TEST_F(Sessions, ReleaseAllDestroysEverySessionInHandleOrder) {
    auto journal = std::make_shared<CallJournal>();
    TestServer charlie("charlie", journal), alpha("alpha", journal), bravo("bravo", journal);
    std::map<HWND, std::wstring> names;
    for (TestServer* server : {&charlie, &alpha, &bravo}) {
        names[host.CreateSession(*server)] = Widen(server->handle.toCharString());
    }
    host.OnWindowThread([&] { RecordWindowDestruction(journal, names); });
    const std::size_t mark = journal->Lines().size();

    EXPECT_EQ(host.Send(CMD_RELEASE_ALL), 0);

    EXPECT_THAT(
        alpha.JournalSince(mark),
        ElementsAreArray(Calls(L"window.Destroy(alpha)|data.Release|entry.Release|window.Destroy(bravo)|"
                               L"data.Release|entry.Release|window.Destroy(charlie)|data.Release|"
                               L"entry.Release")));
    for (TestServer* server : {&charlie, &alpha, &bravo}) EXPECT_EQ(host.Ping(*server), 0);
}

TEST_F(Sessions, EqualHandlesAddressOneSessionAndASecondCreateChangesNothing) {
    TestServer first("alpha");
    TestServer second("alpha");  // another handle object with the same text, other host objects
    host.CreateSession(first);

    EXPECT_EQ(host.CreateSession(second), nullptr);  // no second window
    EXPECT_THAT(second.journal->Lines(), IsEmpty());

    VtHandle equal("alpha");
    EXPECT_EQ(Remove(equal), 0);
    EXPECT_EQ(first.entry->RefCount(), 1);  // the first session went
    EXPECT_THAT(host.NetworkWindows(host.parentWindow), IsEmpty());
}

}  // namespace
}  // namespace integration
