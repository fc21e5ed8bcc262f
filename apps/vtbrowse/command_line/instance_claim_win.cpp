#include "apps/vtbrowse/command_line/instance_claim_win.h"

#include <algorithm>
#include <cstdint>
#include <cwchar>

#include "apps/vtbrowse/command_line/handover.h"

namespace {

// How often a later start looks again for the first's window, or whether the first has ended.
constexpr DWORD LookEveryMs = 100;

// The name of settingsPath's instance in this session's namespace: the path as Windows compares
// file names (case folded), hashed to a fixed width (FNV-1a), the same in a 32-bit and a 64-bit
// vtbrowse, so that either finds the other.
std::wstring InstanceName(const std::wstring& settingsPath) {
    std::wstring folded = settingsPath;
    CharUpperBuffW(folded.data(), static_cast<DWORD>(folded.size()));
    std::uint64_t hash = 14695981039346656037ull;
    for (const wchar_t unit : folded) {
        hash ^= static_cast<std::uint16_t>(unit);
        hash *= 1099511628211ull;
    }
    wchar_t hex[17] = L"";
    std::swprintf(hex, 17, L"%016llx", static_cast<unsigned long long>(hash));
    return std::wstring(L"Local\\vtbrowse-") + hex;
}

volatile LONG* Slot(const owners::unique_mapped_view& view) {
    return static_cast<volatile LONG*>(view.get());
}

}  // namespace

InstanceClaim::InstanceClaim(const std::wstring& settingsPath) {
    const std::wstring name = InstanceName(settingsPath);
    mutex_.reset(CreateMutexW(nullptr, FALSE, name.c_str()));
    if (mutex_) {
        // A window handle's 32 low bits are the whole handle, in a 32-bit and a 64-bit process.
        section_.reset(CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(LONG),
                                          (name + L"-window").c_str()));
    }
    if (section_)
        window_.reset(MapViewOfFile(section_.get(), FILE_MAP_READ | FILE_MAP_WRITE, 0, 0, sizeof(LONG)));
    if (!window_) {
        error_ = GetLastError();
        return;
    }
    Take(0);
}

InstanceClaim::~InstanceClaim() {
    if (!held_) return;
    Publish(nullptr);
    ReleaseMutex(mutex_.get());
}

bool InstanceClaim::Take(DWORD waitMs) {
    const DWORD taken = WaitForSingleObject(mutex_.get(), waitMs);
    // Abandoned: its holder ended without letting go; the claim is ours all the same.
    held_ = taken == WAIT_OBJECT_0 || taken == WAIT_ABANDONED;
    // What a holder that ended without withdrawing its window left there.
    if (held_) Publish(nullptr);
    return held_;
}

void InstanceClaim::Publish(HWND window) {
    if (held_) InterlockedExchange(Slot(window_), HandleToLong(window));
}

HWND InstanceClaim::Published() const {
    return static_cast<HWND>(LongToHandle(InterlockedCompareExchange(Slot(window_), 0, 0)));
}

HandoverEnd InstanceClaim::HandOver(const std::string& payload, const HandoverBounds& bounds) {
    const ULONGLONG deadline = GetTickCount64() + bounds.waitMs;
    bool unanswered = false;
    for (;;) {
        const ULONGLONG now = GetTickCount64();
        if (Take(static_cast<DWORD>(std::min<ULONGLONG>(LookEveryMs, deadline > now ? deadline - now : 0))))
            return HandoverEnd::BecameFirst;
        // A window that is gone (its holder died) or refuses (its holder is closing) is looked for
        // again: the claim comes free soon after.
        if (HWND window = Published(); window && IsWindow(window)) {
            DWORD process = 0;
            GetWindowThreadProcessId(window, &process);
            // Whoever the user started last may bring a window forward: this start lends it that.
            AllowSetForegroundWindow(process);
            COPYDATASTRUCT copy{HandoverMark, static_cast<DWORD>(payload.size()),
                                const_cast<char*>(payload.data())};
            DWORD_PTR taken = FALSE;
            if (SendMessageTimeoutW(window, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&copy), SMTO_ABORTIFHUNG,
                                    bounds.answerMs, &taken)) {
                if (taken) return HandoverEnd::Taken;
            } else if (IsWindow(window)) {
                unanswered = true;
            }
        }
        if (GetTickCount64() >= deadline) return unanswered ? HandoverEnd::NoAnswer : HandoverEnd::NoWindow;
    }
}
