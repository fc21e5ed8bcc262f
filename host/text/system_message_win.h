// The system's own description of an error code, as the host library and the runner show it.
#pragma once

#include <string>

#include "common/contract/windows_headers.h"

// FormatMessage's text for code without its closing line break; empty when the system has none.
std::wstring SystemMessage(DWORD code);
