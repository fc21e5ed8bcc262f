// The watch the tests attach to host objects: it writes every call into a journal (shared by
// several objects when the order across them matters) and makes the faults planned for
// operations, each once, at the next call of its operation.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "host/services/call_watch.h"
#include "host/services/server_objects.h"
#include "host/probes/call_journal.h"
#include "host/probes/host_fault.h"

class VT_SERVICES_API CallProbe final : public CallWatch {
public:
    // Writes into journal (null: writes nothing, only makes faults).
    explicit CallProbe(std::shared_ptr<CallJournal> journal = nullptr);
    ~CallProbe();
    CallProbe(const CallProbe&) = delete;
    CallProbe& operator=(const CallProbe&) = delete;

    // The next call of operation (e.g. L"GetRowCount") makes fault (see HostFault); None takes a
    // planned fault back.
    void InjectFault(const std::wstring& operation, HostFault fault);

    // Writes "tag.Operation", or "tag.Operation(arguments)", then makes the fault planned for
    // operation, if any, with no lock held.
    void Enter(const std::wstring& tag, const wchar_t* operation, const std::wstring* arguments) override;
    bool WantsArguments() const override { return journal_ != nullptr; }

private:
    const std::shared_ptr<CallJournal> journal_;
    std::mutex mutex_;
    std::map<std::wstring, HostFault, std::less<>> faults_;
};

// A new probe writing into journal, attached to object in place of its watch; the probe, to plan
// faults with.
VT_SERVICES_API std::shared_ptr<CallProbe> Probe(HostObjectCore& object,
                                                 std::shared_ptr<CallJournal> journal = nullptr);
// The next SetCurrentPluginServerStruct of menu makes fault.
VT_SERVICES_API void InjectMenuFault(const VtPluginMenu& menu, HostFault fault);
// The next VtError::SetError makes fault.
VT_SERVICES_API void InjectErrorFault(HostFault fault);
// Writes the destruction of every VtHandle into journal, as "handle.Destroy(<its text>)", until
// called again (null: no more).
VT_SERVICES_API void JournalHandleDestruction(std::shared_ptr<CallJournal> journal);
