// A host object that fails during a ping, a command or the unload, in each way a host can fail: a
// C++ exception, the platform compiler's exception, a structured exception of the host's own, an
// access violation, and one inside an exception frame of the host's that passes it on. Nothing
// unwinds into the host, the window manager or the loader; what was taken is given back in its
// order and nothing half-made stays; the failure is reported once as "Plugin Error" (never at the
// unload); the plugin goes on working. A host that called from inside an exception frame of its
// own finds that frame's handler the one that takes its next fault. (That a fault the host
// handles in its own frame never reaches the trap is the trap's own test.)
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tests/plugin/plugin_host_win.h"
#include "tests/support/test_support.h"
#include "tools/tribes_emu/emulator.h"

namespace integration {
namespace {

using testing::HasSubstr;
using tribes_emu::ReplyMode;

enum class Object { Entry, Data, Menu, HostWindow };

std::string Name(Object object, const wchar_t* operation) {
    const char* objects[] = {"Entry", "Data", "Menu", "HostWindow"};
    const std::wstring call(operation);
    return objects[static_cast<int>(object)] + std::string(call.begin(), call.end());
}

const HostFault EscapingFaults[] = {HostFault::Exception, HostFault::PlatformCppException,
                                    HostFault::StructuredException, HostFault::AccessViolation,
                                    HostFault::PassedFault};

// The one report of a failure while doing activity.
void ExpectReported(const wchar_t* activity) {
    const auto reports = VtErrorReports();
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0].title, L"Plugin Error");
    EXPECT_THAT(reports[0].text, HasSubstr(std::wstring(L"while ") + activity + L" \""));
}

// A ping inside a frame of the host's own, which makes a fault of its own after the ping.
int PingInHostFrame(PluginHost& host, TestServer& server) {
    int result = -1;
    auto ping = [&] { result = host.Ping(server); };
    EXPECT_EQ(FaultInHostFrameAfter(ping), 1) << "the host's own fault after the ping";
    return result;
}

enum class When {
    FromTheStart,   // the ping's first call of the operation fails
    AfterTheQuery,  // the first call after the query went out fails (the outcome's, say)
};

struct PingFault {
    Object object;
    const wchar_t* operation;
    const wchar_t* givenBack;  // the calls after the failed one, before the report reads the label
    ReplyMode server = ReplyMode::Normal;
    When when = When::FromTheStart;
    HostFault fault = HostFault::None;  // how the call fails
};

void PrintTo(const PingFault& c, std::ostream* out) {
    *out << Name(c.object, c.operation);
}

class HostCallFault : public testing::TestWithParam<PingFault> {
protected:
    void SetUp() override {
        server.entry->SetPort(emulator.Port());
        server.entry->SetTimeout(1);
        host.CreateSession(server);
    }
    // A ping; the fault (if any) is planned once the ping reached the point the case names.
    int Ping(HostFault fault = HostFault::None) {
        const PingFault& c = GetParam();
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
            result = PingInHostFrame(host, server);
            if (planner.joinable()) planner.join();
        });
        return result;
    }

    tribes_emu::TribesEmulator emulator{tribes_emu::DefaultServer(), {}};
    PluginHost host;
    TestServer server{"alpha"};
};

