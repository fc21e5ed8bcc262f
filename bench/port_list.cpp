#include "bench/port_list.h"

#include <fstream>

std::vector<std::uint16_t> ReadPortFile(const std::string& path) {
    std::vector<std::uint16_t> ports;
    std::ifstream in(path);
    long port = 0;
    while (in >> port) {
        if (port > 0 && port <= 65535) ports.push_back(static_cast<std::uint16_t>(port));
    }
    return ports;
}

std::vector<std::uint16_t> PortRange(int first, int count) {
    std::vector<std::uint16_t> ports;
    for (int i = 0; i < count && first + i <= 65535; ++i)
        ports.push_back(static_cast<std::uint16_t>(first + i));
    return ports;
}
