#include <mutex>
#include <vector>

#include "host/services/offered.h"
#include "host/services/server_objects.h"

namespace {

// Reports arrive from the window thread and from ping threads alike.
struct ErrorLog {
    std::mutex mutex;
    std::vector<ErrorReport> reports;
};

ErrorLog& Log() {
    static ErrorLog log;
    return log;
}

}  // namespace

VtError* VtError::GetInstance() {
    static VtError instance;
    return &instance;
}

void VtError::SetError(const wchar_t* title, const wchar_t* text) {
    Offered([&] {
        ErrorLog& log = Log();
        std::lock_guard<std::mutex> hold(log.mutex);
        log.reports.push_back(ErrorReport{title ? title : L"", text ? text : L""});
    });
}

std::vector<ErrorReport> VtErrorReports() {
    ErrorLog& log = Log();
    std::lock_guard<std::mutex> hold(log.mutex);
    return log.reports;
}

void ClearVtErrorReports() {
    ErrorLog& log = Log();
    std::lock_guard<std::mutex> hold(log.mutex);
    log.reports.clear();
}
