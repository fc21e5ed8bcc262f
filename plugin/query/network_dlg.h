// Each server session's network message window and the query state of its ping cycle.
//
// The window is a hidden modeless dialog on the command window's thread. Its one job: every
// data-ready notification of the cycle's socket becomes one count on WakeSemaphore, on which
// the cycle waits on the host's ping thread. The window also holds one start of the socket
// layer for its lifetime.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

#include "common/contract/session_record.h"
#include "plugin/error_trap/host_holds.h"
#include "common/owners/unique_resource.h"
#include "plugin/query/ping_clock.h"
#include "plugin/resources/resource_ids.h"
#include "plugin/window_framework/dialog_impl.h"

// The notification the socket layer posts to the window: wParam the socket, lParam the event
// (low word) and an error code (high word).
constexpr UINT WM_SOCKET_NOTIFY = WM_USER + 100;

// Sizes of the query and reply buffers; one receive takes at most a whole buffer.
constexpr int NetworkBufferSize = 2000;

class CNetworkDlg : public window_framework::CDialogImpl<CNetworkDlg> {
public:
    enum { IDD = NetworkMessageDialogId };

    CNetworkDlg();
    // Closes the semaphore, cleans up the socket layer (if it started) and destroys the
    // window (if it still exists). Must run on the window's thread. The socket is the cycle's.
    ~CNetworkDlg() override;

    BOOL ProcessWindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result,
                              DWORD mapId) override;

    // Stores the session, starts the socket layer and creates the wake-up semaphore; reports a
    // failed start-up as "Network Init Failure". Always 1.
    LRESULT OnInitDialog(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled);
    // One count on the semaphore for a data-ready notification without error, from any socket.
    LRESULT OnSocketNotify(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled);

    // The ping cycle's settings. Each returns 1; a null address stores the empty text.
    int SetTimeoutSeconds(int seconds);
    int SetServerAddress(const wchar_t* address);
    int SetServerPort(int port);

    // One query-and-reply exchange; writes the outcome (success, timeout or failure) to the
    // session's server data. Always 1. Runs on a thread other than the window's.
    int RunPing();
    // Sends "b**" (nothing once a whole reply was parsed). 1 when sent or nothing to send,
    // 0 when the socket layer reported an error.
    int SendQuery();
    // Receives one datagram and hands it to ParseReply. 1 when received, 0 on a receive error.
    int ReceiveReply();
    // Hands count bytes of a received datagram to the reply parser with this window's fields.
    void ParseReply(const unsigned char* bytes, int count);

    // The session the window was initialised for; null until then.
    SessionRecord* OwningSession() const { return Session; }
    // Closes the cycle's socket, if one is open: for a cycle that an exception or fault left.
    void CloseSocket() { Socket.reset(); }
    // Wake-ups the window raised that no cycle has taken yet (see RaisedWakes): the notifications
    // an earlier cycle's socket left, which the next cycle drains.
    long PendingWakes() const { return RaisedWakes.load(); }

private:
    enum class Outcome {
        Success,
        Timeout,
        SocketFailure,  // a socket call failed: the socket layer's last error says why
        NoSemaphore,    // the socket layer never started for this window
        WaitFailed,     // the wait for the semaphore failed
    };
    // Opens the exchange and waits; returns at once on any failure, with the socket layer's
    // last error still untouched.
    Outcome Exchange(VtServerData& data);
    // The cycle's clock, wait, receive and re-send, for the pacing's passes.
    class CycleSteps;
    // Takes every count the semaphore holds from earlier cycles, without waiting.
    void DrainWakeSemaphore();
    // Cancels the notifications, removes those this thread still has queued, closes the socket.
    void EndExchange();

    // The fields below are in the record's declared order; the trailing start-up owner is
    // not part of it.
    std::unique_ptr<owners::unique_handle[]> WakeSemaphore;  // one semaphore; null without one
    TimeStamp StartTime{};
    std::int32_t TimeoutSeconds = 0;
    std::wstring ServerAddress;
    std::wstring ServerName;
    std::wstring MapName;
    std::int32_t ServerPort = 0;
    owners::unique_socket Socket;      // empty between cycles
    SessionRecord* Session = nullptr;  // the session's record as the host sees it
    unsigned char SendBuffer[NetworkBufferSize] = {};
    unsigned char ReceiveBuffer[NetworkBufferSize] = {};
    std::int32_t BytesSent = 0;
    std::int32_t QueryLength = 0;
    std::int32_t PlayerCount = 0;
    std::int32_t MaxPlayers = 0;
    bool ReplyParsed = false;

    owners::unique_winsock NetworkStart;  // the socket layer start of OnInitDialog, if it worked
    unsigned long WaitError = 0;          // the system's error of the latest failed wait
    // Counts the window has raised on the semaphore and no cycle has taken yet: raised before
    // the semaphore is, taken after it is, so never below the semaphore's count. At 0 the drain
    // has nothing to take and asks the system nothing.
    std::atomic<long> RaisedWakes{0};
};

// One ping of session, whose network window is dialog (null when it has none): settings read
// under the entry's lock, RunPing inside the data's update bracket, one extra reference on each
// host object for the duration. Always 1. holds records what is taken as it is taken, so a
// ping that an exception or fault left can be undone.
int PingSession(SessionRecord& session, CNetworkDlg* dialog, error_trap::HostHolds& holds);
