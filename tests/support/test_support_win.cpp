#include <cstdio>
#include <fstream>
#include <sstream>

#include "contract/windows_headers.h"
#include "owners/unique_resource.h"
#include "tests/support/test_support.h"

namespace test_support {

namespace {

// Handle values are multiples of 4 handed out from the lowest free one, so the sockets of a
// process that never held more than this many handles at once all lie below this value.
constexpr std::uintptr_t HighestHandleValue = 4 * 16384;

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

Watchdog::Watchdog() : thread_([this] { Watch(); }) {}

Watchdog::~Watchdog() {
    {
        std::lock_guard<std::mutex> hold(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
    thread_.join();
}

void Watchdog::Arm(std::chrono::milliseconds limit, const std::string& what) {
    {
        std::lock_guard<std::mutex> hold(mutex_);
        armed_ = true;
        deadline_ = std::chrono::steady_clock::now() + limit;
        what_ = what;
    }
    changed_.notify_all();
}

void Watchdog::Disarm() {
    std::lock_guard<std::mutex> hold(mutex_);
    armed_ = false;
}

void Watchdog::Watch() {
    std::unique_lock<std::mutex> hold(mutex_);
    while (!stopping_) {
        if (!armed_) {
            changed_.wait(hold);
            continue;
        }
        const auto deadline = deadline_;
        if (changed_.wait_until(hold, deadline) == std::cv_status::timeout && armed_ &&
            deadline_ == deadline) {
            std::fprintf(stderr, "\nFAILED: %s did not return in time; ending the test program\n",
                         what_.c_str());
            std::fflush(stdout);
            std::fflush(stderr);
            TerminateProcess(GetCurrentProcess(), 3);
        }
    }
}

}  // namespace test_support
