// What the Windows test programs share: where they and the programs built beside them lie,
// temporary files, the socket layer as a process sees it, and a watchdog for calls that may hang.
#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

namespace test_support {

// The folder of this test program, where the build puts the plugin, vtquery.exe and
// fake_game.exe too; with its closing '\'.
std::wstring ProgramFolder();
// A new empty file in the temporary folder, its name starting with prefix.
std::wstring TempFile(const wchar_t* prefix);
// The whole content of a file; empty when it cannot be read.
std::string ReadFile(const std::wstring& path);

// Whether this process may make a socket, i.e. someone holds the socket layer started.
bool SocketLayerStarted();
// The open sockets of this process: handle values the socket layer answers for.
int OpenSocketCount();

// Watches one piece of work at a time from a thread of its own. Work that overruns its limit
// ends the process with a message naming it: a hung ping cannot be cancelled, and a test that
// waited for it forever would stall every test after it.
class Watchdog {
public:
    Watchdog();
    ~Watchdog();
    Watchdog(const Watchdog&) = delete;
    Watchdog& operator=(const Watchdog&) = delete;

    template <class Work>
    void Within(std::chrono::milliseconds limit, const std::string& what, Work&& work) {
        Arm(limit, what);
        work();
        Disarm();
    }

private:
    void Arm(std::chrono::milliseconds limit, const std::string& what);
    void Disarm();
    void Watch();

    std::mutex mutex_;
    std::condition_variable changed_;
    bool armed_ = false;
    bool stopping_ = false;
    std::chrono::steady_clock::time_point deadline_;
    std::string what_;
    std::thread thread_;
};

}  // namespace test_support
