#include "apps/vtbrowse/settings_file.h"

#include <algorithm>
#include <fstream>
#include <sstream>
#include <system_error>

#include "apps/masters/master_outcome.h"
#include "apps/shared/text_lines.h"
#include "text/utf8_text.h"

namespace {

// Values may hold any text: backslash, line feed and carriage return are written escaped.
std::string Escaped(std::wstring_view value) {
    std::string out;
    for (const char c : Utf8FromWide(value)) {
        if (c == '\\') {
            out += "\\\\";
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\r') {
            out += "\\r";
        } else {
            out += c;
        }
    }
    return out;
}

std::wstring Unescaped(std::string_view value) {
    std::string out;
    for (size_t i = 0; i < value.size(); ++i) {
        if (value[i] == '\\' && i + 1 < value.size()) {
            const char next = value[++i];
            out += next == 'n' ? '\n' : next == 'r' ? '\r' : next;
        } else {
            out += value[i];
        }
    }
    return WideFromUtf8(out);
}

bool ParseNumber(std::string_view text, int lowest, int highest, int& number) {
    if (text.empty() || text.size() > 9) return false;
    int value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + (c - '0');
    }
    if (value < lowest || value > highest) return false;
    number = value;
    return true;
}

bool ParseFlag(std::string_view text, bool& flag) {
    if (text != "0" && text != "1") return false;
    flag = text == "1";
    return true;
}

// A window's place: four numbers, the first two may be negative (a monitor left of the main one).
bool ParsePlace(std::string_view text, WindowPlace& place) {
    int numbers[4] = {};
    for (int i = 0; i < 4; ++i) {
        const size_t comma = text.find(',');
        std::string_view part = text.substr(0, comma);
        const bool negative = i < 2 && !part.empty() && part.front() == '-';
        if (negative) part.remove_prefix(1);
        if (!ParseNumber(part, 0, 100000, numbers[i])) return false;
        if (negative) numbers[i] = -numbers[i];
        if ((comma == std::string_view::npos) != (i == 3)) return false;
        text = comma == std::string_view::npos ? std::string_view{} : text.substr(comma + 1);
    }
    place = WindowPlace{numbers[0], numbers[1], numbers[2], numbers[3]};
    return true;
}

// "option=ID ADDRESS:PORT VALUE"
bool ParseOption(std::string_view text, BrowserSettings& settings, std::string& why) {
    const size_t first = text.find(' ');
    const size_t second = first == std::string_view::npos ? first : text.find(' ', first + 1);
    int id = 0;
    ServerAddress server;
    ServerListError error;
    if (second == std::string_view::npos || !ParseNumber(text.substr(0, first), 1, 1000, id)) {
        why = "expected option=ID ADDRESS:PORT VALUE";
        return false;
    }
    if (!ParseServerAddress(text.substr(first + 1, second - first - 1), server, error)) {
        why = error.message;
        return false;
    }
    settings.optionValues[server.Text()][id] = Unescaped(text.substr(second + 1));
    return true;
}

// "listed=ADDRESS:PORT MASTER..."
bool ParseListed(std::string_view text, BrowserSettings& settings, std::string& why) {
    ListedByMasters listed;
    ServerListError error;
    size_t start = 0;
    while (start < text.size()) {
        const size_t space = std::min(text.find(' ', start), text.size());
        ServerAddress address;
        if (!ParseServerAddress(text.substr(start, space - start), address, error)) {
            why = error.message;
            return false;
        }
        if (start == 0) {
            listed.server = address;
        } else {
            listed.masters.push_back(address.Text());
        }
        start = space + 1;
    }
    if (listed.masters.empty()) {
        why = "expected listed=ADDRESS:PORT MASTER...";
        return false;
    }
    settings.listed.push_back(std::move(listed));
    return true;
}

const char* ColumnKey(RowColumn column) {
    static const char* const keys[] = {"name", "address", "map", "players", "status", "ping", "favourite"};
    return keys[static_cast<int>(column)];
}

bool ParseColumn(std::string_view text, RowColumn& column) {
    for (int i = 0; i < RowColumnCount; ++i) {
        if (text == ColumnKey(static_cast<RowColumn>(i))) {
            column = static_cast<RowColumn>(i);
            return true;
        }
    }
    return false;
}

const char* PasswordKey(PasswordFilter password) {
    return password == PasswordFilter::Required      ? "required"
           : password == PasswordFilter::NotRequired ? "none"
                                                     : "any";
}

bool ParsePassword(std::string_view text, PasswordFilter& password) {
    for (PasswordFilter choice :
         {PasswordFilter::Any, PasswordFilter::Required, PasswordFilter::NotRequired}) {
        if (text == PasswordKey(choice)) {
            password = choice;
            return true;
        }
    }
    return false;
}

enum class LineUse { Applied, Unusable, UnknownKey };

