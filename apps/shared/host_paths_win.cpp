#include "apps/shared/host_paths_win.h"

#include <vector>

#include "common/contract/windows_headers.h"
#include "common/owners/scope_exit.h"
#include "host/text/utf8_text.h"

namespace {

// Wine's own mapping from a Unix path to a DOS path; absent on Windows.
using DosFileName = wchar_t* (*)(const char* unixPath);

std::wstring DosPathOfUnixPath(const std::string& path) {
    const auto convert = reinterpret_cast<DosFileName>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_dos_file_name")));
    if (!convert) return {};
    wchar_t* converted = convert(path.c_str());
    if (!converted) return {};
    // Wine gives the text from the process heap.
    const auto freeText = owners::scope_exit([converted] { HeapFree(GetProcessHeap(), 0, converted); });
    return std::wstring(converted);
}

}  // namespace

std::wstring FullHostPath(const std::string& path) {
    std::wstring wide = path.size() > 1 && path[0] == '/' && path[1] != '/' ? DosPathOfUnixPath(path) : L"";
    if (wide.empty()) wide = WideFromUtf8(path);
    const DWORD size = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
    if (size == 0) return wide;
    std::vector<wchar_t> full(size);
    const DWORD length = GetFullPathNameW(wide.c_str(), size, full.data(), nullptr);
    return length > 0 && length < size ? std::wstring(full.data(), length) : wide;
}
