#include "host/call_arguments.h"
#include "host/server_objects.h"

using Hold = std::lock_guard<std::recursive_mutex>;

HostServerData* HostServerData::Create() {
    return new HostServerData();
}

HostServerData::HostServerData() : HostObjectCore(L"data") {}

HostServerData::~HostServerData() = default;

HostServerStatus HostServerData::Status() const {
    Hold hold(mutex_);
    return status_;
}

HostTable HostServerData::Table(const std::wstring& name) const {
    Hold hold(mutex_);
    const StoredTable* found = FindTable(name);
    if (!found) return HostTable{};
    HostTable table = found->layout;
    table.rows.reserve(found->rowCount);
    for (std::size_t row = 0; row < found->rowCount; ++row) {
        const StoredRow& stored = found->rows[row];
        TableRow& cells = table.rows.emplace_back(stored.width);
        for (std::size_t column = 0; column < stored.width; ++column) {
            if (stored.cells[column].set) cells[column] = stored.cells[column].text;
        }
    }
    return table;
}

std::vector<std::wstring> HostServerData::TableNames() const {
    Hold hold(mutex_);
    std::vector<std::wstring> names;
    for (const StoredTable& table : tables_) names.push_back(table.name);
    return names;
}

HostServerData::StoredTable* HostServerData::FindTable(const std::wstring& name) {
    for (StoredTable& table : tables_) {
        if (table.name == name) return &table;
    }
    return nullptr;
}

const HostServerData::StoredTable* HostServerData::FindTable(const std::wstring& name) const {
    return const_cast<HostServerData*>(this)->FindTable(name);
}

HostServerData::StoredRow* HostServerData::FindRow(const std::wstring& table, int row) {
    StoredTable* found = FindTable(table);
    if (!found || row < 0 || static_cast<std::size_t>(row) >= found->rowCount) return nullptr;
    return &found->rows[static_cast<std::size_t>(row)];
}

VTRESULT HostServerData::Lock() {
    Enter(L"Lock");
    return TakeLock();
}

VTRESULT HostServerData::Unlock() {
    Enter(L"Unlock");
    return ReleaseLock();
}

VTRESULT HostServerData::BeginUpdate() {
    Enter(L"BeginUpdate");
    return OpenUpdate();
}

VTRESULT HostServerData::EndUpdate() {
    Enter(L"EndUpdate");
    return CloseUpdate();
}

long HostServerData::AddRef() {
    Enter(L"AddRef");
    return AddReference();
}

long HostServerData::Release() {
    Enter(L"Release");
    return DropReference();
}

VTRESULT HostServerData::SetServerName(std::wstring name) {
    Enter(L"SetServerName", name);
    Hold hold(mutex_);
    status_.serverName = std::move(name);
    return VT_OK;
}

VTRESULT HostServerData::SetMaxPlayers(int count) {
    Enter(L"SetMaxPlayers", count);
    Hold hold(mutex_);
    status_.maxPlayers = count;
    return VT_OK;
}

VTRESULT HostServerData::SetPlayerCount(int count) {
    Enter(L"SetPlayerCount", count);
    Hold hold(mutex_);
    status_.playerCount = count;
    return VT_OK;
}

VTRESULT HostServerData::SetMapName(std::wstring name) {
    Enter(L"SetMapName", name);
    Hold hold(mutex_);
    status_.mapName = std::move(name);
    return VT_OK;
}

VTRESULT HostServerData::SetStatusDetail(std::wstring text) {
    Enter(L"SetStatusDetail", text);
    Hold hold(mutex_);
    status_.statusDetail = std::move(text);
    return VT_OK;
}

VTRESULT HostServerData::RecordPlayerCount(int count) {
    Enter(L"RecordPlayerCount", count);
    Hold hold(mutex_);
    status_.recordedPlayerCount = count;
    status_.recorded = RecordedOutcome::PlayerCount;
    return VT_OK;
}

VTRESULT HostServerData::RecordNoResponse() {
    Enter(L"RecordNoResponse");
    Hold hold(mutex_);
    status_.recorded = RecordedOutcome::NoResponse;
    return VT_OK;
}

VTRESULT HostServerData::SetStatusText(std::wstring text) {
    Enter(L"SetStatusText", text);
    Hold hold(mutex_);
    status_.statusText = std::move(text);
    return VT_OK;
}

