// Every host call a ping makes, made to fail, one at a time, in one of the ways a host can fail
// (each way on several calls): a C++ exception, the platform compiler's exception, a structured
// exception of the host's own, an access violation, and one inside an exception frame of the
// host's that passes it on. The ping export reports it once as "Plugin Error", gives back every
// reference, lock, bracket and socket in its order, and the session's next ping works. Each ping
// runs inside an exception frame of the host's own, whose handler alone takes a fault the host
// makes in that frame after the ping. (That a fault the host handles in its own frame never
// reaches the trap, before and after trapped ones, is the trap's own test.)
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tests/plugin/outcome_checks_win.h"
#include "tests/support/test_support.h"
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
    const wchar_t* givenBack;  // the calls after the failed one, before the report reads the label
    ReplyMode server = ReplyMode::Normal;
    When when = When::FromTheStart;
    HostFault fault = HostFault::None;  // how the call fails
};

std::string Name(const FaultCase& c) {
    const std::wstring operation(c.operation);
    const std::string name =
        (c.object == Object::Entry ? "Entry" : "Data") + std::string(operation.begin(), operation.end());
    return (c.server == ReplyMode::Silent ? name + "OnTimeout" : name) + "Fault" +
           std::to_string(static_cast<int>(c.fault));
}

void PrintTo(const FaultCase& c, std::ostream* out) {
    *out << Name(c);
}

const HostFault EscapingFaults[] = {HostFault::Exception, HostFault::PlatformCppException,
                                    HostFault::StructuredException, HostFault::AccessViolation,
                                    HostFault::PassedFault};

class HostCallFault : public testing::TestWithParam<FaultCase> {
protected:
    void SetUp() override {
        server.entry->SetPort(emulator.Port());
        server.entry->SetTimeout(1);
        host.CreateSession(server);
    }
    // A ping; the fault (if any) is planned once the ping reached the point the case names.
    int Ping(HostFault fault = HostFault::None) {
        const FaultCase& c = GetParam();
        CallProbe& object = c.object == Object::Entry ? *server.entryProbe : *server.dataProbe;
        const int queriesBefore = emulator.QueryCount();
        if (c.when == When::FromTheStart) object.InjectFault(c.operation, fault);
        int result = -1;
        test_support::Within(PingLimit(1), "a ping", [&] {
            std::thread planner;
            if (c.when == When::AfterTheQuery && fault != HostFault::None) {
                planner = std::thread([&] {
                    EXPECT_TRUE(emulator.WaitForQueries(queriesBefore + 1, std::chrono::seconds(2)));
                    object.InjectFault(c.operation, fault);
                });
            }
            // Inside a frame of the host's own, which makes a fault of its own after the ping.
            auto ping = [&] { result = host.Ping(server); };
            EXPECT_EQ(FaultInHostFrameAfter(ping), 1) << "the host's own fault after the ping";
            if (planner.joinable()) planner.join();
        });
        return result;
    }

    tribes_emu::TribesEmulator emulator{tribes_emu::DefaultServer(), {}};
    PluginHost host;
    TestServer server{"alpha"};
};

TEST_P(HostCallFault, IsReportedOnceAndEverythingTheCycleHeldIsGivenBackInOrder) {
    const FaultCase& c = GetParam();
    const std::wstring failed =
        (c.object == Object::Entry ? L"entry." : L"data.") + std::wstring(c.operation) + L"*";
    emulator.SetBehaviour({c.server});
    const int socketsBefore = test_support::OpenSocketCount();
    const std::size_t mark = server.journal->Lines().size();
    ClearVtErrorReports();

    EXPECT_EQ(Ping(c.fault), 0);

    const auto reports = VtErrorReports();
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0].title, L"Plugin Error");
    EXPECT_EQ(reports[0].text,
              L"A error occured in an unknown plugin while pinging \"Alpha server\". This may cause a "
              L"greater plugin crash.");
    const std::wstring givenBack = *c.givenBack ? std::wstring(L"|") + c.givenBack : L"";
    EXPECT_TRUE(Follows(server.JournalSince(mark), L"...|" + failed + givenBack + L"|entry.GetLabel"))
        << testing::PrintToString(server.JournalSince(mark));
    ExpectNothingHeld(server);
    EXPECT_EQ(test_support::OpenSocketCount(), socketsBefore);

    ClearVtErrorReports();
    emulator.SetBehaviour({});
    EXPECT_EQ(Ping(), 1);
    ExpectReplyShown(server, tribes_emu::DefaultServer());
    EXPECT_TRUE(VtErrorReports().empty());
    ExpectNothingHeld(server);
}

