// What adding servers does to the table and says in the log: by hand, from a list file (its
// usable addresses, each once), and the rows the settings bring back at start.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "apps/vtbrowse/server_adding.h"

namespace {

using ::testing::ElementsAreArray;
using ::testing::StartsWith;

struct Adding {
    ServerTable table;
    std::vector<std::wstring> log;
    bool refreshing = false;
    ServerAdding adding{table, [this](const std::wstring& line) { log.push_back(line); },
                        [this] { return refreshing; }};
};

struct ImportCase {
    const char* name;
    std::vector<ServerAddress> before;  // listed by hand before
    const char* content;                // nullptr: no file
    bool refreshing;
    size_t rows;
    std::vector<std::wstring> log;  // after the path for "Read", whole lines otherwise
};

TEST(ServerAdding, ImportsUsableServersOnceAndSaysWhat) {
    const std::filesystem::path folder = std::filesystem::temp_directory_path() / "vtbrowse-adding-test";
    std::filesystem::create_directories(folder);
    const std::vector<ImportCase> cases = {
        {"repeats",
         {},
         "127.0.0.1:28001\n127.0.0.2:28001\n127.0.0.1:28001\n",
         false,
         2,
         {L"Read 3 servers from ", L"Added 2 servers"}},
        {"while refreshing",
         {},
         "127.0.0.1:28001 # mine\n",
         true,
         1,
         {L"Read 1 server from ", L"Added 1 server; they are refreshed after the running refresh"}},
        {"listed already", {{"10.0.0.1", 28001}}, "10.0.0.1:28001\n", false, 1, {L"Read 1 server from "}},
        {"unusable", {}, "127.0.0.1:28001\n224.0.0.1:28001\n", false, 0, {L"Nothing imported: "}},
        {"missing", {}, nullptr, false, 0, {L"Nothing imported: "}},
    };
    for (const ImportCase& test : cases) {
        SCOPED_TRACE(test.name);
        Adding adding;
        adding.refreshing = test.refreshing;
        adding.adding.Add(test.before);
        adding.log.clear();
        const std::filesystem::path path = folder / (std::string(test.name) + ".txt");
        std::filesystem::remove(path);
        if (test.content) std::ofstream(path, std::ios::binary) << test.content;
        const bool added = adding.adding.Import(path.wstring());
        EXPECT_EQ(added, test.log.size() == 2);
        EXPECT_EQ(adding.table.Size(), test.rows);
        ASSERT_EQ(adding.log.size(), test.log.size());
        EXPECT_THAT(adding.log[0], StartsWith(test.log[0]));
        if (test.log[0].rfind(L"Read ", 0) == 0) {
            EXPECT_EQ(adding.log[0], test.log[0] + path.wstring());
        }
        if (test.log.size() == 2) {
            EXPECT_EQ(adding.log[1], test.log[1]);
        }
    }
    std::filesystem::remove_all(folder);
}

TEST(ServerAdding, ListsTheSettingsServersThenWhatTheyKeepBeyondThem) {
    struct Case {
        const char* name;
        std::vector<ServerAddress> servers, more, favourites;
        std::vector<ListedByMasters> listed;
        std::vector<std::wstring> log;
    };
    const ServerAddress a{"127.0.0.1", 1}, b{"127.0.0.2", 1}, c{"127.0.0.3", 1};
    const std::vector<Case> cases = {
        {"nothing", {}, {}, {}, {}, {}},
        {"by hand and the command line", {a}, {b}, {}, {}, {L"Added 2 servers"}},
        {"from masters before", {}, {}, {}, {{b, {"m"}}}, {L"Listed 1 server the masters gave before"}},
        {"favourites beyond the rest",
         {a},
         {},
         {a, c},
         {{b, {"m"}}},
         {L"Added 1 server", L"Listed 1 server the masters gave before",
          L"Listed 1 server of favourites no master lists any more"}},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.name);
        Adding adding;
        BrowserSettings settings;
        settings.servers = test.servers;
        settings.listed = test.listed;
        settings.favourites = test.favourites;
        EXPECT_EQ(adding.adding.AddAtStart(settings, test.more), !test.log.empty());
        EXPECT_THAT(adding.log, ElementsAreArray(test.log));
        // What the settings keep afterwards brings the same rows back at the next start.
        BrowserSettings kept;
        adding.adding.Keep(kept);
        EXPECT_EQ(kept.servers.size(), test.servers.size() + test.more.size());
        EXPECT_EQ(kept.listed.size(), test.listed.size());
        EXPECT_EQ(kept.favourites.size(), test.favourites.size());
        Adding next;
        next.adding.AddAtStart(kept, {});
        EXPECT_EQ(next.table.Size(), adding.table.Size());
    }
}

}  // namespace
