#include "plugin/window_framework/module_state.h"

#include <algorithm>

namespace window_framework {

void CModule::Init(HINSTANCE instance) {
    std::lock_guard<std::mutex> hold(mutex_);
    instance_ = instance;
    creating_.clear();
}

void CModule::Term() {
    std::lock_guard<std::mutex> hold(mutex_);
    instance_ = nullptr;
    creating_.clear();
}

void CModule::AddCreateWndData(CDialogImplBase* object) {
    std::lock_guard<std::mutex> hold(mutex_);
    creating_.emplace_back(GetCurrentThreadId(), object);
}

CDialogImplBase* CModule::ExtractCreateWndData() {
    std::lock_guard<std::mutex> hold(mutex_);
    DWORD thread = GetCurrentThreadId();
    // The latest registration of this thread: a dialog created from inside another dialog's
    // creation registers after the outer one.
    auto found = std::find_if(creating_.rbegin(), creating_.rend(),
                              [thread](const auto& entry) { return entry.first == thread; });
    if (found == creating_.rend()) return nullptr;
    CDialogImplBase* object = found->second;
    creating_.erase(std::next(found).base());
    return object;
}

void CModule::ForgetCreateWndData(CDialogImplBase* object) {
    std::lock_guard<std::mutex> hold(mutex_);
    creating_.erase(std::remove_if(creating_.begin(), creating_.end(),
                                   [object](const auto& entry) { return entry.second == object; }),
                    creating_.end());
}

CModule& Module() {
    static CModule module;
    return module;
}

}  // namespace window_framework
