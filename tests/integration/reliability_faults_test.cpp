// Every host call a ping makes, made to fail in every way a host can fail, one at a time: a C++
// exception, the platform compiler's exception, a structured exception of the host's own, an
// access violation, and one inside an exception frame of the host's that passes it on. The ping
// export reports it once as "Plugin Error", gives back every reference, lock, bracket and
// socket, and the session's next ping works. A fault the host handles in its own frame leaves
// the ping as it was. Every ping runs on one thread, as on a host's ping worker: after the
// trapped faults, the host's own frames on that thread still handle their faults.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tests/integration/reliability_support.h"
#include "tools/tribes_emu/emulator.h"

namespace integration {
namespace {

using tribes_emu::ReplyMode;

enum class Object { Entry, Data };
enum class When {
    FromTheStart,   // the ping's first call of the operation fails
    AfterTheQuery,  // the first call after the query went out fails (the outcome's, say)
};

struct FaultCase {
    Object object;
    const wchar_t* operation;
    ReplyMode server;
    When when;
};

std::string Name(const FaultCase& c) {
    std::wstring operation(c.operation);
    std::string name = c.object == Object::Entry ? "Entry" : "Data";
    name += std::string(operation.begin(), operation.end());
    return c.server == ReplyMode::Silent ? name + "OnTimeout" : name;
}

const HostFault EscapingFaults[] = {HostFault::Exception, HostFault::PlatformCppException,
                                    HostFault::StructuredException, HostFault::AccessViolation,
                                    HostFault::PassedFault};

void PrintTo(const FaultCase& c, std::ostream* out) {
    *out << Name(c);
}

class HostCallFault : public testing::TestWithParam<FaultCase> {
protected:
    void SetUp() override {
        server.entry->SetPort(emulator.Port());
        server.entry->SetTimeout(1);
        host.CreateSession(server);
    }
    // A ping on the ping thread; the fault is planned once the ping reached the point the case
    // names. The ping's result.
    int PingWithFault(HostFault fault) {
        const FaultCase& c = GetParam();
        HostObjectCore& object = c.object == Object::Entry ? static_cast<HostObjectCore&>(*server.entry)
                                                           : static_cast<HostObjectCore&>(*server.data);
        if (c.when == When::FromTheStart) object.InjectFault(c.operation, fault);
        int result = -1;
        watchdog.Within(PingLimit(1), "a ping whose host call fails", [&] {
            pinger.Start([&] { result = host.Ping(server); });
            if (c.when == When::AfterTheQuery) {
                EXPECT_TRUE(emulator.WaitForQueries(queriesBefore + 1, std::chrono::seconds(2)));
                object.InjectFault(c.operation, fault);
            }
            pinger.Wait();
        });
        return result;
    }
    int Ping() {
        int result = -1;
        watchdog.Within(PingLimit(1), "a ping", [&] {
            pinger.Start([&] { result = host.Ping(server); });
            pinger.Wait();
        });
        return result;
    }

    tribes_emu::TribesEmulator emulator{tribes_emu::DefaultServer(), {}};
    PluginHost host;
    TestServer server{"alpha"};
    Watchdog watchdog;
    WorkerThread pinger;
    int queriesBefore = 0;
};

TEST_P(HostCallFault, IsReportedOnceAndEverythingTheCycleHeldIsGivenBack) {
    const FaultCase& c = GetParam();
    for (HostFault fault : EscapingFaults) {
        SCOPED_TRACE(static_cast<int>(fault));
        emulator.SetBehaviour({c.server});
        queriesBefore = emulator.QueryCount();
        const int socketsBefore = OpenSocketCount();
        ClearVtErrorReports();

        EXPECT_EQ(PingWithFault(fault), 0);

        const auto reports = VtErrorReports();
        ASSERT_EQ(reports.size(), 1u);
        EXPECT_EQ(reports[0].title, L"Plugin Error");
        EXPECT_EQ(reports[0].text,
                  L"A error occured in an unknown plugin while pinging \"Alpha server\". This may cause a "
                  L"greater plugin crash.");
        ExpectNothingHeld(server);
        EXPECT_EQ(OpenSocketCount(), socketsBefore);

        ClearVtErrorReports();
        emulator.SetBehaviour({});
        EXPECT_EQ(Ping(), 1);
        ExpectReplyShown(server, tribes_emu::DefaultServer());
        EXPECT_TRUE(VtErrorReports().empty());
        ExpectNothingHeld(server);
    }
}

TEST_P(HostCallFault, AFaultTheHostHandlesItselfLeavesThePingAsItWas) {
    const FaultCase& c = GetParam();
    // A fault trapped on the ping thread first: the host's own frames there still work after it.
    emulator.SetBehaviour({});
    server.entry->InjectFault(L"GetTimeout", HostFault::PassedFault);
    EXPECT_EQ(Ping(), 0);
    emulator.SetBehaviour({c.server});
    queriesBefore = emulator.QueryCount();
    ClearVtErrorReports();

    EXPECT_EQ(PingWithFault(HostFault::HandledFault), 1);

    EXPECT_TRUE(VtErrorReports().empty());
    if (c.server == ReplyMode::Silent) {
        ExpectTimeoutShown(server);
    } else {
        ExpectReplyShown(server, tribes_emu::DefaultServer());
    }
    ExpectNothingHeld(server);
}

std::vector<FaultCase> AllCases() {
    struct Call {
        Object object;
        const wchar_t* operation;
        ReplyMode server = ReplyMode::Normal;
        When when = When::FromTheStart;
    };
    // In the order a ping makes them; the outcome of a silent server for the calls only a
    // timeout makes.
    const Call calls[] = {
        {Object::Entry, L"AddRef"},
        {Object::Data, L"AddRef"},
        {Object::Entry, L"Lock"},
        {Object::Entry, L"GetAddress"},
        {Object::Entry, L"GetPort"},
        {Object::Entry, L"GetTimeout"},
        {Object::Entry, L"Unlock"},
        {Object::Data, L"BeginUpdate"},
        {Object::Data, L"ClearTable"},
        {Object::Data, L"AddRow"},
        {Object::Data, L"GetRowCount"},
        {Object::Data, L"SetCell"},
        {Object::Data, L"GetCell"},
        {Object::Data, L"SetStatusDetail"},
        {Object::Data, L"SetServerName"},
        {Object::Data, L"SetMapName"},
        {Object::Data, L"SetMaxPlayers"},
        {Object::Data, L"SetPlayerCount"},
        {Object::Data, L"RecordPlayerCount"},
        {Object::Data, L"SetStatusText"},
        {Object::Data, L"ClearTable", ReplyMode::Silent, When::AfterTheQuery},
        {Object::Data, L"RecordNoResponse", ReplyMode::Silent, When::AfterTheQuery},
        {Object::Data, L"EndUpdate"},
        {Object::Entry, L"Release"},
        {Object::Data, L"Release"},
    };
    std::vector<FaultCase> cases;
    for (const Call& call : calls) cases.push_back({call.object, call.operation, call.server, call.when});
    return cases;
}

INSTANTIATE_TEST_SUITE_P(EachCall, HostCallFault, testing::ValuesIn(AllCases()),
                         [](const testing::TestParamInfo<FaultCase>& info) { return Name(info.param); });

}  // namespace
}  // namespace integration
