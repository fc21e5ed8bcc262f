#include <atomic>
#include <cstring>
#include <memory>
#include <mutex>

#include "contract/host_services.h"
#include "host/host_fault.h"
#include "host/server_objects.h"

namespace {

// The journal that sees handles go, if one is attached; handles go on every thread.
struct HandleJournal {
    std::mutex mutex;
    std::shared_ptr<CallJournal> journal;
    std::atomic<bool> attached{false};  // all a handle's destruction looks at without one
};

HandleJournal& Watch() {
    static HandleJournal watch;
    return watch;
}

}  // namespace

VtHandle::VtHandle(const char* text) {
    Offered([&] { text_ = text ? text : ""; });
}

VtHandle::VtHandle(const VtHandle& other) {
    Offered([&] { text_ = other.text_; });
}

VtHandle& VtHandle::operator=(const VtHandle& other) {
    Offered([&] { text_ = other.text_; });
    return *this;
}

VtHandle::~VtHandle() {
    HandleJournal& watch = Watch();
    if (!watch.attached.load(std::memory_order_acquire)) return;
    Offered([&] {
        std::lock_guard<std::mutex> hold(watch.mutex);
        if (!watch.journal) return;
        std::wstring line = L"handle.Destroy(";
        for (unsigned char c : text_) line += static_cast<wchar_t>(c);
        watch.journal->Record(line + L")");
    });
}

const char* VtHandle::toCharString() const {
    return text_.c_str();
}

// Byte-wise, as strcmp orders them: the order the host keeps its servers in.
bool operator<(const VtHandle& left, const VtHandle& right) {
    return std::strcmp(left.toCharString(), right.toCharString()) < 0;
}

void JournalHandleDestruction(std::shared_ptr<CallJournal> journal) {
    HandleJournal& watch = Watch();
    std::lock_guard<std::mutex> hold(watch.mutex);
    watch.journal = std::move(journal);
    watch.attached.store(watch.journal != nullptr, std::memory_order_release);
}
