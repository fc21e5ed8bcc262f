// vtbrowse's settings file and command line, also as a later start hands it to the one open.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <tuple>
#include <utility>

#include "apps/vtbrowse/browse_options.h"
#include "apps/vtbrowse/handover.h"
#include "apps/vtbrowse/settings_as_it_was.h"
#include "apps/vtbrowse/settings_file.h"

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::SizeIs;

// Two masters' listings of a server are the same when server and masters are.
static bool operator==(const ListedByMasters& a, const ListedByMasters& b) {
    return a.server == b.server && a.masters == b.masters;
}

namespace {

// Every field apart from what a new settings holds.
BrowserSettings Everything() {
    BrowserSettings settings;
    settings.servers = {{"127.0.0.1", 28001}, {"::1", 28002}};
    settings.optionValues["127.0.0.1:28001"][2] = L"se cret\\with\nlines";
    settings.filter = {true, true, true, L"R\u00e4in dance", L"Capture the Flag", L"rpg"};
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
    settings.otherLines = {"futureKey=1"};  // a newer vtbrowse's, kept as it stands
    return settings;
}

// Every field of the settings, the structs' fields one by one: a field added breaks this until it
// is named here too.
auto Fields(const BrowserSettings& settings) {
    const auto& [servers, favourites, friends, listed, masters, mastersAtStart, optionValues, filter, order,
                 timeout, autoRefreshSeconds, autoRefresh, join, window, columnWidths, seatWatchSeconds,
                 seatWatchGiveUpMinutes, otherLines] = settings;
    const auto& [hideEmpty, hideFull, hideSilent, text, gameType, mod, password, pingUnderMs,
                 favouritesOnly] = filter;
    const auto& [column, descending] = order;
    const auto& [executable, parameters, playerName, configFile] = join;
    const auto& [x, y, width, height] = window;
    return std::tie(servers, favourites, friends, listed, masters, mastersAtStart, optionValues, hideEmpty,
                    hideFull, hideSilent, text, gameType, mod, password, pingUnderMs, favouritesOnly, column,
                    descending, timeout, autoRefreshSeconds, autoRefresh, executable, parameters, playerName,
                    configFile, x, y, width, height, columnWidths, seatWatchSeconds, seatWatchGiveUpMinutes,
                    otherLines);
}
// Whether each field is the same in both settings.
std::vector<bool> Same(const BrowserSettings& a, const BrowserSettings& b) {
    return std::apply(
        [&](const auto&... x) {
            return std::apply([&](const auto&... y) { return std::vector<bool>{(x == y)...}; }, Fields(b));
        },
        Fields(a));
}

// Each field is saved into a file that replaces an older one, read back, and read from the
// settings file of Everything() as release 1.0.0 wrote it: a field that saving and loading both
// forget, or that a later release reads otherwise, fails here. A file not there yet is no
// problem, and offers the community masters.
TEST(SettingsFile, EveryFieldIsSavedReadBackAndReadFromTheFileOfRelease100) {
    const std::filesystem::path folder = std::filesystem::temp_directory_path() / "vtbrowse-settings-test";
    std::filesystem::remove_all(folder);
    const std::filesystem::path path = folder / "nested" / "settings.txt";
    BrowserSettings readBack, fromRelease;
    EXPECT_THAT(LoadSettingsFile(path, readBack), IsEmpty());
    EXPECT_EQ(readBack.masters, CommunityMasters());
    std::string error;
    ASSERT_TRUE(SaveSettingsFile(path, readBack, error) && SaveSettingsFile(path, Everything(), error))
        << error;
    readBack = {};
    EXPECT_THAT(LoadSettingsFile(path, readBack), IsEmpty());
    EXPECT_FALSE(std::filesystem::exists(folder / "nested" / "settings.txt.new"));
    std::filesystem::remove_all(folder);
    EXPECT_THAT(LoadSettingsFile(TRIBES_RELEASE_SETTINGS_FILE, fromRelease), IsEmpty());
    // Release 1.0.0 kept no column widths: its file leaves them as new settings have them.
    BrowserSettings asReleased = Everything();
    asReleased.columnWidths.clear();
    const std::vector<bool> fresh = Same(Everything(), {}), back = Same(readBack, Everything()),
                            released = Same(fromRelease, asReleased);
    for (size_t field = 0; field < fresh.size(); ++field) {
        SCOPED_TRACE(testing::Message() << "field " << field << " of Fields()");
        EXPECT_FALSE(fresh[field]) << "Everything() leaves it as new settings have it";
        EXPECT_TRUE(back[field]);
        EXPECT_TRUE(released[field]);
    }
    EXPECT_EQ(FormatSettings(readBack), FormatSettings(Everything()));
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
    EXPECT_THAT(read.otherLines, ElementsAre("futureKey=1"));  // a newer vtbrowse's: no problem
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

// What any program may send the window: only a whole document shaped as PackHandover makes one is
// taken, and never more bytes than the bound are read.
TEST(BrowseOptions, HandedOverDocumentsOfAnyOtherShapeAreRefused) {
    const std::string good = *PackHandover({"127.0.0.1:1"});
    std::string tooMany = R"({"vtbrowse":1,"arguments":[)";
    for (size_t i = 0; i < MostHandoverArguments; ++i) tooMany += R"("1",)";
    tooMany += R"("1"]})";
    std::string padded = good;  // whitespace after a document is still JSON
    padded.resize(MostHandoverBytes + 1, ' ');
    const std::pair<const char*, std::string> refused[] = {
        {"cut short", good.substr(0, good.size() - 1)},
        {"more after it", good + "{}"},
        {"another version", R"({"vtbrowse":2,"arguments":["127.0.0.1:1"]})"},
        {"no version", R"({"arguments":["127.0.0.1:1"]})"},
        {"a key more", R"({"vtbrowse":1,"arguments":[],"more":1})"},
        {"arguments not a list", R"({"vtbrowse":1,"arguments":"127.0.0.1:1"})"},
        {"an argument not text", R"({"vtbrowse":1,"arguments":[1]})"},
        {"a NUL in an argument", R"({"vtbrowse":1,"arguments":["a\u0000b"]})"},
        {"too many arguments", tooMany},
        {"larger than the bound", padded},
    };
    for (const auto& [what, document] : refused) {
        EXPECT_FALSE(ReadHandover(document.data(), document.size()).has_value()) << what;
    }
    EXPECT_FALSE(ReadHandover(nullptr, 10).has_value());
    EXPECT_TRUE(ReadHandover(padded.data(), MostHandoverBytes).has_value());
}

}  // namespace
