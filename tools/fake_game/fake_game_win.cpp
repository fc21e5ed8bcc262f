// Stands in for the game in launch tests: appends the command line it was started with and its
// working directory, as two UTF-8 lines, to the file named by FAKE_GAME_RECORD, then exits.
// Exit code 0 when recorded, 2 when there is nowhere to record.
#include <string>
#include <vector>

#include "common/contract/windows_headers.h"
#include "common/owners/unique_resource.h"
#include "host/text/utf8_text.h"

namespace {

std::wstring EnvironmentValue(const wchar_t* name) {
    const DWORD size = GetEnvironmentVariableW(name, nullptr, 0);
    if (size == 0) return {};
    std::vector<wchar_t> value(size);
    const DWORD length = GetEnvironmentVariableW(name, value.data(), size);
    return std::wstring(value.data(), length < size ? length : 0);
}

std::wstring CurrentDirectory() {
    const DWORD size = GetCurrentDirectoryW(0, nullptr);
    std::vector<wchar_t> directory(size + 1);
    const DWORD length = GetCurrentDirectoryW(static_cast<DWORD>(directory.size()), directory.data());
    return std::wstring(directory.data(), length < directory.size() ? length : 0);
}

}  // namespace

int main() {
    const std::wstring recordPath = EnvironmentValue(L"FAKE_GAME_RECORD");
    if (recordPath.empty()) return 2;

    // One write, so two starts that record at the same time do not mix their lines.
    const std::string record =
        Utf8FromWide(GetCommandLineW()) + "\n" + Utf8FromWide(CurrentDirectory()) + "\n";
    const owners::unique_file file(CreateFileW(recordPath.c_str(), FILE_APPEND_DATA,
                                               FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                                               FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return 2;
    DWORD written = 0;
    const BOOL done =
        WriteFile(file.get(), record.data(), static_cast<DWORD>(record.size()), &written, nullptr);
    return done && written == record.size() ? 0 : 2;
}
