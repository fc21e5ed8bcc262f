// The window framework's per-module state: the module whose resources dialogs come from, and
// the objects waiting for the first message of a window that is being created. Initialised at
// process attach and ended at detach, like ATL's module.
#pragma once

#include <mutex>
#include <utility>
#include <vector>

#include "common/contract/windows_headers.h"

namespace window_framework {

class CDialogImplBase;

class CModule {
public:
    // Records the module; from now on windows can be created.
    void Init(HINSTANCE instance);
    // Forgets the module and any object still waiting for its window.
    void Term();

    HINSTANCE GetResourceInstance() const { return instance_; }

    // Registers object as the one the next window created on this thread belongs to, so its
    // very first message (before WM_INITDIALOG) already reaches it.
    void AddCreateWndData(CDialogImplBase* object);
    // The object registered by this thread and not yet taken, or null; taking it removes it.
    CDialogImplBase* ExtractCreateWndData();
    // Drops object's registration if no window took it (the creation failed early).
    void ForgetCreateWndData(CDialogImplBase* object);

private:
    HINSTANCE instance_ = nullptr;
    std::mutex mutex_;
    std::vector<std::pair<DWORD, CDialogImplBase*>> creating_;  // (thread id, object)
};

// The one module state of this module.
CModule& Module();

}  // namespace window_framework
