#include "apps/vtbrowse/settings/setting_line.h"

#include "host/text/utf8_text.h"

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

SettingLine Number(const NumberSetting& setting, Field<int> field) {
    return {setting.key,
            [setting, field](std::string_view value, BrowserSettings& settings, std::string&) {
                return ParseNumber(value, setting.lowest, setting.highest, field(settings));
            },
            [field](const BrowserSettings& settings, std::vector<std::string>& values) {
                values.push_back(std::to_string(field(settings)));
            }};
}

SettingLine Flag(const char* key, Field<bool> field) {
    return {key,
            [field](std::string_view value, BrowserSettings& settings, std::string&) {
                if (value != "0" && value != "1") return false;
                field(settings) = value == "1";
                return true;
            },
            [field](const BrowserSettings& settings, std::vector<std::string>& values) {
                values.push_back(field(settings) ? "1" : "0");
            }};
}

SettingLine Text(const char* key, Field<std::wstring> field) {
    return {key,
            [field](std::string_view value, BrowserSettings& settings, std::string&) {
                field(settings) = Unescaped(value);
                return true;
            },
            [field](const BrowserSettings& settings, std::vector<std::string>& values) {
                values.push_back(Escaped(field(settings)));
            }};
}

SettingLine Addresses(const char* key, AddressParser parse, Field<std::vector<ServerAddress>> field) {
    return {key,
            [parse, field](std::string_view value, BrowserSettings& settings, std::string& why) {
                ServerAddress address;
                ServerListError error;
                if (!parse(value, address, error)) {
                    why = error.message;
                    return false;
                }
                field(settings).push_back(address);
                return true;
            },
            [field](const BrowserSettings& settings, std::vector<std::string>& values) {
                for (const ServerAddress& address : field(settings)) values.push_back(address.Text());
            }};
}
