// Text files as Windows tools write them: UTF-8 with or without a byte-order mark (most editors,
// Notepad), or UTF-16 with its mark, little- or big-endian (Notepad's "Unicode", what PowerShell 5
// writes with ">"). Every list and settings file of the host programs is read through here, so
// each reads them alike. Portable: tested natively.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

// The text of a file's bytes in UTF-8, without its byte-order mark; nullopt when the bytes are
// in none of the encodings read: not well-formed UTF-8, UTF-16 of an odd length or with a broken
// surrogate pair, or text with a zero in it (UTF-16 without its mark reads so, as does a file
// that is not text).
std::optional<std::string> DecodeTextFile(std::string_view bytes);

enum class TextFileRead { Read, CannotOpen, NotText };
// Reads the file at path and decodes it into text (left as it was unless Read).
TextFileRead ReadTextFile(const std::filesystem::path& path, std::string& text);

// The one line that says file ("the server list 'x.txt'") is NotText, and which encodings are read.
std::string NotTextMessage(std::string_view file);
