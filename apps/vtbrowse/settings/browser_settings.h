// What vtbrowse keeps between runs: the servers as the user listed them and the masters gave them,
// the filter and order of the list, the friends, the refresh, join and seat watch settings, the
// masters to ask and the window's place. Portable: tested natively.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "apps/shared/server_address.h"

// A number of the settings: its key in the file, the values it may take and the value it has
// until the user chooses; the file, the window and the dialogs all check it against these.
struct NumberSetting {
    const char* key;
    int lowest;
    int highest;
    int fallback;
    bool Allows(long value) const { return value >= lowest && value <= highest; }
    std::wstring Range() const;  // "5 to 86400"
};

constexpr NumberSetting TimeoutSetting{"timeout", 1, 60, 2};  // the ping's budget handed to the plugin
constexpr NumberSetting AutoRefreshSetting{"autoRefreshSeconds", 5, 86400, 60};
constexpr NumberSetting PingUnderSetting{"filterPingUnder", 0, 100000, 0};  // 0: any
constexpr NumberSetting SeatWatchEverySetting{"seatWatchSeconds", 1, 3600, 5};
constexpr NumberSetting SeatWatchGiveUpSetting{"seatWatchGiveUpMinutes", 1, 1440, 10};

// The columns of the server list, in their numbers (the file's sort key, the list's columns).
enum class RowColumn { Name, Address, Map, Players, Status, Ping, Favourite };
constexpr int RowColumnCount = 7;

enum class PasswordFilter { Any, Required, NotRequired };

// What the list shows. A server that has not told (no answer yet, or no such rule) passes none of
// the filters that ask for what it did not tell.
struct RowFilter {
    bool hideEmpty = false;
    bool hideFull = false;
    bool hideSilent = false;  // servers whose last ping got no answer
    std::wstring text;        // in the server name or the map, any letter case
    std::wstring gameType;    // the rules' game type as servers send it; empty: any
    std::wstring mod;         // the rules' mod as servers send it; empty: any
    PasswordFilter password = PasswordFilter::Any;
    int pingUnderMs = 0;  // 0: any
    bool favouritesOnly = false;
};

struct RowOrder {
    RowColumn column = RowColumn::Name;
    bool descending = false;
};

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

// A server that masters listed, with those masters ("HOST:PORT", sorted).
struct ListedByMasters {
    ServerAddress server;
    std::vector<std::string> masters;
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
    int autoRefreshSeconds = AutoRefreshSetting.fallback;  // the automatic refresh's period, when it is on
    bool autoRefresh = false;
    JoinSettings join;
    WindowPlace window;
    std::vector<int> columnWidths;  // the server list's, in 96-DPI units by RowColumn; empty: the usual
    int seatWatchSeconds = SeatWatchEverySetting.fallback;         // the pace of a seat watch's pings
    int seatWatchGiveUpMinutes = SeatWatchGiveUpSetting.fallback;  // how long a seat watch waits at the most
    // Lines of keys this vtbrowse does not know (a newer one wrote them): written back as they stand.
    std::vector<std::string> otherLines;
};

// The masters a new settings file starts with: the community masters the game's configuration
// files name. vtbrowse asks them only when the user says so.
std::vector<ServerAddress> CommunityMasters();
