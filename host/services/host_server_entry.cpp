#include "host/services/call_arguments.h"
#include "host/services/offered.h"
#include "host/services/server_objects.h"

using Hold = std::lock_guard<std::recursive_mutex>;

HostServerEntry* HostServerEntry::Create() {
    return new HostServerEntry();
}

HostServerEntry::HostServerEntry() : HostObject(L"entry") {}

HostServerEntry::~HostServerEntry() = default;

void HostServerEntry::SetAddress(std::wstring address) {
    Assign(address_, std::move(address));
}

void HostServerEntry::SetPort(int port) {
    Assign(port_, port);
}

void HostServerEntry::SetLabel(std::wstring label) {
    Assign(label_, std::move(label));
}

void HostServerEntry::SetTimeout(int seconds) {
    Assign(timeout_, seconds);
}

void HostServerEntry::SetExecutablePath(std::wstring path) {
    Assign(executablePath_, std::move(path));
}

void HostServerEntry::SetLaunchParameters(std::wstring parameters) {
    Assign(launchParameters_, std::move(parameters));
}

void HostServerEntry::SetLaunchOptionValue(int id, std::wstring value, int result) {
    Hold hold(mutex_);
    launchOptionValues_[id] = {result, std::move(value)};
}

std::vector<OfferedLaunchOption> HostServerEntry::OfferedLaunchOptions() const {
    Hold hold(mutex_);
    return offered_;
}

template <class Value>
void HostServerEntry::Assign(Value& field, Value value) {
    Hold hold(mutex_);
    field = std::move(value);
}

template <class Value>
Value HostServerEntry::Read(const wchar_t* operation, const Value& field) {
    return Offered([&] {
        Enter(operation);
        Hold hold(mutex_);
        return field;
    });
}

int HostServerEntry::GetPort() {
    return Read(L"GetPort", port_);
}

std::wstring HostServerEntry::GetAddress() {
    return Read(L"GetAddress", address_);
}

std::wstring HostServerEntry::GetLabel() {
    return Read(L"GetLabel", label_);
}

int HostServerEntry::GetTimeout() {
    return Read(L"GetTimeout", timeout_);
}

std::wstring HostServerEntry::GetExecutablePath() {
    return Read(L"GetExecutablePath", executablePath_);
}

std::wstring HostServerEntry::GetLaunchParameters() {
    return Read(L"GetLaunchParameters", launchParameters_);
}

VTRESULT HostServerEntry::AddLaunchOption(int id, const std::wstring* name, const std::wstring* description,
                                          int first, int second) {
    return Offered([&] {
        std::wstring nameText = name ? *name : std::wstring();
        std::wstring descriptionText = description ? *description : std::wstring();
        Enter(L"AddLaunchOption", id, nameText, descriptionText, first, second);
        Hold hold(mutex_);
        offered_.push_back(
            OfferedLaunchOption{id, std::move(nameText), std::move(descriptionText), first, second});
        return VT_OK;
    });
}

// An option the host has no value for answers 0 and leaves value as it was.
int HostServerEntry::GetLaunchOption(int id, std::wstring& value) {
    return Offered([&] {
        Enter(L"GetLaunchOption", id);
        Hold hold(mutex_);
        auto known = launchOptionValues_.find(id);
        if (known == launchOptionValues_.end()) return 0;
        value = known->second.second;
        return known->second.first;
    });
}
