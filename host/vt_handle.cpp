#include <cstring>

#include "boundary/host_services.h"

VtHandle::VtHandle(const char* text) : text_(text ? text : "") {}

VtHandle::VtHandle(const VtHandle& other) = default;

VtHandle& VtHandle::operator=(const VtHandle& other) = default;

VtHandle::~VtHandle() = default;

const char* VtHandle::toCharString() const {
    return text_.c_str();
}

// Byte-wise, as strcmp orders them: the order the host keeps its servers in.
bool operator<(const VtHandle& left, const VtHandle& right) {
    return std::strcmp(left.toCharString(), right.toCharString()) < 0;
}
