#include "host/probes/call_probe.h"

#include <string_view>

CallProbe::CallProbe(std::shared_ptr<CallJournal> journal) : journal_(std::move(journal)) {}

CallProbe::~CallProbe() = default;

void CallProbe::InjectFault(const std::wstring& operation, HostFault fault) {
    std::lock_guard<std::mutex> hold(mutex_);
    if (fault == HostFault::None) {
        faults_.erase(operation);
    } else {
        faults_[operation] = fault;
    }
}

void CallProbe::Enter(const std::wstring& tag, const wchar_t* operation, const std::wstring* arguments) {
    HostFault fault = HostFault::None;
    {
        std::lock_guard<std::mutex> hold(mutex_);
        if (journal_) {
            std::wstring line = tag + L"." + operation;
            if (arguments) line += L"(" + *arguments + L")";
            journal_->Record(std::move(line));
        }
        auto planned = faults_.find(std::wstring_view(operation));
        if (planned != faults_.end()) {
            fault = planned->second;
            faults_.erase(planned);
        }
    }
    // Made with no lock held, so a caller that jumps out of a processor fault leaves the probe
    // usable by other threads.
    MakeHostFault(fault, operation);
}

std::shared_ptr<CallProbe> Probe(HostObjectCore& object, std::shared_ptr<CallJournal> journal) {
    auto probe = std::make_shared<CallProbe>(std::move(journal));
    object.SetWatch(probe);
    return probe;
}

void InjectMenuFault(const VtPluginMenu& menu, HostFault fault) {
    auto probe = std::make_shared<CallProbe>();
    probe->InjectFault(L"SetCurrentPluginServerStruct", fault);
    WatchMenu(menu, probe);
}

void InjectErrorFault(HostFault fault) {
    auto probe = std::make_shared<CallProbe>();
    probe->InjectFault(L"SetError", fault);
    WatchErrors(probe);
}

void JournalHandleDestruction(std::shared_ptr<CallJournal> journal) {
    WatchHandles(journal ? std::make_shared<CallProbe>(std::move(journal)) : nullptr);
}
