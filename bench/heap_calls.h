// The number of operator new calls made so far by the whole program (this file's operator new
// replaces the library's for every program it is linked into).
#pragma once

#include <cstdint>

std::uint64_t HeapCallCount();
