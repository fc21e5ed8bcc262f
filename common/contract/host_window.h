// The host window object that the forward command asks for its window handle.
#pragma once

#include "common/contract/windows_headers.h"

class VtHostWindow {
public:
    virtual HWND GetWindowHandle() = 0;

protected:
    ~VtHostWindow() = default;
};
