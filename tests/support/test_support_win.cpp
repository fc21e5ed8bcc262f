#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "common/contract/windows_headers.h"
#include "common/owners/unique_resource.h"
#include "host/runner/dialog_windows_win.h"
#include "host/text/utf8_text.h"
#include "tests/support/test_support.h"

namespace test_support {

namespace {

// Handle values are multiples of 4 handed out from the lowest free one, so the sockets of a
// process that never held more than this many handles at once all lie below this value.
constexpr std::uintptr_t HighestHandleValue = 4 * 16384;

struct DialogSearch {
    DWORD thread;
    const std::wstring& title;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectDialog(HWND window, LPARAM search) {
    auto& wanted = *reinterpret_cast<DialogSearch*>(search);
    DWORD process = 0;
    const DWORD thread = GetWindowThreadProcessId(window, &process);
    wchar_t title[256] = L"";
    GetWindowTextW(window, title, 256);
    if ((wanted.thread ? thread == wanted.thread : process == GetCurrentProcessId()) &&
        IsDialogWindow(window) && IsWindowVisible(window) &&
        (wanted.title.empty() || wanted.title == title)) {
        wanted.found.push_back(window);
    }
    return TRUE;
}

}  // namespace

std::wstring ProgramFolder() {
    wchar_t path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    const std::wstring program(path, length);
    return program.substr(0, program.find_last_of(L"\\/") + 1);
}

std::wstring TempFile(const wchar_t* prefix) {
    wchar_t folder[MAX_PATH] = {};
    wchar_t name[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, folder);
    GetTempFileNameW(folder, prefix, 0, name);
    return name;
}

std::string ReadFile(const std::wstring& path) {
    std::ifstream file(path.c_str(), std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

std::string Local(std::uint16_t port) {
    return "127.0.0.1:" + std::to_string(port);
}

ProgramRun RunProgram(const std::wstring& program, const std::vector<std::wstring>& arguments, DWORD boundMs,
                      const std::function<void(DWORD)>& meanwhile, HANDLE outputTo) {
    std::wstring commandLine = L"\"" + ProgramFolder() + program + L"\"";
    for (const std::wstring& argument : arguments) commandLine += L" \"" + argument + L"\"";
    const std::wstring outPath = TempFile(L"tpo");
    const std::wstring errPath = TempFile(L"tpe");
    ProgramRun run;
    {
        SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
        const auto output = [&](const std::wstring& path) {
            return owners::unique_file(CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                                                   CREATE_ALWAYS, 0, nullptr));
        };
        const owners::unique_file out = output(outPath), err = output(errPath);
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
        startup.hStdOutput = outputTo ? outputTo : out.get();
        startup.hStdError = outputTo ? outputTo : err.get();
        PROCESS_INFORMATION process{};
        if (CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                           &process)) {
            const owners::unique_handle child(process.hProcess), thread(process.hThread);
            if (meanwhile) meanwhile(process.dwProcessId);
            if (WaitForSingleObject(child.get(), boundMs) != WAIT_OBJECT_0) {
                TerminateProcess(child.get(), 999);
                WaitForSingleObject(child.get(), 5000);
            }
            GetExitCodeProcess(child.get(), &run.exitCode);
        } else {
            run.err = "cannot start " + Utf8FromWide(program) + ": error " + std::to_string(GetLastError());
        }
    }
    run.out = ReadFile(outPath);
    run.err += ReadFile(errPath);
    DeleteFileW(outPath.c_str());
    DeleteFileW(errPath.c_str());
    return run;
}

GameRecord::GameRecord() : path_(TempFile(L"fgr")) {
    SetEnvironmentVariableW(L"FAKE_GAME_RECORD", path_.c_str());
}

GameRecord::~GameRecord() {
    SetEnvironmentVariableW(L"FAKE_GAME_RECORD", nullptr);
    DeleteFileW(path_.c_str());
}

std::vector<std::wstring> GameRecord::Lines(std::chrono::milliseconds wait) const {
    const auto deadline = std::chrono::steady_clock::now() + wait;
    for (;;) {
        std::vector<std::wstring> lines;
        std::istringstream content(ReadFile(path_));
        for (std::string line; std::getline(content, line);) lines.push_back(WideFromUtf8(line));
        if (lines.size() >= 2 || std::chrono::steady_clock::now() >= deadline) return lines;
        Sleep(50);
    }
}

std::vector<HWND> ShownDialogs(DWORD thread, const std::wstring& title) {
    DialogSearch search{thread, title, {}};
    EnumWindows(CollectDialog, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

bool SocketLayerStarted() {
    return static_cast<bool>(owners::unique_socket(socket(AF_INET, SOCK_DGRAM, 0)));
}

int OpenSocketCount() {
    int count = 0;
    for (std::uintptr_t value = 4; value < HighestHandleValue; value += 4) {
        int type = 0;
        int length = sizeof type;
        if (getsockopt(static_cast<SOCKET>(value), SOL_SOCKET, SO_TYPE, reinterpret_cast<char*>(&type),
                       &length) == 0) {
            ++count;
        }
    }
    return count;
}

void EndOverrun(const std::string& what) {
    std::fprintf(stderr, "\nFAILED: %s did not return in time; ending the test program\n", what.c_str());
    std::fflush(stdout);
    std::fflush(stderr);
    TerminateProcess(GetCurrentProcess(), 3);
    std::abort();  // not reached: the process ends with the call above
}

}  // namespace test_support