// Appends the address value names to addresses, read by parse (ParseServerAddress or
// ParseMasterAddress); false with why filled by the parser when it names none.
using AddressParser = bool (*)(std::string_view, ServerAddress&, ServerListError&);
bool AppendAddress(std::string_view value, AddressParser parse, std::vector<ServerAddress>& addresses,
                   std::string& why) {
    ServerAddress address;
    ServerListError error;
    if (!parse(value, address, error)) {
        why = error.message;
        return false;
    }
    addresses.push_back(address);
    return true;
}

// The lines of the keys that came with favourites, friends, the players' filters and the seat
// watch; why is filled when the value is unusable.
LineUse ApplyPlayerLine(std::string_view key, std::string_view value, BrowserSettings& settings,
                        std::string& why) {
    if (key == "favourite")
        return AppendAddress(value, ParseServerAddress, settings.favourites, why) ? LineUse::Applied
                                                                                  : LineUse::Unusable;
    bool usable = true;
    if (key == "friend") {
        settings.friends.push_back(Unescaped(value));
        usable = !settings.friends.back().empty();
        if (!usable) settings.friends.pop_back();
    } else if (key == "filterGameType") {
        settings.filter.gameType = Unescaped(value);
    } else if (key == "filterMod") {
        settings.filter.mod = Unescaped(value);
    } else if (key == "filterPassword") {
        usable = ParsePassword(value, settings.filter.password);
    } else if (key == "filterPingUnder") {
        usable = ParseNumber(value, 0, 100000, settings.filter.pingUnderMs);
    } else if (key == "favouritesOnly") {
        usable = ParseFlag(value, settings.filter.favouritesOnly);
    } else if (key == "seatWatchSeconds") {
        usable = ParseNumber(value, 1, 3600, settings.seatWatchSeconds);
    } else if (key == "seatWatchGiveUpMinutes") {
        usable = ParseNumber(value, 1, 1440, settings.seatWatchGiveUpMinutes);
    } else {
        return LineUse::UnknownKey;
    }
    if (!usable) why = "'" + std::string(value) + "' is not a usable value for " + std::string(key);
    return usable ? LineUse::Applied : LineUse::Unusable;
}

// Applies one "key=value" line; false with why filled when the value is unusable.
bool ApplyLine(std::string_view key, std::string_view value, BrowserSettings& settings, std::string& why) {
    if (key == "server") return AppendAddress(value, ParseServerAddress, settings.servers, why);
    if (key == "option") return ParseOption(value, settings, why);
    if (key == "listed") return ParseListed(value, settings, why);
    if (key == "master") return AppendAddress(value, ParseMasterAddress, settings.masters, why);
    bool usable = true;
    if (key == "timeout") {
        usable = ParseNumber(value, 1, 60, settings.timeoutSeconds);
    } else if (key == "autoRefreshSeconds") {
        usable = ParseNumber(value, 5, 86400, settings.autoRefreshSeconds);
    } else if (key == "autoRefresh") {
        usable = ParseFlag(value, settings.autoRefresh);
    } else if (key == "hideEmpty") {
        usable = ParseFlag(value, settings.filter.hideEmpty);
    } else if (key == "hideFull") {
        usable = ParseFlag(value, settings.filter.hideFull);
    } else if (key == "hideSilent") {
        usable = ParseFlag(value, settings.filter.hideSilent);
    } else if (key == "filterText") {
        settings.filter.text = Unescaped(value);
    } else if (key == "sortColumn") {
        usable = ParseColumn(value, settings.order.column);
    } else if (key == "sortDescending") {
        usable = ParseFlag(value, settings.order.descending);
    } else if (key == "executable") {
        settings.join.executable = Unescaped(value);
    } else if (key == "parameters") {
        settings.join.parameters = Unescaped(value);
    } else if (key == "playerName") {
        settings.join.playerName = Unescaped(value);
    } else if (key == "configFile") {
        settings.join.configFile = Unescaped(value);
    } else if (key == "mastersAtStart") {
        usable = ParseFlag(value, settings.mastersAtStart);
    } else if (key == "window") {
        usable = ParsePlace(value, settings.window);
    } else if (const LineUse use = ApplyPlayerLine(key, value, settings, why); use != LineUse::UnknownKey) {
        return use == LineUse::Applied;
    } else {
        settings.otherLines.push_back(std::string(key) + "=" + std::string(value));
    }
    if (!usable) why = "'" + std::string(value) + "' is not a usable value for " + std::string(key);
    return usable;
}

}  // namespace

