#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "contract/windows_headers.h"
#include "host/server_objects.h"
#include "launch/launch_game.h"
#include "launch/launch_options.h"

using ::testing::ElementsAre;
using ::testing::EndsWith;

namespace {

std::wstring Wide(const std::string& utf8) {
    if (utf8.empty()) return {};
    const int length =
        MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring text(length, L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), text.data(), length);
    return text;
}

// The folder of this test program, where the build puts fake_game.exe too; no closing '\'.
std::wstring ProgramFolder() {
    std::vector<wchar_t> path(4096);
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    const std::wstring program(path.data(), length);
    return program.substr(0, program.find_last_of(L"\\/"));
}

std::wstring NewRecordPath() {
    std::vector<wchar_t> folder(MAX_PATH + 1);
    GetTempPathW(static_cast<DWORD>(folder.size()), folder.data());
    std::vector<wchar_t> path(MAX_PATH + 1);
    GetTempFileNameW(folder.data(), L"fgr", 0, path.data());
    return path.data();
}

// The lines fake_game appended to path, once it has written them (at most about 10 s).
std::vector<std::wstring> WaitForRecord(const std::wstring& path) {
    for (int attempt = 0; attempt < 200; ++attempt) {
        std::ifstream file(std::filesystem::path(path), std::ios::binary);
        std::stringstream content;
        content << file.rdbuf();
        std::vector<std::wstring> lines;
        std::string line;
        while (std::getline(content, line)) lines.push_back(Wide(line));
        if (lines.size() >= 2) return lines;
        Sleep(50);
    }
    return {};
}

class LaunchGameWin : public ::testing::Test {
protected:
    void SetUp() override {
        entry->SetJournal(journal);
        entry->SetAddress(L"10.0.0.5");
        entry->SetPort(28001);
        entry->SetLaunchParameters(L"-fast");
        entry->SetLaunchOptionValue(PlayerName, L"Jet Pack");
    }

    void TearDown() override { SetEnvironmentVariableW(L"FAKE_GAME_RECORD", nullptr); }

    HostRef<HostServerEntry> entry = HostRef<HostServerEntry>::Adopt(HostServerEntry::Create());
    std::shared_ptr<CallJournal> journal = std::make_shared<CallJournal>();
    SessionRecord session{{VtHandle("server"), nullptr, entry.get()}, L"Servers\\server"};
};

TEST_F(LaunchGameWin, StartsTheProgramInItsFolderWithTheComposedArguments) {
    const std::wstring folder = ProgramFolder();
    const std::wstring program = folder + L"\\fake_game.exe";
    // A program that cannot be started shows a message box, which would hold this test.
    ASSERT_NE(GetFileAttributesW(program.c_str()), INVALID_FILE_ATTRIBUTES) << "build the fake_game target";

    std::wstring slashFolder = folder;
    for (wchar_t& c : slashFolder) c = c == L'\\' ? L'/' : c;
    const struct {
        const char* what;
        std::wstring executablePath;
    } cases[] = {
        {"backslashes", program},
        {"forward slashes", slashFolder + L"/fake_game.exe"},
    };

    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        journal->Clear();
        entry->SetExecutablePath(c.executablePath);
        const std::wstring record = NewRecordPath();
        SetEnvironmentVariableW(L"FAKE_GAME_RECORD", record.c_str());

        HostHolds holds;
        LaunchGame(&session, holds);

        const std::vector<std::wstring> lines = WaitForRecord(record);
        DeleteFileW(record.c_str());
        ASSERT_EQ(lines.size(), 2u) << "fake_game did not record its start";
        EXPECT_THAT(lines[0], EndsWith(L" +name \"Jet Pack\" -fast +connect 10.0.0.5:28001"));
        std::wstring directory = lines[1];
        for (wchar_t& ch : directory) ch = ch == L'/' ? L'\\' : ch;
        EXPECT_EQ(CompareStringOrdinal(directory.c_str(), -1, folder.c_str(), -1, TRUE), CSTR_EQUAL)
            << "working directory " << std::string(directory.begin(), directory.end());

        // Path and arguments are read under one held lock, given back before the start.
        EXPECT_THAT(
            journal->Lines(),
            ElementsAre(L"entry.Lock", L"entry.GetExecutablePath", L"entry.Lock", L"entry.Lock",
                        L"entry.GetPort", L"entry.Unlock", L"entry.GetAddress", L"entry.GetLaunchParameters",
                        L"entry.GetLaunchOption(3)", L"entry.GetLaunchOption(1)", L"entry.GetLaunchOption(2)",
                        L"entry.Unlock", L"entry.Unlock"));
        EXPECT_EQ(entry->LockDepth(), 0);
        EXPECT_TRUE(holds.Empty());
    }
}

}  // namespace
