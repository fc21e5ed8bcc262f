// Redirects one imported function of one loaded module by rewriting its import address table
// entry, so a benchmark can count the calls that module makes (and only that module: every DLL
// calls through its own table).
#pragma once

#include "common/contract/windows_headers.h"

// Points module's import of function from dll (names compared without case) at replacement and
// returns what the entry held before; null when the module imports no such function by name.
void* ReplaceImport(HMODULE module, const char* dll, const char* function, void* replacement);
