// How long each pass of the ping cycle waits for the server, and when the cycle gives up.
//
// The query goes out again at the end of every full wait (1000 ms) that runs out, and the
// re-send counter counts those down from the time budget. Once the budget is spent the cycle
// is also bounded in time: a pass that starts at budget + 1 s after the first send is the last
// one, however many stray datagrams or input messages kept the waits from running out.
#pragma once

#include <cstdint>

struct PassWait {
    std::uint32_t milliseconds;  // how long the pass waits; 0 is a poll
    bool full;                   // running out re-sends the query and counts the counter down
    bool last;                   // without a complete reply after this pass, the cycle times out
};

// The longest wait of one pass, which is also the re-send period.
constexpr std::uint32_t FullWaitMilliseconds = 1000;

// The wait of the pass that starts elapsedMilliseconds after the first send, with a budget of
// timeoutSeconds. resendCounter starts a cycle at timeoutSeconds; a poll sets it to 0.
PassWait ChoosePassWait(int elapsedMilliseconds, int timeoutSeconds, int& resendCounter);
