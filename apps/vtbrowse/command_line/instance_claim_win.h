// One vtbrowse per settings file, as Windows programs of its kind behave. The first start claims
// the settings file's instance: a named mutex in the session's namespace, owned for the program's
// life, so two starts at once cannot both be first, and a first that dies leaves it abandoned,
// to be taken by the next. Once its window takes command lines, the first publishes that window
// in a named section beside the mutex. A later start finds the window there, hands it its command
// line (WM_COPYDATA, handover.h), lets it come forward and ends: it never opens the settings file.
// The names come from the settings file's full path, so every user (each has a file of their
// own) has one vtbrowse, and a start with --settings FILE of its own is the vtbrowse of that file.
#pragma once

#include <string>

#include "common/contract/windows_headers.h"
#include "common/owners/unique_resource.h"

// How long a later start waits on the first.
struct HandoverBounds {
    DWORD waitMs = 20000;   // for its window to appear (it may be starting), or for it to end
    DWORD answerMs = 5000;  // for its window to take one command line
};

enum class HandoverEnd {
    Taken,        // the first vtbrowse has the command line and comes forward
    BecameFirst,  // the first ended meanwhile: this start holds the claim now
    NoWindow,     // the first showed no window that takes command lines within the bounds
    NoAnswer,     // its window did not answer (hung) within the bounds
};

class InstanceClaim {
public:
    // Claims the instance of the settings file at settingsPath (a full path) for the calling
    // thread, or finds it held. Failed() when the named objects could not be made.
    explicit InstanceClaim(const std::wstring& settingsPath);
    // Withdraws the window and lets the claim go; on the thread that holds it.
    ~InstanceClaim();
    InstanceClaim(const InstanceClaim&) = delete;
    InstanceClaim& operator=(const InstanceClaim&) = delete;

    bool Held() const { return held_; }
    DWORD Failed() const { return error_; }  // the system's error code, or 0
    // While held: later starts hand their command lines to window from now on; null: to none.
    void Publish(HWND window);
    // While held by another process: hands it payload (PackHandover's) within bounds.
    HandoverEnd HandOver(const std::string& payload, const HandoverBounds& bounds);

private:
    bool Take(DWORD waitMs);
    HWND Published() const;

    owners::unique_handle mutex_;
    owners::unique_handle section_;
    owners::unique_mapped_view window_;  // a LONG: the published window's handle, or 0
    bool held_ = false;
    DWORD error_ = 0;
};
