#include "apps/vtbrowse/settings/settings_text.h"

#include <algorithm>

#include "apps/masters/master_outcome.h"
#include "apps/shared/text_lines.h"
#include "apps/vtbrowse/settings/setting_line.h"

namespace {

// A window's place: four numbers, the first two may be negative (a monitor left of the main one).
bool ParseWindow(std::string_view text, BrowserSettings& settings, std::string&) {
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
    settings.window = WindowPlace{numbers[0], numbers[1], numbers[2], numbers[3]};
    return true;
}

// "columns=W,W,...": a width for every column of the server list.
bool ParseColumns(std::string_view text, BrowserSettings& settings, std::string&) {
    std::vector<int> widths;
    for (;;) {
        const size_t comma = text.find(',');
        if (!ParseNumber(text.substr(0, comma), 0, 4000, widths.emplace_back())) return false;
        if (comma == std::string_view::npos) break;
        text.remove_prefix(comma + 1);
    }
    if (widths.size() != RowColumnCount) return false;
    settings.columnWidths = std::move(widths);
    return true;
}

void WriteColumns(const BrowserSettings& settings, std::vector<std::string>& values) {
    std::string value;
    for (const int width : settings.columnWidths) value += (value.empty() ? "" : ",") + std::to_string(width);
    if (!value.empty()) values.push_back(value);
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

const char* const ColumnKeys[] = {"name", "address", "map", "players", "status", "ping", "favourite"};
const char* const PasswordKeys[] = {"any", "required", "none"};  // in PasswordFilter's order

void WritePlace(const BrowserSettings& settings, std::vector<std::string>& values) {
    const WindowPlace& place = settings.window;
    if (place.width <= 0 || place.height <= 0) return;
    values.push_back(std::to_string(place.x) + "," + std::to_string(place.y) + "," +
                     std::to_string(place.width) + "," + std::to_string(place.height));
}

// A master's list is up to 65,025 lines: each written in place, with no text made for its parts.
void WriteListed(const BrowserSettings& settings, std::vector<std::string>& values) {
    values.reserve(settings.listed.size());
    for (const ListedByMasters& listed : settings.listed) {
        std::string& value = values.emplace_back(listed.server.Text());
        for (const std::string& master : listed.masters) {
            value += ' ';
            value += master;
        }
    }
}

void WriteOptions(const BrowserSettings& settings, std::vector<std::string>& values) {
    for (const auto& [server, options] : settings.optionValues) {
        for (const auto& [id, value] : options) {
            if (!value.empty()) values.push_back(std::to_string(id) + " " + server + " " + Escaped(value));
        }
    }
}

// A friend as the user wrote them; an empty one is no friend.
bool ParseFriend(std::string_view value, BrowserSettings& settings, std::string&) {
    std::wstring name = Unescaped(value);
    if (name.empty()) return false;
    settings.friends.push_back(std::move(name));
    return true;
}

void WriteFriends(const BrowserSettings& settings, std::vector<std::string>& values) {
    for (const std::wstring& name : settings.friends) values.push_back(Escaped(name));
}

// Every key, in the order the file is written.
const std::vector<SettingLine>& SettingLines() {
    using S = BrowserSettings;
    static const std::vector<SettingLine> lines{
        Number(TimeoutSetting, &S::timeoutSeconds),
        Flag("autoRefresh", &S::autoRefresh),
        Number(AutoRefreshSetting, &S::autoRefreshSeconds),
        Flag("hideEmpty", {&S::filter, &RowFilter::hideEmpty}),
        Flag("hideFull", {&S::filter, &RowFilter::hideFull}),
        Flag("hideSilent", {&S::filter, &RowFilter::hideSilent}),
        Text("filterText", {&S::filter, &RowFilter::text}),
        Choice<RowColumn>("sortColumn", ColumnKeys, {&S::order, &RowOrder::column}),
        Flag("sortDescending", {&S::order, &RowOrder::descending}),
        Text("executable", {&S::join, &JoinSettings::executable}),
        Text("parameters", {&S::join, &JoinSettings::parameters}),
        Text("playerName", {&S::join, &JoinSettings::playerName}),
        Text("configFile", {&S::join, &JoinSettings::configFile}),
        {"window", ParseWindow, WritePlace},
        {"columns", ParseColumns, WriteColumns},
        Addresses("server", ParseServerAddress, &S::servers),
        Flag("mastersAtStart", &S::mastersAtStart),
        Addresses("master", ParseMasterAddress, &S::masters),
        {"listed", ParseListed, WriteListed},
        {"option", ParseOption, WriteOptions},
        Text("filterGameType", {&S::filter, &RowFilter::gameType}),
        Text("filterMod", {&S::filter, &RowFilter::mod}),
        Choice<PasswordFilter>("filterPassword", PasswordKeys, {&S::filter, &RowFilter::password}),
        Number(PingUnderSetting, {&S::filter, &RowFilter::pingUnderMs}),
        Flag("favouritesOnly", {&S::filter, &RowFilter::favouritesOnly}),
        Number(SeatWatchEverySetting, &S::seatWatchSeconds),
        Number(SeatWatchGiveUpSetting, &S::seatWatchGiveUpMinutes),
        Addresses("favourite", ParseServerAddress, &S::favourites),
        {"friend", ParseFriend, WriteFriends},
    };
    return lines;
}

// Applies one "key=value" line; false with why filled when the value is unusable. Lines of
// unknown keys are kept as they stand.
bool ApplyLine(std::string_view key, std::string_view value, BrowserSettings& settings, std::string& why) {
    const std::vector<SettingLine>& lines = SettingLines();
    const auto line =
        std::find_if(lines.begin(), lines.end(), [&](const SettingLine& known) { return key == known.key; });
    if (line == lines.end()) {
        settings.otherLines.push_back(std::string(key) + "=" + std::string(value));
        return true;
    }
    why.clear();
    if (line->read(value, settings, why)) return true;
    if (why.empty()) why = "'" + std::string(value) + "' is not a usable value for " + std::string(key);
    return false;
}

}  // namespace

std::string FormatSettings(const BrowserSettings& settings) {
    std::string out = "# vtbrowse settings: one key=value a line; written by vtbrowse on every change\n";
    std::vector<std::string> values;
    for (const SettingLine& line : SettingLines()) {
        values.clear();
        line.write(settings, values);
        for (const std::string& value : values) {
            out += line.key;
            out += '=';
            out += value;
            out += '\n';
        }
    }
    for (const std::string& line : settings.otherLines) out += line + "\n";
    return out;
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
