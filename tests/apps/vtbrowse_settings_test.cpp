// vtbrowse's settings file and command line.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "apps/vtbrowse/browse_options.h"
#include "apps/vtbrowse/settings_as_it_was.h"
#include "apps/vtbrowse/settings_file.h"

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::SizeIs;

namespace {

BrowserSettings Everything() {
    BrowserSettings settings;
    settings.servers = {{"127.0.0.1", 28001}, {"::1", 28002}};
    settings.optionValues["127.0.0.1:28001"][2] = L"se cret\\with\nlines";
    settings.filter.hideEmpty = settings.filter.hideSilent = true;
    settings.filter.text = L"Räin dance";
    settings.filter.gameType = L"Capture the Flag";
    settings.filter.mod = L"rpg";
    settings.filter.password = PasswordFilter::NotRequired;
    settings.filter.pingUnderMs = 120;
    settings.filter.favouritesOnly = true;
    settings.favourites = {{"::1", 28002}};
    settings.friends = {L"[TW]*", L"Cobra"};
    settings.seatWatchSeconds = 2;
    settings.seatWatchGiveUpMinutes = 30;
    settings.order = RowOrder{RowColumn::Ping, true};
    settings.timeoutSeconds = 5;
    settings.autoRefresh = true;
    settings.autoRefreshSeconds = 90;
    settings.join =
        JoinSettings{L"C:\\Games\\Tribes\\Tribes.exe", L"+connect <address> -fast", L"Jet", L"auto.cs"};
    settings.window = WindowPlace{-20, 10, 900, 600};
    settings.columnWidths = {200, 150, 110, 80, 230, 0, 80};
    settings.masters = {{"127.0.0.1", 28000}, {"::1", 27999}};
    settings.mastersAtStart = true;
    settings.listed = {{{"127.0.0.1", 28003}, {"127.0.0.1:28000", "[::1]:27999"}}};
    return settings;
}

// Every setting differs from its default, so one that is not read back changes the text; the
// last of each kind of line is checked to be written at all.
TEST(SettingsFile, EverythingWrittenIsReadBack) {
    const std::string written = FormatSettings(Everything());
    BrowserSettings read;
    EXPECT_THAT(ParseSettings(written, "s", read), IsEmpty());
    EXPECT_EQ(FormatSettings(read), written);
    EXPECT_EQ(read.optionValues, Everything().optionValues);
    EXPECT_EQ(read.join.configFile, L"auto.cs");
    EXPECT_EQ(read.window.height, 600);
    EXPECT_EQ(read.columnWidths, Everything().columnWidths);
    EXPECT_EQ(read.friends.back(), L"Cobra");
    EXPECT_EQ(read.seatWatchGiveUpMinutes, 30);
    ASSERT_THAT(read.listed, SizeIs(1));
    EXPECT_THAT(read.listed[0].masters, ElementsAre("127.0.0.1:28000", "[::1]:27999"));
}

TEST(SettingsFile, UnusableLinesAreNamedAndSkippedTheRestKept) {
    BrowserSettings read;
    const std::vector<std::string> problems = ParseSettings(
        "# comment\r\nserver=127.0.0.1:1\r\nserver=nonsense\ntimeout=0\nautoRefresh=yes\nwindow=1,2,3\n"
        "no equals sign\noption=2 127.0.0.1:1\nsortColumn=colour\nfutureKey=1\nserver=[::1]:2\n"
        "columns=1,2,3,4,5,6\ncolumns=1,2,3,4,5,6,7,8\n",
        "settings.txt", read);
    EXPECT_THAT(problems, SizeIs(9));
    EXPECT_THAT(problems[0], HasSubstr("settings.txt:3: 'nonsense' has no port"));
    EXPECT_THAT(problems[1], HasSubstr("settings.txt:4: '0' is not a usable value for timeout"));
    EXPECT_THAT(problems[4], HasSubstr("settings.txt:7: expected key=value"));
    EXPECT_THAT(problems[5], HasSubstr("expected option=ID ADDRESS:PORT VALUE"));
    EXPECT_EQ(read.servers, (std::vector<ServerAddress>{{"127.0.0.1", 1}, {"::1", 2}}));
    EXPECT_EQ(read.timeoutSeconds, 2);
    // A key a newer vtbrowse wrote is written back as it stands.
    EXPECT_THAT(read.otherLines, ElementsAre("futureKey=1"));
    EXPECT_THAT(FormatSettings(read), HasSubstr("\nfutureKey=1\n"));
}

// The file as it was, beside the one vtbrowse writes anew, under a name that says what it is.
TEST(SettingsFile, AFileWithUnreadableLinesIsKeptAsItWas) {
    const std::filesystem::path folder = std::filesystem::temp_directory_path() / "vtbrowse-as-it-was-test";
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    const std::filesystem::path path = folder / "settings.txt";
    std::ofstream(path, std::ios::binary) << "server=127.0.0.1:99999\n";
    std::tm when{};
    when.tm_year = 126;
    when.tm_mon = 11;
    when.tm_mday = 8;
    when.tm_hour = 15;
    when.tm_min = 30;
    when.tm_sec = 12;
    std::string error;
    const std::filesystem::path first = KeepAsItWas(path, when, error);
    const std::filesystem::path second = KeepAsItWas(path, when, error);
    EXPECT_EQ(first.filename(), "settings-as-it-was-20261208-153012.txt");
    EXPECT_EQ(second.filename(), "settings-as-it-was-20261208-153012-2.txt");
    {
        // Closed before the folder goes: Windows does not delete an open file.
        std::ifstream kept(second, std::ios::binary);
        EXPECT_EQ(std::string(std::istreambuf_iterator<char>(kept), {}), "server=127.0.0.1:99999\n");
    }
    EXPECT_TRUE(KeepAsItWas(folder / "missing.txt", when, error).empty());
    EXPECT_THAT(error, HasSubstr("missing.txt"));
    // Loading says the command line's problems, the unread line and where the copy went; a file
    // read whole says nothing and is not copied.
    BrowserSettings settings;
    const std::vector<std::wstring> said = LoadSettingsKeepingUnread(path, settings, {"bad option"});
    ASSERT_EQ(said.size(), 3u);
    EXPECT_EQ(said[0], L"bad option");
    EXPECT_THAT(said[1], HasSubstr(L"99999"));
    EXPECT_THAT(said[2], HasSubstr(L"is kept as"));
    std::ofstream(path, std::ios::binary | std::ios::trunc) << "server=127.0.0.1:28001\n";
    EXPECT_THAT(LoadSettingsKeepingUnread(path, settings, {}), IsEmpty());
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), {}), 4);
    std::filesystem::remove_all(folder);
}

