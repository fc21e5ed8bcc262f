#include "apps/vtbrowse/settings_file.h"

#include <fstream>
#include <system_error>

#include "host/text/text_file.h"
#include "host/text/utf8_text.h"

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
