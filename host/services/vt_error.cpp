#include <mutex>
#include <vector>

#include "host/services/offered.h"
#include "host/services/server_objects.h"

namespace {

// The one reporter's watch.
WatchSlot errorWatch;

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
        // With no lock held: a watch that ends the call by raising leaves none taken.
        if (CallWatch* watch = errorWatch.Current()) watch->Enter(L"error", L"SetError", nullptr);
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

void WatchErrors(std::shared_ptr<CallWatch> watch) {
    errorWatch.Attach(std::move(watch));
}
