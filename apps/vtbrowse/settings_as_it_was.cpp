#include "apps/vtbrowse/settings_as_it_was.h"

#include <system_error>

#include "host/text/utf8_text.h"

std::filesystem::path AsItWasPath(const std::filesystem::path& path, const std::tm& when) {
    char stamp[32] = "";
    std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &when);
    std::filesystem::path kept = path;
    kept.replace_filename(path.stem().wstring() + L"-as-it-was-" + WideFromUtf8(stamp) +
                          path.extension().wstring());
    return kept;
}

std::filesystem::path KeepAsItWas(const std::filesystem::path& path, const std::tm& when,
                                  std::string& error) {
    const std::filesystem::path first = AsItWasPath(path, when);
    std::filesystem::path kept = first;
    std::error_code failed;
    // A second start within the same second with a file as bad: each copy keeps its own name.
    for (int number = 2; std::filesystem::exists(kept, failed) && number < 100; ++number) {
        kept.replace_filename(first.stem().wstring() + L"-" + std::to_wstring(number) +
                              first.extension().wstring());
    }
    if (!std::filesystem::copy_file(path, kept, std::filesystem::copy_options::none, failed)) {
        error = "cannot keep a copy of '" + Utf8FromWide(path.wstring()) + "' as '" +
                Utf8FromWide(kept.wstring()) + "': " + failed.message();
        return {};
    }
    return kept;
}

std::wstring KeepAsItWasNow(const std::filesystem::path& path) {
    const std::time_t now = std::time(nullptr);
    const std::tm* local = std::localtime(&now);
    std::string error;
    const std::filesystem::path kept = KeepAsItWas(path, local ? *local : std::tm{}, error);
    if (kept.empty()) return L"The settings file as it was could not be kept: " + WideFromUtf8(error);
    return L"The settings file as it was, with the lines that could not be read, is kept as " +
           kept.wstring();
}

std::vector<std::wstring> LoadSettingsKeepingUnread(const std::filesystem::path& path,
                                                    BrowserSettings& settings,
                                                    const std::vector<std::string>& problems) {
    const std::vector<std::string> unread = LoadSettingsFile(path, settings);
    std::vector<std::wstring> said;
    for (const std::string& problem : problems) said.push_back(WideFromUtf8(problem));
    for (const std::string& line : unread) said.push_back(WideFromUtf8(line));
    if (!unread.empty()) said.push_back(KeepAsItWasNow(path));
    return said;
}
