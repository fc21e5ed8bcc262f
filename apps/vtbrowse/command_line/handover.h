// A later start's command line on its way to the vtbrowse already open (WM_COPYDATA): its
// arguments as UTF-8 in a small JSON document that says what it is. The receiver reads it back
// bounded and checked, since any program of the session can send a window such a message: it
// takes a command line only when the document is whole and shaped as written here. Portable:
// tested natively.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

// WM_COPYDATA's dwData for a command line handed over; other values are not ours.
constexpr unsigned long HandoverMark = 0x76746231;  // "vtb1"
// Far beyond what a command line can hold (32,767 characters, its file paths made full).
constexpr std::size_t MostHandoverBytes = std::size_t{1} << 20;
constexpr std::size_t MostHandoverArguments = 20000;

// The document that carries arguments; none when it would be larger than the receiver takes.
std::optional<std::string> PackHandover(const std::vector<std::string>& arguments);
// The arguments of a document of size bytes at data; none unless it is one PackHandover makes.
std::optional<std::vector<std::string>> ReadHandover(const void* data, std::size_t size);
