// What vtbrowse keeps between runs: the server list, the filters and order, the refresh and join
// settings and the window's place, in a text file of "key=value" lines, written in UTF-8 and read
// in any encoding ReadTextFile reads (a user may have saved it from Notepad). Portable: tested
// natively.
#pragma once

#include <filesystem>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "apps/vtbrowse/server_origin.h"
#include "apps/vtbrowse/server_rows.h"

// A number of the settings: its key in the file, the values it may take and the value it has
// until the user chooses; the file, the window and the dialogs all check it against these.
struct NumberSetting {
    const char* key;
    int lowest;
    int highest;
    int fallback;
    bool Allows(long value) const;
    std::wstring Range() const;  // "5 to 86400"
};

constexpr NumberSetting TimeoutSetting{"timeout", 1, 60, 2};  // the ping's budget handed to the plugin
constexpr NumberSetting AutoRefreshSetting{"autoRefreshSeconds", 5, 86400, 60};
constexpr NumberSetting PingUnderSetting{"filterPingUnder", 0, 100000, 0};  // 0: any
constexpr NumberSetting SeatWatchEverySetting{"seatWatchSeconds", 1, 3600, 5};
constexpr NumberSetting SeatWatchGiveUpSetting{"seatWatchGiveUpMinutes", 1, 1440, 10};

// The join settings the host keeps for every server alike.
struct JoinSettings {
    std::wstring executable;
    std::wstring parameters;  // "<address>" is replaced by the server's address and port
    std::wstring playerName;
    std::wstring configFile;
};

// Where the window stands on the screen, in pixels, and its size in 96-DPI units, so that it has
// the same size at any scale (a file written before sizes were scaled is read the same way).
struct WindowPlace {
    int x = 0;
    int y = 0;
    int width = 0;  // 0: the system's choice
    int height = 0;
};

struct BrowserSettings {
    // Servers added by hand (and any that no master lists); those masters listed are in listed.
    std::vector<ServerAddress> servers;
    std::vector<ServerAddress> favourites;
    std::vector<std::wstring> friends;  // as the user wrote them: names, "*" for any run of characters
    std::vector<ListedByMasters> listed;
    // The master servers "Get servers from masters" asks, and whether it asks them at start.
    std::vector<ServerAddress> masters;
    bool mastersAtStart = false;
    // Values of the launch options the plugin offered, by server ("address:port") and option id.
    std::map<std::string, std::map<int, std::wstring>> optionValues;
    RowFilter filter;
    RowOrder order;
    int timeoutSeconds = TimeoutSetting.fallback;
    int autoRefreshSeconds =
        AutoRefreshSetting.fallback;  // the period of the automatic refresh, when it is on
    bool autoRefresh = false;
    JoinSettings join;
    WindowPlace window;
    std::vector<int> columnWidths;  // the server list's, in 96-DPI units by RowColumn; empty: the usual
    int seatWatchSeconds = SeatWatchEverySetting.fallback;         // the pace of a seat watch's pings
    int seatWatchGiveUpMinutes = SeatWatchGiveUpSetting.fallback;  // how long a seat watch waits at the most
    // Lines of keys this vtbrowse does not know (a newer one wrote them): written back as they stand.
    std::vector<std::string> otherLines;
};

std::string FormatSettings(const BrowserSettings& settings);
// Reads what it can: each line it cannot use is skipped and named in the result as
// "origin:LINE: why"; lines of unknown keys are kept in otherLines, silently (a newer vtbrowse
// may have written them).
std::vector<std::string> ParseSettings(std::string_view content, std::string_view origin,
                                       BrowserSettings& settings);

// The masters a new settings file starts with: the community masters the game's configuration
// files name. vtbrowse asks them only when the user says so.
std::vector<ServerAddress> CommunityMasters();

// A missing file is no problem: settings are left as they are, but for the masters, which are
// the community masters of a new file. Anything else unreadable is a problem.
std::vector<std::string> LoadSettingsFile(const std::filesystem::path& path, BrowserSettings& settings);
// Writes the whole file anew through a temporary beside it, so a crash never leaves half a file.
// False with error filled when it could not be written.
bool SaveSettingsFile(const std::filesystem::path& path, const BrowserSettings& settings, std::string& error);