std::string FormatSettings(const BrowserSettings& settings) {
    std::ostringstream out;
    out << "# vtbrowse settings: one key=value a line; written by vtbrowse on every change\n";
    out << "timeout=" << settings.timeoutSeconds << "\n";
    out << "autoRefresh=" << settings.autoRefresh << "\n";
    out << "autoRefreshSeconds=" << settings.autoRefreshSeconds << "\n";
    out << "hideEmpty=" << settings.filter.hideEmpty << "\n";
    out << "hideFull=" << settings.filter.hideFull << "\n";
    out << "hideSilent=" << settings.filter.hideSilent << "\n";
    out << "filterText=" << Escaped(settings.filter.text) << "\n";
    out << "sortColumn=" << ColumnKey(settings.order.column) << "\n";
    out << "sortDescending=" << settings.order.descending << "\n";
    out << "executable=" << Escaped(settings.join.executable) << "\n";
    out << "parameters=" << Escaped(settings.join.parameters) << "\n";
    out << "playerName=" << Escaped(settings.join.playerName) << "\n";
    out << "configFile=" << Escaped(settings.join.configFile) << "\n";
    const WindowPlace& place = settings.window;
    if (place.width > 0 && place.height > 0) {
        out << "window=" << place.x << "," << place.y << "," << place.width << "," << place.height << "\n";
    }
    for (const ServerAddress& server : settings.servers) out << "server=" << server.Text() << "\n";
    out << "mastersAtStart=" << settings.mastersAtStart << "\n";
    for (const ServerAddress& master : settings.masters) out << "master=" << master.Text() << "\n";
    for (const ListedByMasters& listed : settings.listed) {
        out << "listed=" << listed.server.Text();
        for (const std::string& master : listed.masters) out << " " << master;
        out << "\n";
    }
    for (const auto& [server, values] : settings.optionValues) {
        for (const auto& [id, value] : values) {
            if (!value.empty()) out << "option=" << id << " " << server << " " << Escaped(value) << "\n";
        }
    }
    out << "filterGameType=" << Escaped(settings.filter.gameType) << "\n";
    out << "filterMod=" << Escaped(settings.filter.mod) << "\n";
    out << "filterPassword=" << PasswordKey(settings.filter.password) << "\n";
    out << "filterPingUnder=" << settings.filter.pingUnderMs << "\n";
    out << "favouritesOnly=" << settings.filter.favouritesOnly << "\n";
    out << "seatWatchSeconds=" << settings.seatWatchSeconds << "\n";
    out << "seatWatchGiveUpMinutes=" << settings.seatWatchGiveUpMinutes << "\n";
    for (const ServerAddress& server : settings.favourites) out << "favourite=" << server.Text() << "\n";
    for (const std::wstring& name : settings.friends) out << "friend=" << Escaped(name) << "\n";
    for (const std::string& line : settings.otherLines) out << line << "\n";
    return out.str();
}

std::vector<std::string> ParseSettings(std::string_view content, std::string_view origin,
                                       BrowserSettings& settings) {
    std::vector<std::string> problems;
    size_t lineNumber = 0;
    while (!content.empty()) {
        ++lineNumber;
        const std::string_view line = TakeLine(content);
        if (line.empty() || line.front() == '#') continue;
        const size_t equals = line.find('=');
        std::string why = "expected key=value";
        if (equals != std::string_view::npos &&
            ApplyLine(line.substr(0, equals), line.substr(equals + 1), settings, why)) {
            continue;
        }
        problems.push_back(std::string(origin) + ":" + std::to_string(lineNumber) + ": " + why +
                           "; line ignored");
    }
    return problems;
}

std::vector<ServerAddress> CommunityMasters() {
    return {
        {"t1m1.pu.net", 28000}, {"t1m1.tribes0.com", 28000}, {"t1m1.masters.tribesmasterserver.com", 28000}};
}

std::vector<std::string> LoadSettingsFile(const std::filesystem::path& path, BrowserSettings& settings) {
    std::error_code missing;
    if (!std::filesystem::exists(path, missing)) {
        settings.masters = CommunityMasters();
        return {};
    }
    std::ifstream file(path, std::ios::binary);
    const std::string origin = Utf8FromWide(path.wstring());
    if (!file) return {"cannot read the settings file '" + origin + "'"};
    std::ostringstream content;
    content << file.rdbuf();
    return ParseSettings(content.str(), origin, settings);
}

bool SaveSettingsFile(const std::filesystem::path& path, const BrowserSettings& settings,
                      std::string& error) {
    std::error_code failed;
    if (path.has_parent_path()) std::filesystem::create_directories(path.parent_path(), failed);
    std::filesystem::path temporary = path;
    temporary += ".new";
    {
        std::ofstream file(temporary, std::ios::binary | std::ios::trunc);
        file << FormatSettings(settings);
        file.flush();
        if (!file) {
            error = "cannot write the settings file '" + Utf8FromWide(temporary.wstring()) + "'";
            return false;
        }
    }
    std::filesystem::rename(temporary, path, failed);
    if (failed) {
        error =
            "cannot replace the settings file '" + Utf8FromWide(path.wstring()) + "': " + failed.message();
        return false;
    }
    return true;
}
