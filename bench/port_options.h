// The servers a Wine benchmark queries, as its command line names them: --port (and --ports
// consecutive ones after it, where the program offers that) or a tribes-emu --ports-file; and the
// time budget of one reply.
#pragma once

#include <CLI/CLI.hpp>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "bench/port_list.h"

struct PortOptions {
    int port = 0;
    int count = 1;
    std::string file;
    int budgetSeconds = 2;

    // The options on mode; --ports only when consecutive ports are offered.
    void AddTo(CLI::App* mode, bool consecutive) {
        mode->add_option("--port", port, "(first) UDP port of the server")->check(CLI::Range(1, 65535));
        if (consecutive) {
            mode->add_option("--ports", count, "number of consecutive ports from --port")
                ->check(CLI::Range(1, 5000));
        }
        mode->add_option("--ports-file", file, "tribes-emu ready file: one port a line");
        mode->add_option("--budget", budgetSeconds, "seconds to wait for one reply")
            ->check(CLI::Range(1, 10));
    }
    // The ports named; none, with the reason on stderr under program's name, when none are.
    std::vector<std::uint16_t> Ports(const char* program) const {
        std::vector<std::uint16_t> ports =
            file.empty() ? PortRange(port, port ? count : 0) : ReadPortFile(file);
        if (ports.empty())
            std::fprintf(stderr, "%s: no ports (give --port or a --ports-file with ports)\n", program);
        return ports;
    }
};
