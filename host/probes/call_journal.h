// An ordered record of calls made on host objects, e.g. L"data.SetCell(UsersTable,0,3,Alpha)".
// Calls without arguments are recorded by name alone (L"entry.Lock"). Several objects may share
// one journal, so a test can read the order of calls across them.
#pragma once

#include <mutex>
#include <string>
#include <vector>

#include "common/contract/host_services.h"

class VT_SERVICES_API CallJournal {
public:
    void Record(std::wstring line);
    std::vector<std::wstring> Lines() const;
    void Clear();

private:
    mutable std::mutex mutex_;
    std::vector<std::wstring> lines_;
};
