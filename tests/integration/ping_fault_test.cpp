// A host object that throws or faults inside a ping: the export reports it once as "Plugin
// Error" and gives back everything the cycle held: socket, lock, bracket and references.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "boundary/command_window.h"
#include "tests/integration/plugin_host.h"
#include "tools/tribes_emu/emulator.h"

namespace integration {
namespace {

using testing::ElementsAreArray;
using tribes_emu::Peer;
using tribes_emu::UdpEndpoint;

struct FaultCase {
    const char* name;
    const wchar_t* operation;  // the host call that fails
    HostFault fault;
    bool afterSend;  // the cycle has its socket open and its query out when the call fails
    std::vector<std::wstring> lastCalls;  // what the giving back and the report call
};

class PingFault : public testing::TestWithParam<FaultCase> {
protected:
    void SetUp() override {
        server.entry->SetPort(endpoint.LocalPort());
        SessionCreateRecord record = server.Record();
        host.Send(CMD_CREATE_SESSION, reinterpret_cast<WPARAM>(&record));
        ClearVtErrorReports();
    }

    // Pings on a thread of its own while this thread plays the server: answers the first query
    // with a full reply. Returns the port the plugin's query came from (0 when none came).
    std::uint16_t PingAndAnswer(bool expectQuery, bool portBusyWhileOpen = false) {
        std::thread pinger([this] { result = host.Ping(server.handle); });
        std::uint16_t clientPort = 0;
        const auto patience = std::chrono::milliseconds(expectQuery ? 2000 : 300);
        const bool queried = tribes_emu::WaitForDatagrams({&endpoint}, patience).at(0);
        if (queried) {
            std::vector<std::uint8_t> query;
            const std::optional<Peer> client = endpoint.ReceiveFrom(query);
            if (client) {
                clientPort = client->port;
                // The check below can tell: while the cycle's socket is open its port is taken.
                if (portBusyWhileOpen) {
                    EXPECT_FALSE(CanBind(clientPort));
                }
                endpoint.SendTo(*client, tribes_emu::BuildReply(tribes_emu::DefaultServer()));
            }
        }
        pinger.join();
        EXPECT_EQ(queried, expectQuery);
        return clientPort;
    }

    static bool CanBind(std::uint16_t port) {
        try {
            UdpEndpoint::BindLoopback(port);
            return true;
        } catch (const std::system_error&) {
            return false;
        }
    }

    PluginHost host;
    TestServer server{"alpha"};
    tribes_emu::SocketLayer socketLayer;
    UdpEndpoint endpoint = UdpEndpoint::BindLoopback(0);
    int result = -1;
};

TEST_P(PingFault, ReportsOncePluginErrorAndGivesBackWhatTheCycleHeld) {
    server.data->InjectFault(GetParam().operation, GetParam().fault);
    server.entry->InjectFault(GetParam().operation, GetParam().fault);

    const std::uint16_t clientPort = PingAndAnswer(GetParam().afterSend, GetParam().afterSend);

    const auto reports = VtErrorReports();
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0].title, L"Plugin Error");
    EXPECT_EQ(
        reports[0].text,
        L"A error occured in an unknown plugin while pinging \"Alpha server\". This may cause a greater "
        L"plugin crash.");
    if (GetParam().afterSend) {
        EXPECT_TRUE(CanBind(clientPort)) << "the cycle's socket is still open";
    }
    EXPECT_EQ(server.entry->LockDepth(), 0);
    EXPECT_EQ(server.data->UpdateDepth(), 0);
    EXPECT_EQ(server.entry->RefCount(), 2);  // ours and the session's: the ping's own are gone
    EXPECT_EQ(server.data->RefCount(), 2);
    const auto journal = server.journal->Lines();
    const auto& lastCalls = GetParam().lastCalls;
    ASSERT_GE(journal.size(), lastCalls.size());
    EXPECT_THAT(std::vector<std::wstring>(journal.end() - static_cast<std::ptrdiff_t>(lastCalls.size()),
                                          journal.end()),
                ElementsAreArray(lastCalls));

    // The thread, the trap and the session work as before.
    ClearVtErrorReports();
    PingAndAnswer(true);
    EXPECT_EQ(result, 1);
    EXPECT_EQ(server.data->Status().statusText, L"12/32 players on Alpha");
    EXPECT_TRUE(VtErrorReports().empty());
}

const std::vector<std::wstring> AfterParseFault = {L"data.AddRow(PropertiesTable)", L"data.EndUpdate",
                                                   L"entry.Release", L"data.Release", L"entry.GetLabel"};

INSTANTIATE_TEST_SUITE_P(Integration, PingFault,
                         testing::Values(FaultCase{"ExceptionWhileParsing", L"AddRow", HostFault::Exception,
                                                   true, AfterParseFault},
                                         FaultCase{"AccessViolationWhileParsing", L"AddRow",
                                                   HostFault::AccessViolation, true, AfterParseFault},
                                         FaultCase{"AccessViolationUnderTheLock",
                                                   L"GetPort",
                                                   HostFault::AccessViolation,
                                                   false,
                                                   {L"entry.GetPort", L"entry.Unlock", L"entry.Release",
                                                    L"data.Release", L"entry.GetLabel"}}),
                         [](const testing::TestParamInfo<FaultCase>& info) {
                             return std::string(info.param.name);
                         });

}  // namespace
}  // namespace integration
