#include "apps/vtquery/options.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using ::testing::ElementsAre;
using ::testing::HasSubstr;

namespace {

TEST(VtqueryOptions, UsageErrorsGiveMessageAndUsage) {
    const struct {
        std::vector<std::string> arguments;
        const char* complaint;
    } cases[] = {
        {{}, "no servers given"},
        {{"127.0.0.1"}, "no port"},
        {{"--timeout", "soon", "127.0.0.1:1"}, "--timeout"},
        {{"--count", "0", "127.0.0.1:1"}, "--count"},
        {{"-j", "0", "127.0.0.1:1"}, "--jobs"},
        {{"--frobnicate", "127.0.0.1:1"}, "--frobnicate"},
        {{"-v", "--json", "127.0.0.1:1"}, "--json"},
        {{"--launch", "127.0.0.1:1"}, "--exe"},
        {{"--exe", "game.exe", "127.0.0.1:1"}, "--launch"},
        {{"--launch", "127.0.0.1:1", "--exe", "g.exe", "127.0.0.1:2"}, "--launch"},
        {{"--launch", "nowhere", "--exe", "g.exe"}, "no port"},
        {{"--master", "::1"}, "in brackets"},
        {{"127.0.0.1:1", "0.0.0.0:28001"}, "no server can have this address"},
        {{"--launch", "224.0.0.1:1", "--exe", "g.exe"}, "(multicast)"},
        {{"--master", "255.255.255.255"}, "(broadcast)"},
        {{"--master", "m", "--list", "-v"}, "--verbose"},
    };
    for (const auto& c : cases) {
        const CommandLine line = ParseCommandLine(c.arguments);
        ASSERT_EQ(line.kind, CommandLineKind::UsageError) << c.complaint;
        EXPECT_THAT(line.text, HasSubstr(c.complaint));
        EXPECT_THAT(line.text, HasSubstr("usage: vtquery"));
    }
}

TEST(VtqueryOptions, RefreshAndMasterOptions) {
    const CommandLine line = ParseCommandLine({"-v", "--timeout", "5", "--count", "3", "-j", "4", "--servers",
                                               "s.txt", "--plugin", "p.dll", "a:1", "--master", "m1",
                                               "--master", "m2:28004", "b:2", "--master-timeout", "2.5"});
    ASSERT_EQ(line.kind, CommandLineKind::Run) << line.text;
    const QueryOptions& options = line.options;
    EXPECT_THAT(options.servers, ElementsAre("a:1", "b:2"));
    EXPECT_THAT(options.masters, ElementsAre("m1", "m2:28004"));
    EXPECT_EQ(options.serversFile, "s.txt");
    EXPECT_EQ(options.pluginPath, "p.dll");
    EXPECT_EQ(options.timeoutSeconds, 5);
    EXPECT_EQ(options.masterTimeoutSeconds, 2.5);
    EXPECT_EQ(options.count, 3);
    EXPECT_EQ(options.jobs, 4);
    EXPECT_TRUE(options.verbose);
    EXPECT_FALSE(options.json);
    EXPECT_FALSE(options.launch);
    EXPECT_FALSE(options.list);
    EXPECT_TRUE(ParseCommandLine({"--master", "m1", "--list"}).options.list);
}

}  // namespace
