// The keys of vtbrowse's settings file, each made once: its name, the field of BrowserSettings it
// holds, how a value is read (with its range, for a number) and how the field is written. The
// file's reading and writing both run over one list of them. Portable.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "apps/vtbrowse/settings/browser_settings.h"

struct SettingLine {
    const char* key;
    // Takes one value in; false when unusable, why filled when there is more to say than that.
    std::function<bool(std::string_view, BrowserSettings&, std::string&)> read;
    // The values to write, a line each (none: the key is left out).
    std::function<void(const BrowserSettings&, std::vector<std::string>&)> write;
};

// Where a setting lives in BrowserSettings: a member, or a member of a member.
template <class T>
class Field {
public:
    Field(T BrowserSettings::*member)
        : get_([member](BrowserSettings& s) -> T& { return s.*member; }),
          see_([member](const BrowserSettings& s) -> const T& { return s.*member; }) {}
    template <class Part>
    Field(Part BrowserSettings::*part, T Part::*member)
        : get_([part, member](BrowserSettings& s) -> T& { return (s.*part).*member; }),
          see_([part, member](const BrowserSettings& s) -> const T& { return (s.*part).*member; }) {}

    T& operator()(BrowserSettings& settings) const { return get_(settings); }
    const T& operator()(const BrowserSettings& settings) const { return see_(settings); }

private:
    std::function<T&(BrowserSettings&)> get_;
    std::function<const T&(const BrowserSettings&)> see_;
};

// Values may hold any text: backslash, line feed and carriage return are written escaped.
std::string Escaped(std::wstring_view value);
std::wstring Unescaped(std::string_view value);
// A decimal number from lowest to highest, into number; false (number untouched) when not.
bool ParseNumber(std::string_view text, int lowest, int highest, int& number);

SettingLine Number(const NumberSetting& setting, Field<int> field);
SettingLine Flag(const char* key, Field<bool> field);  // "0" or "1"
SettingLine Text(const char* key, Field<std::wstring> field);
// A list of addresses, a line each, read by parse (ParseServerAddress or ParseMasterAddress).
using AddressParser = bool (*)(std::string_view, ServerAddress&, ServerListError&);
SettingLine Addresses(const char* key, AddressParser parse, Field<std::vector<ServerAddress>> field);

// A choice among names, the enumeration's values in their order.
template <class Enum, size_t Count>
SettingLine Choice(const char* key, const char* const (&names)[Count], Field<Enum> field) {
    return {key,
            [&names, field](std::string_view value, BrowserSettings& settings, std::string&) {
                for (size_t i = 0; i < Count; ++i) {
                    if (value != names[i]) continue;
                    field(settings) = static_cast<Enum>(i);
                    return true;
                }
                return false;
            },
            [&names, field](const BrowserSettings& settings, std::vector<std::string>& values) {
                values.push_back(names[static_cast<size_t>(field(settings))]);
            }};
}
