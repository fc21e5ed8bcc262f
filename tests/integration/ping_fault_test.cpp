// A host object that throws or faults inside a ping: the export reports it once as "Plugin
// Error" and gives back everything the cycle held: socket, lock, bracket and references.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tests/integration/plugin_host.h"
#include "tools/tribes_emu/emulator.h"

namespace integration {
namespace {

using tribes_emu::UdpEndpoint;

bool CanBind(std::uint16_t port) {
    try {
        UdpEndpoint::BindLoopback(port);
        return true;
    } catch (const std::system_error&) {
        return false;
    }
}

struct FaultCase {
    const char* name;
    const wchar_t* operation;  // the host call that fails
    HostFault fault;
    bool afterSend;         // the cycle's socket is open and its query out when the call fails
    const wchar_t* ending;  // the last calls: what fails, the giving back, the report's label
};

class PingFault : public testing::TestWithParam<FaultCase> {
protected:
    // Pings on a thread of its own while this thread plays the server, answering the query
    // with a full reply. The port the query came from, or 0 when none came.
    std::uint16_t PingAndAnswer() {
        std::thread pinger([this] { result = host.Ping(server); });
        std::vector<std::uint8_t> query;
        std::optional<tribes_emu::Peer> client;
        if (tribes_emu::WaitForDatagrams({&endpoint}, std::chrono::seconds(1)).at(0)) {
            client = endpoint.ReceiveFrom(query);
            // While the cycle's socket is open its port is taken: the check after the ping can tell.
            if (client) {
                EXPECT_FALSE(CanBind(client->port));
                endpoint.SendTo(*client, tribes_emu::BuildReply(tribes_emu::DefaultServer()));
            }
        }
        pinger.join();
        return client ? client->port : 0;
    }

    PluginHost host;
    TestServer server{"alpha"};
    tribes_emu::SocketLayer socketLayer;
    UdpEndpoint endpoint = UdpEndpoint::BindLoopback(0);
    int result = -1;
};

TEST_P(PingFault, ReportsOncePluginErrorAndGivesBackWhatTheCycleHeld) {
    server.entry->SetPort(endpoint.LocalPort());
    host.CreateSession(server);
    ClearVtErrorReports();
    server.data->InjectFault(GetParam().operation, GetParam().fault);
    server.entry->InjectFault(GetParam().operation, GetParam().fault);

    const std::uint16_t clientPort = PingAndAnswer();

    const auto reports = VtErrorReports();
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0].title, L"Plugin Error");
    EXPECT_EQ(reports[0].text,
              L"A error occured in an unknown plugin while pinging \"Alpha server\". This may "
              L"cause a greater plugin crash.");
    EXPECT_EQ(clientPort != 0, GetParam().afterSend);
    if (clientPort) {
        EXPECT_TRUE(CanBind(clientPort)) << "the cycle's socket is still open";
    }
    EXPECT_EQ(server.entry->LockDepth(), 0);
    EXPECT_EQ(server.data->UpdateDepth(), 0);
    EXPECT_EQ(server.entry->RefCount(), 2);  // ours and the session's: the ping's own are gone
    EXPECT_EQ(server.data->RefCount(), 2);
    const auto ending = Calls(GetParam().ending);
    const auto journal = server.journal->Lines();
    EXPECT_THAT(
        std::vector<std::wstring>(journal.end() - static_cast<std::ptrdiff_t>(ending.size()), journal.end()),
        testing::ElementsAreArray(ending));

    // The thread, the trap and the session work as before.
    ClearVtErrorReports();
    PingAndAnswer();
    EXPECT_EQ(result, 1);
    EXPECT_EQ(server.data->Status().statusText, L"12/32 players on Alpha");
    EXPECT_TRUE(VtErrorReports().empty());
}

const wchar_t* const AfterParseFault =
    L"data.AddRow(PropertiesTable)|data.EndUpdate|entry.Release|data.Release|entry.GetLabel";

INSTANTIATE_TEST_SUITE_P(
    Integration, PingFault,
    testing::Values(FaultCase{"ExceptionWhileParsing", L"AddRow", HostFault::Exception, true,
                              AfterParseFault},
                    FaultCase{"AccessViolationWhileParsing", L"AddRow", HostFault::AccessViolation, true,
                              AfterParseFault},
                    FaultCase{"AccessViolationUnderTheLock", L"GetPort", HostFault::AccessViolation, false,
                              L"entry.GetPort|entry.Unlock|entry.Release|data.Release|entry.GetLabel"}),
    [](const testing::TestParamInfo<FaultCase>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace integration
