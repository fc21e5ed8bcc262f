// What the Windows test programs share: where they and the programs built beside them lie,
// temporary files, what the fake game recorded, dialogs on screen, the socket layer as a
// process sees it, and a watch on calls that may hang.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <future>
#include <string>
#include <thread>
#include <vector>

#include "common/contract/windows_headers.h"

namespace test_support {

// The folder of this test program, where the build puts the plugin, vtquery.exe and
// fake_game.exe too; with its closing '\'.
std::wstring ProgramFolder();
// A new empty file in the temporary folder, its name starting with prefix.
std::wstring TempFile(const wchar_t* prefix);
// The whole content of a file; empty when it cannot be read.
std::string ReadFile(const std::wstring& path);
// "127.0.0.1:port", as a user types a local server.
std::string Local(std::uint16_t port);

struct ProgramRun {
    DWORD exitCode = 999;  // also when it could not start, or outlived its bound and was ended
    std::string out;
    std::string err;
};
// Runs program (a file in ProgramFolder()) with arguments, as a user starts it, and has
// meanwhile(process id) act on it; it then gets boundMs to end. Its output goes through files,
// so neither stream can fill up and stall it; or both to outputTo, when given.
ProgramRun RunProgram(const std::wstring& program, const std::vector<std::wstring>& arguments, DWORD boundMs,
                      const std::function<void(DWORD)>& meanwhile = {}, HANDLE outputTo = nullptr);

// The file the fake game records its start in (its command line and working folder, one line
// each), named to it by FAKE_GAME_RECORD while this lives. Both go with it.
class GameRecord {
public:
    GameRecord();
    ~GameRecord();
    GameRecord(const GameRecord&) = delete;
    GameRecord& operator=(const GameRecord&) = delete;

    // The lines recorded, once there are two or wait passed.
    std::vector<std::wstring> Lines(std::chrono::milliseconds wait = {}) const;

private:
    std::wstring path_;
};

// The visible dialogs (message boxes among them) of one thread, or of the whole process when
// thread is 0, whose title is title (any title when empty).
std::vector<HWND> ShownDialogs(DWORD thread, const std::wstring& title = L"");

// Whether this process may make a socket, i.e. someone holds the socket layer started.
bool SocketLayerStarted();
// The open sockets of this process: handle values the socket layer answers for.
int OpenSocketCount();

// Ends the process with a message that what did not return in time.
[[noreturn]] void EndOverrun(const std::string& what);

// Runs work, watched: work that overruns its limit ends the process with a message naming it. A
// hung ping cannot be cancelled, and a test that waited for it forever would stall every test
// after it. The work runs on a new thread, the newest of the process: where i686 programs run
// under user-mode emulation, a thread that resumes after an exception gets the thread block of
// the newest thread, so a fault the work meets is handled right only there.
template <class Work>
void Within(std::chrono::milliseconds limit, const std::string& what, Work&& work) {
    std::promise<void> done;
    std::future<void> finished = done.get_future();
    std::thread worker([&] {
        try {
            work();
            done.set_value();
        } catch (...) {
            done.set_exception(std::current_exception());
        }
    });
    if (finished.wait_for(limit) == std::future_status::timeout) EndOverrun(what);
    worker.join();
    finished.get();
}

}  // namespace test_support
