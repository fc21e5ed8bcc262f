#include "host/call_arguments.h"
#include "host/server_objects.h"

using Hold = std::lock_guard<std::recursive_mutex>;

HostServerEntry* HostServerEntry::Create() {
    return new HostServerEntry();
}

HostServerEntry::HostServerEntry() : HostObjectCore(L"entry") {}

HostServerEntry::~HostServerEntry() = default;

void HostServerEntry::SetAddress(std::wstring address) {
    Hold hold(mutex_);
    address_ = std::move(address);
}

void HostServerEntry::SetPort(int port) {
    Hold hold(mutex_);
    port_ = port;
}

void HostServerEntry::SetLabel(std::wstring label) {
    Hold hold(mutex_);
    label_ = std::move(label);
}

void HostServerEntry::SetTimeout(int seconds) {
    Hold hold(mutex_);
    timeout_ = seconds;
}

void HostServerEntry::SetExecutablePath(std::wstring path) {
    Hold hold(mutex_);
    executablePath_ = std::move(path);
}

void HostServerEntry::SetLaunchParameters(std::wstring parameters) {
    Hold hold(mutex_);
    launchParameters_ = std::move(parameters);
}

void HostServerEntry::SetLaunchOptionValue(int id, std::wstring value, int result) {
    Hold hold(mutex_);
    launchOptionValues_[id] = {result, std::move(value)};
}

std::vector<OfferedLaunchOption> HostServerEntry::OfferedLaunchOptions() const {
    Hold hold(mutex_);
    return offered_;
}

VTRESULT HostServerEntry::Lock() {
    Enter(L"Lock");
    return TakeLock();
}

VTRESULT HostServerEntry::Unlock() {
    Enter(L"Unlock");
    return ReleaseLock();
}

VTRESULT HostServerEntry::BeginUpdate() {
    Enter(L"BeginUpdate");
    return OpenUpdate();
}

VTRESULT HostServerEntry::EndUpdate() {
    Enter(L"EndUpdate");
    return CloseUpdate();
}

long HostServerEntry::AddRef() {
    Enter(L"AddRef");
    return AddReference();
}

long HostServerEntry::Release() {
    Enter(L"Release");
    return DropReference();
}

int HostServerEntry::GetPort() {
    Enter(L"GetPort");
    Hold hold(mutex_);
    return port_;
}

std::wstring HostServerEntry::GetAddress() {
    Enter(L"GetAddress");
    Hold hold(mutex_);
    return address_;
}

std::wstring HostServerEntry::GetLabel() {
    Enter(L"GetLabel");
    Hold hold(mutex_);
    return label_;
}

int HostServerEntry::GetTimeout() {
    Enter(L"GetTimeout");
    Hold hold(mutex_);
    return timeout_;
}

VTRESULT HostServerEntry::AddLaunchOption(int id, const std::wstring* name, const std::wstring* description,
                                          int first, int second) {
    std::wstring nameText = name ? *name : std::wstring();
    std::wstring descriptionText = description ? *description : std::wstring();
    Enter(L"AddLaunchOption", id, nameText, descriptionText, first, second);
    Hold hold(mutex_);
    offered_.push_back(
        OfferedLaunchOption{id, std::move(nameText), std::move(descriptionText), first, second});
    return VT_OK;
}

// An option the host has no value for answers 0 and leaves value as it was.
int HostServerEntry::GetLaunchOption(int id, std::wstring& value) {
    Enter(L"GetLaunchOption", id);
    Hold hold(mutex_);
    auto known = launchOptionValues_.find(id);
    if (known == launchOptionValues_.end()) return 0;
    value = known->second.second;
    return known->second.first;
}

std::wstring HostServerEntry::GetExecutablePath() {
    Enter(L"GetExecutablePath");
    Hold hold(mutex_);
    return executablePath_;
}

std::wstring HostServerEntry::GetLaunchParameters() {
    Enter(L"GetLaunchParameters");
    Hold hold(mutex_);
    return launchParameters_;
}
