#include <cstring>

#include "common/contract/host_services.h"
#include "host/services/offered.h"
#include "host/services/server_objects.h"

namespace {

// Handles go on every thread, and on every call that copies one.
WatchSlot handleWatch;

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
    CallWatch* watch = handleWatch.Current();
    if (!watch) return;
    Offered([&] {
        std::wstring text;
        for (unsigned char c : text_) text += static_cast<wchar_t>(c);
        watch->Enter(L"handle", L"Destroy", &text);
    });
}

const char* VtHandle::toCharString() const {
    return text_.c_str();
}

// Byte-wise, as strcmp orders them: the order the host keeps its servers in.
bool operator<(const VtHandle& left, const VtHandle& right) {
    return std::strcmp(left.toCharString(), right.toCharString()) < 0;
}

void WatchHandles(std::shared_ptr<CallWatch> watch) {
    handleWatch.Attach(std::move(watch));
}
