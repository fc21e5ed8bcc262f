#include "apps/vtquery/options.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using ::testing::ElementsAre;
using ::testing::HasSubstr;

namespace {

struct UsageCase {
    std::vector<std::string> arguments;
    const char* complaint;
};

class UsageErrors : public ::testing::TestWithParam<UsageCase> {};

TEST_P(UsageErrors, GiveMessageAndUsage) {
    const CommandLine line = ParseCommandLine(GetParam().arguments);
    ASSERT_EQ(line.kind, CommandLineKind::UsageError);
    EXPECT_THAT(line.text, HasSubstr(GetParam().complaint));
    EXPECT_THAT(line.text, HasSubstr("usage: vtquery"));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, UsageErrors,
    ::testing::Values(UsageCase{{}, "no servers given"}, UsageCase{{"127.0.0.1"}, "no port"},
                      UsageCase{{"--timeout", "soon", "127.0.0.1:1"}, "--timeout"},
                      UsageCase{{"--count", "0", "127.0.0.1:1"}, "--count"},
                      UsageCase{{"-j", "0", "127.0.0.1:1"}, "--jobs"},
                      UsageCase{{"--frobnicate", "127.0.0.1:1"}, "--frobnicate"},
                      UsageCase{{"-v", "--json", "127.0.0.1:1"}, "--json"},
                      UsageCase{{"--launch", "127.0.0.1:1"}, "--exe"},
                      UsageCase{{"--exe", "game.exe", "127.0.0.1:1"}, "--launch"},
                      UsageCase{{"--launch", "127.0.0.1:1", "--exe", "g.exe", "127.0.0.1:2"}, "--launch"},
                      UsageCase{{"--launch", "nowhere", "--exe", "g.exe"}, "no port"},
                      UsageCase{{"--master", "::1"}, "in brackets"},
                      UsageCase{{"127.0.0.1:1", "0.0.0.0:28001"}, "no server can have this address"},
                      UsageCase{{"--launch", "224.0.0.1:1", "--exe", "g.exe"}, "(multicast)"},
                      UsageCase{{"--master", "255.255.255.255"}, "(broadcast)"},
                      UsageCase{{"--master", "m", "--list", "-v"}, "--verbose"}));

TEST(CommandLine, RefreshOptions) {
    const CommandLine line = ParseCommandLine({"-v", "--timeout", "5", "--count", "3", "-j", "4", "--servers",
                                               "s.txt", "--plugin", "p.dll", "a:1", "b:2"});
    ASSERT_EQ(line.kind, CommandLineKind::Run) << line.text;
    const QueryOptions& options = line.options;
    EXPECT_THAT(options.servers, ElementsAre("a:1", "b:2"));
    EXPECT_EQ(options.serversFile, "s.txt");
    EXPECT_EQ(options.pluginPath, "p.dll");
    EXPECT_EQ(options.timeoutSeconds, 5);
    EXPECT_EQ(options.count, 3);
    EXPECT_EQ(options.jobs, 4);
    EXPECT_TRUE(options.verbose);
    EXPECT_FALSE(options.json);
    EXPECT_FALSE(options.launch);
}

TEST(CommandLine, MastersOneAnOptionBesideServers) {
    const CommandLine line = ParseCommandLine(
        {"--master", "m1", "--master", "m2:28004", "a:1", "--list", "--master-timeout", "2.5"});
    ASSERT_EQ(line.kind, CommandLineKind::Run) << line.text;
    EXPECT_THAT(line.options.masters, ElementsAre("m1", "m2:28004"));
    EXPECT_THAT(line.options.servers, ElementsAre("a:1"));
    EXPECT_TRUE(line.options.list);
    EXPECT_EQ(line.options.masterTimeoutSeconds, 2.5);
}

}  // namespace
