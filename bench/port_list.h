// The UDP ports a benchmark queries: a tribes-emu ready file (one port a line) or a range.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The ports listed in the file at path, one decimal number a line; empty when it cannot be read
// or holds no port.
std::vector<std::uint16_t> ReadPortFile(const std::string& path);

// count ports from first on.
std::vector<std::uint16_t> PortRange(int first, int count);
