#include "plugin/launch/command_line.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <locale>
#include <memory>
#include <string>
#include <vector>

#include "host/probes/call_probe.h"
#include "host/services/server_objects.h"

namespace {

struct HostOption {
    int id;
    std::wstring value;
    int result;  // what the host answers for id
};

struct CompositionCase {
    const char* what;
    std::wstring parameters;
    std::vector<HostOption> options;
    std::wstring expected;
    std::wstring address = L"10.0.0.5";
    int port = 28001;
};

const std::vector<HostOption> ConfigAndName = {{ConfigFile, L"autoexec.cs", 1}, {PlayerName, L"Jet", 1}};
const std::vector<HostOption> None;

const CompositionCase Cases[] = {
    {"options, parameters, connect", L"-fast", ConfigAndName,
     L"+exec \"autoexec.cs\" +name \"Jet\" -fast +connect 10.0.0.5:28001"},
    {"placeholder takes the place of the connect text", L"+connect <address> -fast", ConfigAndName,
     L"+exec \"autoexec.cs\" +name \"Jet\" +connect 10.0.0.5:28001 -fast"},
    {"no options, no parameters", L"", None, L"+connect 10.0.0.5:28001"},
    {"options only, in config, name, password order",
     L"",
     {{Password, L"pw", 1}, {PlayerName, L"Jet", 1}, {ConfigFile, L"a.cs", 1}},
     L"+exec \"a.cs\" +name \"Jet\" +password \"pw\" +connect 10.0.0.5:28001"},
    {"password alone", L"-fast", {{Password, L"pw", 1}}, L"+password \"pw\" -fast +connect 10.0.0.5:28001"},
    {"only the first placeholder is replaced", L"-a <address> -b <address>", None,
     L"-a 10.0.0.5:28001 -b <address>"},
    {"parameters exactly the placeholder", L"<address>", None, L"10.0.0.5:28001"},
    {"placeholder in other letter case", L"-x <Address>", None, L"-x <Address> +connect 10.0.0.5:28001"},
    {"placeholder with a blank inside", L"-x <address >", None, L"-x <address > +connect 10.0.0.5:28001"},
    {"host answers 1 with an empty value, or another result with a value",
     L"",
     {{ConfigFile, L"", 1}, {PlayerName, L"Jet", 0}, {Password, L"pw", 2}},
     L"+connect 10.0.0.5:28001"},
    {"blanks and quotes inside values are copied unchanged",
     L"",
     {{PlayerName, L"Jet \"Pack\" One", 1}, {Password, L"a b", 1}},
     L"+name \"Jet \"Pack\" One\" +password \"a b\" +connect 10.0.0.5:28001"},
    {"port 0", L"", None, L"+connect 10.0.0.5:0", L"10.0.0.5", 0},
    {"negative port", L"<address>", None, L"10.0.0.5:-28001", L"10.0.0.5", -28001},
    {"empty address", L"", None, L"+connect :28001", L""},
};

class CommandLine : public ::testing::Test {
protected:
    void SetUp() override { Probe(*entry, journal); }

    void Configure(const CompositionCase& c) {
        entry->SetAddress(c.address);
        entry->SetPort(c.port);
        entry->SetLaunchParameters(c.parameters);
        for (const HostOption& option : c.options)
            entry->SetLaunchOptionValue(option.id, option.value, option.result);
    }

    // Every Lock was matched by an Unlock, in the journal, in the entry's own count and in the
    // holds the composition recorded them in.
    void ExpectLocksBalanced() {
        EXPECT_TRUE(holds.Empty());
        const auto lines = journal->Lines();
        EXPECT_EQ(std::count(lines.begin(), lines.end(), L"entry.Lock"),
                  std::count(lines.begin(), lines.end(), L"entry.Unlock"));
        EXPECT_EQ(entry->LockDepth(), 0);
    }

    HostRef<HostServerEntry> entry = HostRef<HostServerEntry>::Adopt(HostServerEntry::Create());
    std::shared_ptr<CallJournal> journal = std::make_shared<CallJournal>();
    SessionRecord session{{VtHandle("server"), nullptr, entry.get()}, L"Servers\\server"};
    error_trap::HostHolds holds;
};

TEST_F(CommandLine, ComposesEachCase) {
    for (const CompositionCase& c : Cases) {
        SCOPED_TRACE(c.what);
        entry = HostRef<HostServerEntry>::Adopt(HostServerEntry::Create());
        session.serverEntry = entry.get();
        journal->Clear();
        Probe(*entry, journal);
        Configure(c);

        std::wstring result = L"left over from an earlier launch";
        EXPECT_TRUE(ComposeCommandLine(session, result, holds));
        EXPECT_EQ(result, c.expected);
        ExpectLocksBalanced();
    }
}

// A process-wide locale that groups digits must not reach the port.
struct GroupingPunctuation : std::numpunct<wchar_t> {
    wchar_t do_thousands_sep() const override { return L','; }
    std::string do_grouping() const override { return "\3"; }
};

TEST_F(CommandLine, PortIgnoresTheGlobalLocale) {
    entry->SetPort(28001);
    const std::locale previous =
        std::locale::global(std::locale(std::locale::classic(), new GroupingPunctuation));
    std::wstring port;
    const bool formatted = FormatPort(session, port, holds);
    std::locale::global(previous);

    EXPECT_TRUE(formatted);
    EXPECT_EQ(port, L"28001");
    ExpectLocksBalanced();
}

}  // namespace