TEST_P(HostCallFault, IsReportedOnceAndEverythingTheCycleHeldIsGivenBackInOrder) {
    const PingFault& c = GetParam();
    const std::wstring failed =
        (c.object == Object::Entry ? L"entry." : L"data.") + std::wstring(c.operation) + L"*";
    emulator.SetBehaviour({c.server});
    const int socketsBefore = test_support::OpenSocketCount();
    const std::size_t mark = server.journal->Lines().size();
    ClearVtErrorReports();

    EXPECT_EQ(Ping(c.fault), 0);

    ExpectReported(L"pinging");
    EXPECT_EQ(VtErrorReports().at(0).text,
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
const CallsGivingBack PingCalls[] = {
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
std::vector<PingFault> PingFaults() {
    std::vector<PingFault> cases;
    for (const CallsGivingBack& calls : PingCalls) {
        for (const wchar_t* operation : calls.operations) {
            cases.push_back({calls.object, operation, calls.givenBack, calls.server, calls.when,
                             EscapingFaults[cases.size() % std::size(EscapingFaults)]});
        }
    }
    return cases;
}

INSTANTIATE_TEST_SUITE_P(EachCall, HostCallFault, testing::ValuesIn(PingFaults()),
                         [](const testing::TestParamInfo<PingFault>& info) {
                             const PingFault& c = info.param;
                             return Name(c.object, c.operation) +
                                    (c.server == ReplyMode::Silent ? "OnTimeout" : "") + "Fault" +
                                    std::to_string(static_cast<int>(c.fault));
                         });

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
        test_support::Within(PingLimit(2), "a ping", [&] { EXPECT_EQ(PingInHostFrame(host, server), 0); });
        const std::vector<ErrorReport> reports = VtErrorReports();
        ASSERT_EQ(reports.size(), c.reports);
        if (c.reports) {
            EXPECT_THAT(reports[0].text, HasSubstr(L"while pinging \"\". This"));
        }
        ExpectNothingHeld(server);
    }
}

enum class Command { Create, Remove, ReleaseAll, Launch, Menu, Forward };

struct CommandCall {
    Command command;
    Object object;
    const wchar_t* operation;
};

std::string Name(const CommandCall& call) {
    const char* commands[] = {"Create", "Remove", "ReleaseAll", "Launch", "Menu", "Forward"};
    return commands[static_cast<int>(call.command)] + Name(call.object, call.operation);
}

class CommandFault : public testing::TestWithParam<CommandCall> {
protected:
    // A new server with a session; its launch starts the fake game, which records nothing.
    std::unique_ptr<TestServer> NewSession(const char* handle) {
        auto server = std::make_unique<TestServer>(handle);
        server->entry->SetExecutablePath(test_support::ProgramFolder() + L"fake_game.exe");
        host.CreateSession(*server);
        return server;
    }
    void Plan(TestServer& server, HostFault fault) {
        const wchar_t* const operation = GetParam().operation;
        switch (GetParam().object) {
            case Object::Entry:
                return server.entryProbe->InjectFault(operation, fault);
            case Object::Data:
                return server.dataProbe->InjectFault(operation, fault);
            case Object::Menu:
                return InjectMenuFault(menu, fault);
            case Object::HostWindow:
                hostWindow.fault = fault;
        }
    }
    LRESULT Send(Command command, TestServer& server) {
        switch (command) {
            case Command::Create: {
                SessionCreateRecord record = server.Record();
                return host.Send(CMD_CREATE_SESSION, reinterpret_cast<WPARAM>(&record));
            }
            case Command::Remove:
                return host.Send(CMD_REMOVE_SESSION, reinterpret_cast<WPARAM>(&server.handle));
            case Command::ReleaseAll:
                return host.Send(CMD_RELEASE_ALL);
            case Command::Launch:
                return host.Send(CMD_LAUNCH, reinterpret_cast<WPARAM>(&server.handle));
            case Command::Menu:
                return host.Send(CMD_PLUGIN_MENU, reinterpret_cast<WPARAM>(&server.handle),
                                 reinterpret_cast<LPARAM>(&menu));
            case Command::Forward: {
                HostWindowRecord record{&server.handle, &hostWindow};
                return host.Send(CMD_FORWARD, reinterpret_cast<WPARAM>(&record), 7);
            }
        }
        return -1;
    }
    // The command sent on the window thread inside an exception frame of the host's own, whose
    // handler alone takes a fault the host makes in that frame after the command.
    LRESULT SendInHostFrame(Command command, TestServer& server) {
        LRESULT result = -1;
        EXPECT_EQ(host.InHostFrameOnWindowThread([&] { result = Send(command, server); }), 1)
            << "the host's own fault after the command";
        return result;
    }
    // Whether the plugin holds a session for server: the plugin menu answers 1 only then.
    bool Registered(TestServer& server) {
        VtPluginMenu probe;
        return host.Send(CMD_PLUGIN_MENU, reinterpret_cast<WPARAM>(&server.handle),
                         reinterpret_cast<LPARAM>(&probe)) == 1;
    }

    PluginHost host;
    VtPluginMenu menu;
    TestHostWindow hostWindow{host.forwardWindow};
};

// The command answers 0 (launch and menu answer 1 when done).
TEST_P(CommandFault, AnswersZeroUndoesTheCommandAndReportsOnce) {
    const CommandCall call = GetParam();
    for (HostFault fault : EscapingFaults) {
        SCOPED_TRACE(static_cast<int>(fault));
        ClearVtErrorReports();
        host.forwarded.clear();
        const std::size_t windowsBefore = host.NetworkWindows(host.parentWindow).size();
        std::unique_ptr<TestServer> server;
        std::unique_ptr<TestServer> neighbours[2];
        if (call.command == Command::Create) {
            server = std::make_unique<TestServer>("alpha");
        } else if (call.command == Command::ReleaseAll) {
            neighbours[0] = NewSession("a-first");
            server = NewSession("b-middle");
            neighbours[1] = NewSession("c-last");
        } else {
            server = NewSession("alpha");
        }
        Plan(*server, fault);

        const LRESULT answer = SendInHostFrame(call.command, *server);

        EXPECT_EQ(server->entry->LockDepth(), 0);
        EXPECT_EQ(server->entry->UpdateDepth(), 0);
        EXPECT_EQ(server->data->UpdateDepth(), 0);
        switch (call.command) {
            case Command::Create:
                ExpectReported(L"adding");
                EXPECT_EQ(server->entry->RefCount(), 1);
                EXPECT_EQ(server->data->RefCount(), 1);
                EXPECT_EQ(host.NetworkWindows(host.parentWindow).size(), windowsBefore);
                EXPECT_FALSE(Registered(*server));
                break;
            case Command::Remove:
            case Command::ReleaseAll: {
                ExpectReported(L"removing");
                // The failed Release did nothing; the other object was still given back.
                const bool entryFailed = call.object == Object::Entry;
                EXPECT_EQ(server->entry->RefCount(), entryFailed ? 2 : 1);
                EXPECT_EQ(server->data->RefCount(), entryFailed ? 1 : 2);
                EXPECT_FALSE(Registered(*server));
                for (auto& neighbour : neighbours) {
                    if (!neighbour) continue;
                    EXPECT_EQ(neighbour->entry->RefCount(), 1);
                    EXPECT_FALSE(Registered(*neighbour));
                }
                EXPECT_EQ(host.NetworkWindows(host.parentWindow).size(), windowsBefore);
                break;
            }
            case Command::Launch:
                ExpectReported(L"launching");
                EXPECT_EQ(answer, 0);  // 1 once the launch's work is done
                EXPECT_TRUE(Registered(*server));
                break;
            case Command::Menu:
                ExpectReported(L"showing the menu of");
                EXPECT_EQ(answer, 0);
                EXPECT_EQ(menu.CurrentPluginServerStruct(), nullptr);
                break;
            case Command::Forward:
                ExpectReported(L"forwarding");
                EXPECT_TRUE(host.forwarded.empty());
                break;
        }
        // The plugin goes on: the same command without a fault does its work.
        if (call.command == Command::Create) {
            ClearVtErrorReports();
            SendInHostFrame(Command::Create, *server);
            EXPECT_TRUE(Registered(*server));
            EXPECT_EQ(server->entry->RefCount(), 2);
            EXPECT_TRUE(VtErrorReports().empty());
        }
        host.Send(CMD_RELEASE_ALL);
    }
}

// The host calls of each command, in the order it makes them.
INSTANTIATE_TEST_SUITE_P(
    EachCall, CommandFault,
    testing::Values(CommandCall{Command::Create, Object::Data, L"AddRef"},
                    CommandCall{Command::Create, Object::Entry, L"AddRef"},
                    CommandCall{Command::Create, Object::Entry, L"BeginUpdate"},
                    CommandCall{Command::Create, Object::Entry, L"AddLaunchOption"},
                    CommandCall{Command::Create, Object::Entry, L"EndUpdate"},
                    CommandCall{Command::Create, Object::Data, L"BeginUpdate"},
                    CommandCall{Command::Create, Object::Data, L"SetColumnWidth"},
                    CommandCall{Command::Create, Object::Data, L"EndUpdate"},
                    CommandCall{Command::Remove, Object::Data, L"Release"},
                    CommandCall{Command::Remove, Object::Entry, L"Release"},
                    CommandCall{Command::ReleaseAll, Object::Data, L"Release"},
                    CommandCall{Command::ReleaseAll, Object::Entry, L"Release"},
                    CommandCall{Command::Launch, Object::Entry, L"Lock"},
                    CommandCall{Command::Launch, Object::Entry, L"GetExecutablePath"},
                    CommandCall{Command::Launch, Object::Entry, L"GetPort"},
                    CommandCall{Command::Launch, Object::Entry, L"GetLaunchOption"},
                    CommandCall{Command::Launch, Object::Entry, L"Unlock"},
                    CommandCall{Command::Menu, Object::Menu, L"SetCurrentPluginServerStruct"},
                    CommandCall{Command::Forward, Object::HostWindow, L"GetWindowHandle"}),
    [](const testing::TestParamInfo<CommandCall>& info) { return Name(info.param); });

// A remove of a handle the host can no longer read faults before any command's own trap, in the
// command window's last one: nothing unwinds into the window manager, and the registry is as it
// was.
TEST_F(CommandFault, AFaultInTheLastTrapLeavesTheSessionsAsTheyWere) {
    const std::unique_ptr<TestServer> server = NewSession("alpha");
    void* unreadable = VirtualAlloc(nullptr, 4096, MEM_COMMIT | MEM_RESERVE, PAGE_NOACCESS);
    ASSERT_NE(unreadable, nullptr);
    EXPECT_EQ(host.InHostFrameOnWindowThread(
                  [&] { host.Send(CMD_REMOVE_SESSION, reinterpret_cast<WPARAM>(unreadable)); }),
              1);
    VirtualFree(unreadable, 0, MEM_RELEASE);
    EXPECT_TRUE(Registered(*server));
    host.Send(CMD_REMOVE_SESSION, reinterpret_cast<WPARAM>(&server->handle));
    EXPECT_EQ(server->entry->RefCount() + server->data->RefCount(), 2);
}

// Unloading with a session whose giving back fails: the loader gets nothing, the other sessions
// and the failing one's other object are still given back, the command window goes, and
// nothing is reported to a host that is letting the plugin go.
TEST(UnloadFault, GoesOnWithTheOtherSessions) {
    for (HostFault fault : EscapingFaults) {
        SCOPED_TRACE(static_cast<int>(fault));
        ClearVtErrorReports();
        PluginHost host;
        TestServer first("a-first"), middle("b-middle"), last("c-last");
        for (TestServer* server : {&first, &middle, &last}) host.CreateSession(*server);
        middle.dataProbe->InjectFault(L"Release", fault);

        host.Unload();

        EXPECT_FALSE(IsWindow(host.commandWindow));
        EXPECT_EQ(first.data->RefCount(), 1);
        EXPECT_EQ(last.entry->RefCount(), 1);
        EXPECT_EQ(middle.entry->RefCount(), 1);
        EXPECT_TRUE(VtErrorReports().empty());
    }
}

}  // namespace
}  // namespace integration