// Each call in the order a ping makes it, with what is given back when it fails: locks and
// brackets latest first, then the references in the order they were taken; a call that fails
// to give back is made once more. The outcome of a silent server for the calls only a timeout
// makes.
const wchar_t* const Refs = L"entry.Release|data.Release";
const wchar_t* const Locked = L"entry.Unlock|entry.Release|data.Release";
const wchar_t* const InBracket = L"data.EndUpdate|entry.Release|data.Release";

struct CallsGivingBack {
    Object object;
    std::vector<const wchar_t*> operations;
    const wchar_t* givenBack;
    ReplyMode server = ReplyMode::Normal;
    When when = When::FromTheStart;
};
const CallsGivingBack Calls[] = {
    {Object::Entry, {L"AddRef"}, L""},
    {Object::Data, {L"AddRef"}, L"entry.Release"},
    {Object::Entry, {L"Lock"}, Refs},
    {Object::Entry, {L"GetAddress", L"GetPort", L"GetTimeout", L"Unlock"}, Locked},
    {Object::Data, {L"BeginUpdate"}, Refs},
    {Object::Data,
     {L"ClearTable", L"AddRow", L"GetRowCount", L"SetCell", L"GetCell", L"SetStatusDetail", L"SetServerName",
      L"SetMapName", L"SetMaxPlayers", L"SetPlayerCount", L"RecordPlayerCount", L"SetStatusText"},
     InBracket},
    {Object::Data, {L"ClearTable", L"RecordNoResponse"}, InBracket, ReplyMode::Silent, When::AfterTheQuery},
    {Object::Data, {L"EndUpdate"}, InBracket},
    {Object::Entry, {L"Release"}, Refs},
    {Object::Data, {L"Release"}, L"data.Release"},
};

// Each call fails in one of the ways, in turn: the trap's own tests take every way through
// every mechanism, these what each call leaves to give back.
std::vector<FaultCase> Cases() {
    std::vector<FaultCase> cases;
    for (const CallsGivingBack& calls : Calls) {
        for (const wchar_t* operation : calls.operations) {
            cases.push_back({calls.object, operation, calls.givenBack, calls.server, calls.when,
                             EscapingFaults[cases.size() % std::size(EscapingFaults)]});
        }
    }
    return cases;
}

INSTANTIATE_TEST_SUITE_P(EachCall, HostCallFault, testing::ValuesIn(Cases()),
                         [](const testing::TestParamInfo<FaultCase>& info) { return Name(info.param); });

// The report meets a fault of its own: a label that cannot be read leaves the server unnamed; a
// reporter that fails takes the report with it, and the next report is made as usual. The ping
// answers 0 and holds nothing, whatever the report met.
TEST(ReportFault, TheFailedPingGivesEverythingBackAndTheReporterGoesOn) {
    const struct {
        HostFault label, reporter;
        std::size_t reports;
    } cases[] = {{HostFault::None, HostFault::StructuredException, 0},
                 {HostFault::Exception, HostFault::AccessViolation, 0},
                 {HostFault::AccessViolation, HostFault::None, 1}};
    PluginHost host;
    TestServer server{"alpha"};
    host.CreateSession(server);
    for (const auto& c : cases) {
        ClearVtErrorReports();
        server.dataProbe->InjectFault(L"SetMapName", HostFault::Exception);  // every outcome writes it
        server.entryProbe->InjectFault(L"GetLabel", c.label);
        InjectErrorFault(c.reporter);
        test_support::Within(PingLimit(2), "a ping", [&] {
            auto ping = [&] { EXPECT_EQ(host.Ping(server), 0); };
            EXPECT_EQ(FaultInHostFrameAfter(ping), 1) << "the host's own fault after the ping";
        });
        const std::vector<ErrorReport> reports = VtErrorReports();
        ASSERT_EQ(reports.size(), c.reports);
        if (c.reports) {
            EXPECT_THAT(reports[0].text, testing::HasSubstr(L"while pinging \"\". This"));
        }
        ExpectNothingHeld(server);
    }
}

}  // namespace
}  // namespace integration
