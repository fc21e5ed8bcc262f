// vtbrowse's command line: servers, files and problems, each said where the user wrote it; and a
// command line handed to the vtbrowse open with its file paths made full, read back as given.
#include "apps/vtbrowse/command_line/browse_options.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "apps/vtbrowse/command_line/handover.h"

namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

TEST(BrowseOptions, ServersFilesAndProblemsFromTheCommandLine) {
    const BrowseOptions options =
        ParseBrowseOptions({"127.0.0.1:1", "--servers", "a.txt", "bad", "--most-sessions", "0", "--select",
                            "[::1]:5", "--join", "127.0.0.1:7", "224.0.0.1:2", "--join", "0.0.0.0:3",
                            "--frobnicate", "--settings", "s.txt", "--plugin"});
    EXPECT_EQ(options.servers, (std::vector<ServerAddress>{{"127.0.0.1", 1}}));
    EXPECT_THAT(options.serverFiles, ElementsAre(std::filesystem::path("a.txt")));
    EXPECT_EQ(options.settingsPath, "s.txt");
    ASSERT_TRUE(options.select.has_value());
    EXPECT_EQ(options.select->port, 5);
    ASSERT_TRUE(options.join.has_value());
    EXPECT_EQ(options.join->port, 7);
    EXPECT_EQ(options.mostSessions, 0u);
    EXPECT_THAT(
        options.problems,
        ElementsAre(HasSubstr(L"'bad' has no port"), HasSubstr(L"--most-sessions takes a whole number"),
                    L"'224.0.0.1:2': no server can have this address (multicast)",
                    L"--join: '0.0.0.0:3': no server can have this address (in 0.0.0.0/8)",
                    HasSubstr(L"unknown option '--frobnicate'"), HasSubstr(L"--plugin needs a value")));
}

// A later start's command line reaches the vtbrowse open as it was given, with its file paths made
// full (and only those: a value of another option is never taken for one).
TEST(BrowseOptions, HandedOverWithFullPathsAndReadBackAsGiven) {
    const auto full = [](const std::string& path) { return "C:\\work\\" + path; };
    const std::vector<std::string> given{
        "--servers",  "a.txt",          "--select", "--servers",  "127.0.0.1:1", "--plugin",
        "p.vtplugin", "»TCB« \"q\" \\", "",         "--settings", "s.txt",       "--servers"};
    const std::vector<std::string> handed = WithFullPaths(given, full);
    EXPECT_THAT(handed, ElementsAre("--servers", "C:\\work\\a.txt", "--select", "--servers", "127.0.0.1:1",
                                    "--plugin", "C:\\work\\p.vtplugin", "»TCB« \"q\" \\", "", "--settings",
                                    "C:\\work\\s.txt", "--servers"));
    const std::optional<std::string> packed = PackHandover(handed);
    ASSERT_TRUE(packed.has_value());
    EXPECT_EQ(ReadHandover(packed->data(), packed->size()), handed);
    // Beyond what the receiver takes, nothing is packed.
    EXPECT_FALSE(PackHandover(std::vector<std::string>(MostHandoverArguments + 1, "1")).has_value());
    EXPECT_FALSE(PackHandover({std::string(MostHandoverBytes, 'a')}).has_value());
}

}  // namespace
