#include "bench/import_hooks_win.h"

#include <cstring>

namespace {

template <class T>
T* At(HMODULE module, DWORD offset) {
    return reinterpret_cast<T*>(reinterpret_cast<BYTE*>(module) + offset);
}

}  // namespace

void* ReplaceImport(HMODULE module, const char* dll, const char* function, void* replacement) {
    auto* dos = reinterpret_cast<IMAGE_DOS_HEADER*>(module);
    if (!module || dos->e_magic != IMAGE_DOS_SIGNATURE) return nullptr;
    auto* nt = At<IMAGE_NT_HEADERS>(module, static_cast<DWORD>(dos->e_lfanew));
    const IMAGE_DATA_DIRECTORY& directory = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (directory.VirtualAddress == 0) return nullptr;

    for (auto* import = At<IMAGE_IMPORT_DESCRIPTOR>(module, directory.VirtualAddress); import->Name;
         ++import) {
        if (_stricmp(At<const char>(module, import->Name), dll) != 0) continue;
        // Names come from the lookup table; the address table beside it is what calls go through.
        DWORD lookup = import->OriginalFirstThunk ? import->OriginalFirstThunk : import->FirstThunk;
        auto* names = At<IMAGE_THUNK_DATA>(module, lookup);
        auto* addresses = At<IMAGE_THUNK_DATA>(module, import->FirstThunk);
        for (; names->u1.AddressOfData; ++names, ++addresses) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
            auto* byName = At<IMAGE_IMPORT_BY_NAME>(module, static_cast<DWORD>(names->u1.AddressOfData));
            if (std::strcmp(reinterpret_cast<const char*>(byName->Name), function) != 0) continue;
            DWORD oldProtection = 0;
            if (!VirtualProtect(&addresses->u1.Function, sizeof addresses->u1.Function, PAGE_READWRITE,
                                &oldProtection)) {
                return nullptr;
            }
            void* original = reinterpret_cast<void*>(addresses->u1.Function);
            addresses->u1.Function = reinterpret_cast<ULONG_PTR>(replacement);
            VirtualProtect(&addresses->u1.Function, sizeof addresses->u1.Function, oldProtection,
                           &oldProtection);
            return original;
        }
    }
    return nullptr;
}
