#include "apps/vtbrowse/settings/settings_file.h"

#include <cwchar>
#include <fstream>
#include <system_error>

#include "apps/vtbrowse/settings/settings_text.h"
#include "host/text/text_file.h"
#include "host/text/utf8_text.h"

std::vector<std::string> LoadSettingsFile(const std::filesystem::path& path, BrowserSettings& settings) {
    std::error_code missing;
    if (!std::filesystem::exists(path, missing)) {
        settings.masters = CommunityMasters();
        return {};
    }
    const std::string origin = Utf8FromWide(path.wstring());
    std::string content;
    switch (ReadTextFile(path, content)) {
        case TextFileRead::CannotOpen:
            return {"cannot read the settings file '" + origin + "'"};
        case TextFileRead::NotText:
            return {NotTextMessage("the settings file '" + origin + "'")};
        case TextFileRead::Read:
            break;
    }
    return ParseSettings(content, origin, settings);
}

bool SaveSettingsFile(const std::filesystem::path& path, const BrowserSettings& settings,
                      std::wstring& error) {
    std::error_code failed;
    if (path.has_parent_path()) std::filesystem::create_directories(path.parent_path(), failed);
    std::filesystem::path temporary = path;
    temporary += ".new";
    {
        std::ofstream file(temporary, std::ios::binary | std::ios::trunc);
        file << FormatSettings(settings);
        file.flush();
        if (!file) {
            error = L"cannot write the settings file '" + temporary.wstring() + L"'";
            return false;
        }
    }
    std::filesystem::rename(temporary, path, failed);
    if (failed) {
        error =
            L"cannot replace the settings file '" + path.wstring() + L"': " + WideFromUtf8(failed.message());
        return false;
    }
    return true;
}

std::filesystem::path AsItWasPath(const std::filesystem::path& path, const std::tm& when) {
    wchar_t stamp[32] = L"";
    std::wcsftime(stamp, 32, L"%Y%m%d-%H%M%S", &when);
    std::filesystem::path kept = path;
    kept.replace_filename(path.stem().wstring() + L"-as-it-was-" + stamp + path.extension().wstring());
    return kept;
}

std::filesystem::path KeepAsItWas(const std::filesystem::path& path, const std::tm& when,
                                  std::wstring& error) {
    const std::filesystem::path first = AsItWasPath(path, when);
    std::filesystem::path kept = first;
    std::error_code failed;
    // A second start within the same second with a file as bad: each copy keeps its own name.
    for (int number = 2; std::filesystem::exists(kept, failed) && number < 100; ++number) {
        kept.replace_filename(first.stem().wstring() + L"-" + std::to_wstring(number) +
                              first.extension().wstring());
    }
    if (!std::filesystem::copy_file(path, kept, std::filesystem::copy_options::none, failed)) {
        error = L"cannot keep a copy of '" + path.wstring() + L"' as '" + kept.wstring() + L"': " +
                WideFromUtf8(failed.message());
        return {};
    }
    return kept;
}

std::vector<std::wstring> LoadSettingsKeepingUnread(const std::filesystem::path& path,
                                                    BrowserSettings& settings) {
    std::vector<std::wstring> said;
    for (const std::string& line : LoadSettingsFile(path, settings)) said.push_back(WideFromUtf8(line));
    if (said.empty()) return said;
    const std::time_t now = std::time(nullptr);
    const std::tm* local = std::localtime(&now);
    std::wstring error;
    const std::filesystem::path kept = KeepAsItWas(path, local ? *local : std::tm{}, error);
    said.push_back(kept.empty()
                       ? L"The settings file as it was could not be kept: " + error
                       : L"The settings file as it was, with the lines that could not be read, is kept as " +
                             kept.wstring());
    return said;
}
