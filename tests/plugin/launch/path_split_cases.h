// Paths and the parts the launch's split gives them: the platform's split (tested on Windows),
// and for a part longer than its buffer, the part whole before the cut (tested everywhere).
#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "plugin/launch/path_split.h"

struct PathSplitCase {
    const char* what;
    std::wstring path;
    PathParts expected;
    std::optional<PathParts> whole = std::nullopt;  // before the cut, where it cuts
    PathParts Whole() const { return whole.value_or(expected); }
};

inline std::vector<PathSplitCase> PathSplitCases() {
    const std::wstring longDirectory = L"\\" + std::wstring(300, L'd') + L"\\";
    const std::wstring longName(300, L'n');
    const std::wstring longExtension = L"." + std::wstring(300, L'e');
    return {
        {"drive, directories, name, extension",
         L"C:\\Games\\Tribes\\Tribes.exe",
         {L"C:", L"\\Games\\Tribes\\", L"Tribes", L".exe"}},
        {"bare file name", L"Tribes.exe", {L"", L"", L"Tribes", L".exe"}},
        {"no extension", L"C:\\Games\\Tribes\\run", {L"C:", L"\\Games\\Tribes\\", L"run", L""}},
        {"dot in a directory name only",
         L"C:\\My.Games\\Tribes\\run",
         {L"C:", L"\\My.Games\\Tribes\\", L"run", L""}},
        {"forward slashes", L"C:/Games/Tribes/Tribes.exe", {L"C:", L"/Games/Tribes/", L"Tribes", L".exe"}},
        {"mixed separators, two dots", L"D:\\a/b\\c.d.exe", {L"D:", L"\\a/b\\", L"c.d", L".exe"}},
        {"drive without directory", L"C:Tribes.exe", {L"C:", L"", L"Tribes", L".exe"}},
        {"network share", L"\\\\host\\share\\game.exe", {L"", L"\\\\host\\share\\", L"game", L".exe"}},
        {"name that is all extension", L"C:\\.tribes", {L"C:", L"\\", L"", L".tribes"}},
        {"directory only", L"C:\\Games\\", {L"C:", L"\\Games\\", L"", L""}},
        {"colon not in second place", L"ab:c.exe", {L"", L"", L"ab:c", L".exe"}},
        {"empty path", L"", {L"", L"", L"", L""}},
        {"over-long directory is cut",
         L"C:" + longDirectory + L"game.exe",
         {L"C:", longDirectory.substr(0, 255), L"game", L".exe"},
         PathParts{L"C:", longDirectory, L"game", L".exe"}},
        {"over-long name is cut",
         longName + L".exe",
         {L"", L"", longName.substr(0, 255), L".exe"},
         PathParts{L"", L"", longName, L".exe"}},
        {"over-long extension is cut",
         L"a" + longExtension,
         {L"", L"", L"a", longExtension.substr(0, 255)},
         PathParts{L"", L"", L"a", longExtension}},
    };
}

inline bool operator==(const PathParts& left, const PathParts& right) {
    return left.drive == right.drive && left.directory == right.directory &&
           left.fileName == right.fileName && left.extension == right.extension;
}

inline std::ostream& operator<<(std::ostream& out, const PathParts& parts) {
    auto narrow = [](const std::wstring& text) { return std::string(text.begin(), text.end()); };
    return out << "{drive \"" << narrow(parts.drive) << "\", directory \"" << narrow(parts.directory)
               << "\", name \"" << narrow(parts.fileName) << "\", extension \"" << narrow(parts.extension)
               << "\"}";
}
