#include "apps/shared/server_result.h"

namespace {

ResultTable TableOf(std::wstring name, HostTable table) {
    ResultTable result;
    result.name = std::move(name);
    result.title = std::move(table.title);
    for (int column = 0; column < table.columnCount; ++column) {
        ResultColumn declared;
        const auto heading = table.columnNames.find(column);
        if (heading != table.columnNames.end()) declared.heading = std::move(heading->second);
        const auto width = table.columnWidths.find(column);
        if (width != table.columnWidths.end()) declared.width = width->second;
        result.columns.push_back(std::move(declared));
    }
    result.rows = std::move(table.rows);
    return result;
}

}  // namespace

const char* OutcomeName(Outcome outcome) {
    switch (outcome) {
        case Outcome::Success:
            return "success";
        case Outcome::Timeout:
            return "timeout";
        case Outcome::Failure:
            break;
    }
    return "failure";
}

Outcome ClassifyOutcome(const HostServerStatus& status) {
    if (status.recorded == RecordedOutcome::PlayerCount) return Outcome::Success;
    if (status.statusText == L"Timeout") return Outcome::Timeout;
    return Outcome::Failure;
}

ServerResult ReadServerResult(const HostServerData& data, std::vector<double> pingMs) {
    ServerResult result;
    result.status = data.Status();
    result.outcome = ClassifyOutcome(result.status);
    for (std::wstring& name : data.TableNames()) {
        HostTable table = data.Table(name);
        ResultTable& into = table.isUserTable ? result.players : result.rules;
        if (!into.Present()) into = TableOf(std::move(name), std::move(table));
    }
    result.pingMs = std::move(pingMs);
    return result;
}