// Adding a table that exists keeps it as it is, rows and layout.
VTRESULT HostServerData::AddTable(const std::wstring& table) {
    Enter(L"AddTable", table);
    Hold hold(mutex_);
    if (!FindTable(table)) tables_.push_back(StoredTable{table, HostTable{}, {}, 0});
    return VT_OK;
}

VTRESULT HostServerData::SetTableTitle(const std::wstring& table, const std::wstring& caption) {
    Enter(L"SetTableTitle", table, caption);
    Hold hold(mutex_);
    StoredTable* found = FindTable(table);
    if (!found) return VT_FAILED;
    found->layout.title = caption;
    return VT_OK;
}

VTRESULT HostServerData::SetUserTable(const std::wstring& table) {
    Enter(L"SetUserTable", table);
    Hold hold(mutex_);
    StoredTable* found = FindTable(table);
    if (!found) return VT_FAILED;
    found->layout.isUserTable = true;
    return VT_OK;
}

VTRESULT HostServerData::SetColumnCount(const std::wstring& table, int count) {
    Enter(L"SetColumnCount", table, count);
    Hold hold(mutex_);
    StoredTable* found = FindTable(table);
    if (!found || count < 0) return VT_FAILED;
    found->layout.columnCount = count;
    return VT_OK;
}

VTRESULT HostServerData::SetColumnName(const std::wstring& table, int column, const std::wstring& heading) {
    Enter(L"SetColumnName", table, column, heading);
    Hold hold(mutex_);
    StoredTable* found = FindTable(table);
    if (!found || column < 0) return VT_FAILED;
    found->layout.columnNames[column] = heading;
    return VT_OK;
}

VTRESULT HostServerData::SetColumnWidth(const std::wstring& table, int column, int width) {
    Enter(L"SetColumnWidth", table, column, width);
    Hold hold(mutex_);
    StoredTable* found = FindTable(table);
    if (!found || column < 0) return VT_FAILED;
    found->layout.columnWidths[column] = width;
    return VT_OK;
}

int HostServerData::GetRowCount(const std::wstring& table) {
    Enter(L"GetRowCount", table);
    Hold hold(mutex_);
    StoredTable* found = FindTable(table);
    return found ? static_cast<int>(found->rowCount) : 0;
}

VTRESULT HostServerData::ClearTable(const std::wstring& table) {
    Enter(L"ClearTable", table);
    Hold hold(mutex_);
    StoredTable* found = FindTable(table);
    if (!found) return VT_FAILED;
    found->rowCount = 0;
    return VT_OK;
}

VTRESULT HostServerData::AddRow(const std::wstring& table) {
    Enter(L"AddRow", table);
    Hold hold(mutex_);
    StoredTable* found = FindTable(table);
    if (!found) return VT_FAILED;
    if (found->rowCount == found->rows.size()) found->rows.emplace_back();
    found->rows[found->rowCount++].width = 0;
    return VT_OK;
}

// Any column is accepted: a row grows with unset cells up to the one written.
VTRESULT HostServerData::SetCell(const std::wstring& table, int column, int row, const std::wstring& text) {
    Enter(L"SetCell", table, column, row, text);
    Hold hold(mutex_);
    StoredRow* cells = FindRow(table, row);
    if (!cells || column < 0) return VT_FAILED;
    std::size_t index = static_cast<std::size_t>(column);
    if (index >= cells->width) {
        if (index >= cells->cells.size()) cells->cells.resize(index + 1);
        for (std::size_t unset = cells->width; unset <= index; ++unset) cells->cells[unset].set = false;
        cells->width = index + 1;
    }
    StoredCell& cell = cells->cells[index];
    cell.text = text;
    cell.set = true;
    return VT_OK;
}

// A cell that is missing or was never set reads as empty text and VT_FAILED.
VTRESULT HostServerData::GetCell(const std::wstring& table, int column, int row, std::wstring& text) {
    Enter(L"GetCell", table, column, row);
    Hold hold(mutex_);
    text.clear();
    StoredRow* cells = FindRow(table, row);
    if (!cells || column < 0 || static_cast<std::size_t>(column) >= cells->width) return VT_FAILED;
    const StoredCell& cell = cells->cells[static_cast<std::size_t>(column)];
    if (!cell.set) return VT_FAILED;
    text = cell.text;
    return VT_OK;
}
