// A host object that fails during a command, or while the plugin is unloaded: nothing unwinds
// into the window manager or the loader. The command answers 0 (launch and menu answer 1 when
// done), closes the update brackets and gives back the locks and references it took, leaves no
// half-made session, reports once, and the plugin goes on working; a host that sent it from
// inside an exception frame of its own finds that frame's handler the one that takes its next
// fault.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tests/plugin/plugin_host_win.h"
#include "tests/support/test_support.h"

namespace integration {
namespace {

using testing::HasSubstr;

enum class Command { Create, Remove, ReleaseAll, Launch, Menu, Forward };
enum class Object { Entry, Data, Menu, HostWindow };

struct CommandCall {
    Command command;
    Object object;
    const wchar_t* operation;
};

// The faults that leave the host call.
const HostFault EscapingFaults[] = {HostFault::Exception, HostFault::PlatformCppException,
                                    HostFault::StructuredException, HostFault::AccessViolation};

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
        switch (GetParam().object) {
            case Object::Entry:
                server.entryProbe->InjectFault(GetParam().operation, fault);
                break;
            case Object::Data:
                server.dataProbe->InjectFault(GetParam().operation, fault);
                break;
            case Object::Menu:
                InjectMenuFault(menu, fault);
                break;
            case Object::HostWindow:
                hostWindow.fault = fault;
                break;
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
    // The one report of a failed command.
    void ExpectReported(const wchar_t* activity) {
        const auto reports = VtErrorReports();
        ASSERT_EQ(reports.size(), 1u);
        EXPECT_EQ(reports[0].title, L"Plugin Error");
        EXPECT_THAT(reports[0].text, HasSubstr(std::wstring(L"while ") + activity + L" \""));
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

std::string Name(const CommandCall& call) {
    const char* commands[] = {"Create", "Remove", "ReleaseAll", "Launch", "Menu", "Forward"};
    const char* objects[] = {"Entry", "Data", "Menu", "HostWindow"};
    const std::wstring operation(call.operation);
    return std::string(commands[static_cast<int>(call.command)]) + objects[static_cast<int>(call.object)] +
           std::string(operation.begin(), operation.end());
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
