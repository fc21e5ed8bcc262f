// vtbrowse's settings file on disk: every field saved, read back and read from the file of an
// earlier release; a file with lines that cannot be read kept as it was.
#include "apps/vtbrowse/settings/settings_file.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <tuple>
#include <utility>

#include "apps/vtbrowse/settings/settings_text.h"

using ::testing::HasSubstr;
using ::testing::IsEmpty;

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
    std::wstring error;
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
    std::wstring error;
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
    EXPECT_THAT(error, HasSubstr(L"missing.txt"));
    // Loading says the unread line and where the copy went; a file read whole says nothing and is
    // not copied.
    BrowserSettings settings;
    const std::vector<std::wstring> said = LoadSettingsKeepingUnread(path, settings);
    ASSERT_EQ(said.size(), 2u);
    EXPECT_THAT(said[0], HasSubstr(L"99999"));
    EXPECT_THAT(said[1], HasSubstr(L"is kept as"));
    std::ofstream(path, std::ios::binary | std::ios::trunc) << "server=127.0.0.1:28001\n";
    EXPECT_THAT(LoadSettingsKeepingUnread(path, settings), IsEmpty());
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), {}), 4);
    std::filesystem::remove_all(folder);
}

}  // namespace
