// What the reliability tests share: the process's resource figures, a watchdog that turns a
// hung ping into a failed program instead of a stalled suite, the switch to the long variants,
// and what each ping outcome leaves in the host's record and tables.
#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

#include "tests/integration/plugin_host.h"
#include "tools/tribes_emu/reply_builder.h"

namespace integration {

// TRIBES_LONG=1 in the environment selects the long variants.
bool LongRun();
template <class Value>
Value ShortOrLong(Value shortValue, Value longValue) {
    return LongRun() ? longValue : shortValue;
}

// Handles, private bytes and sockets the whole process holds.
struct ProcessFigures {
    DWORD handles = 0;
    SIZE_T privateBytes = 0;
    int sockets = 0;
};
ProcessFigures MeasureProcess();
std::string Describe(const ProcessFigures& figures);
// The open handles of this process: handle values the system answers for.
DWORD OpenHandleCount();
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

// One thread that runs every piece of work given to it, as a host's ping worker does: a fault
// trapped on it earlier must leave it fit for the next ping.
class WorkerThread {
public:
    WorkerThread();
    ~WorkerThread();
    WorkerThread(const WorkerThread&) = delete;
    WorkerThread& operator=(const WorkerThread&) = delete;

    // Starts work on the thread; Wait() returns once it is done. One piece at a time.
    void Start(std::function<void()> work);
    void Wait();

private:
    void Serve();

    std::mutex mutex_;
    std::condition_variable changed_;
    std::function<void()> work_;
    bool busy_ = false;
    bool stopping_ = false;
    std::thread thread_;
};

// The longest a ping with budget seconds may take: the budget and one second, and slack for a
// machine that others share.
std::chrono::milliseconds PingLimit(int budgetSeconds);

// The record and tables as the complete reply of info leaves them: playerRows player rows from
// the reply's first players, after earlyPropertyRows property rows of an earlier datagram.
void ExpectReplyShown(const TestServer& server, const tribes_emu::ServerInfo& info, std::size_t playerRows,
                      std::size_t earlyPropertyRows = 0);
void ExpectReplyShown(const TestServer& server, const tribes_emu::ServerInfo& info);
// The record and tables as the timeout outcome leaves them.
void ExpectTimeoutShown(const TestServer& server);
// The same for the failure outcome.
void ExpectFailureShown(const TestServer& server);
// No ping holds anything: one reference each for the test and the session, no open lock or
// update bracket.
void ExpectNothingHeld(const TestServer& server);

}  // namespace integration
