#include <cstring>

#include "contract/host_services.h"
#include "host/host_fault.h"

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

VtHandle::~VtHandle() = default;

const char* VtHandle::toCharString() const {
    return text_.c_str();
}

// Byte-wise, as strcmp orders them: the order the host keeps its servers in.
bool operator<(const VtHandle& left, const VtHandle& right) {
    return std::strcmp(left.toCharString(), right.toCharString()) < 0;
}
