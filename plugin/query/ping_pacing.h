// How the ping cycle paces its passes: how long each pass waits for the server, when the query
// goes out again, and when the cycle gives up for want of a complete reply.
//
// The query goes out again at the end of every full wait (1000 ms) that runs out, and the
// re-send counter counts those down from the time budget. Once the budget is spent the cycle
// is also bounded in time: a pass that starts budget + 1 s after the first pass began is the
// last one, however many stray datagrams or input messages kept the waits from running out.
#pragma once

#include <cstdint>

// The longest wait of one pass, which is also the re-send period.
constexpr std::uint32_t FullWaitMilliseconds = 1000;

// Why a pass's wait returned.
enum class Wakeup {
    Signalled,  // the wake-up semaphore: a datagram is probably waiting
    RanOut,     // the wait's time ran out
    Input,      // new input in the waiting thread's queue (left there)
    Failed,     // none of these: the wait itself failed
};

// What the pass does once its wait returned.
enum class PassAction {
    Receive,  // receive the datagram and hand it to the parser
    Resend,   // send the query again (a full wait ran out; the counter was counted down)
    Nothing,  // input, a poll or a wait cut short ran out: an empty pass
    Fail,     // the cycle ends with the failure outcome
};

class PingPacing {
public:
    explicit PingPacing(int timeoutSeconds) : timeoutSeconds_(timeoutSeconds), counter_(timeoutSeconds) {}

    // The wait in milliseconds (0 is a poll) of the pass that starts elapsedMilliseconds after
    // the first send.
    std::uint32_t NextWait(int elapsedMilliseconds);
    // What the pass does now that its wait returned.
    PassAction AfterWait(Wakeup wakeup);
    // After the pass's action, when no complete reply has come: whether the cycle ends with
    // the timeout outcome. broughtData: the pass received a datagram.
    bool TimedOut(bool broughtData) const;

    int Counter() const { return counter_; }

private:
    int timeoutSeconds_;
    int counter_;                 // re-sends still to come; 0 once the budget is spent
    std::int64_t deadline_ = -1;  // in elapsed milliseconds; set by the first pass
    std::uint32_t wait_ = 0;      // the current pass's wait
    bool full_ = false;           // it is a full wait: running out re-sends
    bool last_ = false;           // the cycle times out after it unless a reply came
};

// What a pass's receive found.
enum class Received {
    Reply,     // a datagram that completed the reply
    Datagram,  // a datagram that is no complete reply (a stray, a cut reply)
    Nothing,   // no datagram waiting: the count came from an earlier cycle's socket
    Failed,    // the socket layer failed
};

// How a cycle's passes ended.
enum class CycleEnd { Reply, Timeout, SocketFailure, WaitFailed };

// The steps of a cycle that meet the clock, the semaphore and the socket.
class PassSteps {
public:
    virtual ~PassSteps() = default;
    // Milliseconds since the first send.
    virtual int Elapsed() = 0;
    // Waits at most milliseconds (0: a poll) for the semaphore or new input.
    virtual Wakeup Wait(std::uint32_t milliseconds) = 0;
    virtual Received Receive() = 0;
    // Sends the query again; false when the socket layer failed.
    virtual bool Resend() = 0;
};

// The passes of a cycle whose query went out, paced as above, until one of them ends it.
CycleEnd RunPasses(int timeoutSeconds, PassSteps& steps);