TEST(SettingsFile, SavedFileReplacesTheOldOneAndAMissingFileIsNoProblem) {
    const std::filesystem::path folder = std::filesystem::temp_directory_path() / "vtbrowse-settings-test";
    std::filesystem::remove_all(folder);
    const std::filesystem::path path = folder / "nested" / "settings.txt";
    BrowserSettings settings;
    EXPECT_THAT(LoadSettingsFile(path, settings), IsEmpty());
    EXPECT_EQ(settings.masters, CommunityMasters());  // a new file offers them; an existing one names its own
    std::string error;
    ASSERT_TRUE(SaveSettingsFile(path, Everything(), error)) << error;
    BrowserSettings changed = Everything();
    changed.servers.pop_back();
    ASSERT_TRUE(SaveSettingsFile(path, changed, error)) << error;
    BrowserSettings read;
    EXPECT_THAT(LoadSettingsFile(path, read), IsEmpty());
    EXPECT_EQ(read.servers, changed.servers);
    EXPECT_EQ(read.masters, changed.masters);
    EXPECT_FALSE(std::filesystem::exists(folder / "nested" / "settings.txt.new"));
    std::filesystem::remove_all(folder);
}

TEST(BrowseOptions, ServersFilesAndProblemsFromTheCommandLine) {
    const BrowseOptions options =
        ParseBrowseOptions({"127.0.0.1:1", "--servers", "a.txt", "bad", "--most-sessions", "0", "--select",
                            "[::1]:5", "--join", "127.0.0.1:7", "224.0.0.1:2", "--join", "0.0.0.0:3",
                            "--frobnicate", "--settings", "s.txt", "--plugin"});
    EXPECT_EQ(options.servers, (std::vector<ServerAddress>{{"127.0.0.1", 1}}));
    EXPECT_THAT(options.serverFiles, ElementsAre("a.txt"));
    EXPECT_EQ(options.settingsPath, "s.txt");
    ASSERT_TRUE(options.select.has_value());
    EXPECT_EQ(options.select->port, 5);
    ASSERT_TRUE(options.join.has_value());
    EXPECT_EQ(options.join->port, 7);
    EXPECT_EQ(options.mostSessions, 0u);
    EXPECT_THAT(options.problems,
                ElementsAre(HasSubstr("'bad' has no port"), HasSubstr("--most-sessions takes a whole number"),
                            "'224.0.0.1:2': no server can have this address (multicast)",
                            "--join: '0.0.0.0:3': no server can have this address (in 0.0.0.0/8)",
                            HasSubstr("unknown option '--frobnicate'"), HasSubstr("--plugin needs a value")));
}

}  // namespace
