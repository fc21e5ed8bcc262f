#include "host/call_arguments.h"
#include "host/server_objects.h"

using Hold = std::lock_guard<std::recursive_mutex>;

namespace {

HostTable* FindTable(std::map<std::wstring, HostTable>& tables, const std::wstring& name) {
    auto found = tables.find(name);
    return found == tables.end() ? nullptr : &found->second;
}

// The row at index, or null when the table has no such row.
TableRow* FindRow(HostTable* table, int row) {
    if (!table || row < 0 || static_cast<size_t>(row) >= table->rows.size()) return nullptr;
    return &table->rows[static_cast<size_t>(row)];
}

}  // namespace

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
    auto found = tables_.find(name);
    return found == tables_.end() ? HostTable{} : found->second;
}

std::vector<std::wstring> HostServerData::TableNames() const {
    Hold hold(mutex_);
    return tableOrder_;
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
    if (tables_.emplace(table, HostTable{}).second) tableOrder_.push_back(table);
    return VT_OK;
}

VTRESULT HostServerData::SetTableTitle(const std::wstring& table, const std::wstring& caption) {
    Enter(L"SetTableTitle", table, caption);
    Hold hold(mutex_);
    HostTable* found = FindTable(tables_, table);
    if (!found) return VT_FAILED;
    found->title = caption;
    return VT_OK;
}

VTRESULT HostServerData::SetUserTable(const std::wstring& table) {
    Enter(L"SetUserTable", table);
    Hold hold(mutex_);
    HostTable* found = FindTable(tables_, table);
    if (!found) return VT_FAILED;
    found->isUserTable = true;
    return VT_OK;
}

VTRESULT HostServerData::SetColumnCount(const std::wstring& table, int count) {
    Enter(L"SetColumnCount", table, count);
    Hold hold(mutex_);
    HostTable* found = FindTable(tables_, table);
    if (!found || count < 0) return VT_FAILED;
    found->columnCount = count;
    return VT_OK;
}

VTRESULT HostServerData::SetColumnName(const std::wstring& table, int column, const std::wstring& heading) {
    Enter(L"SetColumnName", table, column, heading);
    Hold hold(mutex_);
    HostTable* found = FindTable(tables_, table);
    if (!found || column < 0) return VT_FAILED;
    found->columnNames[column] = heading;
    return VT_OK;
}

VTRESULT HostServerData::SetColumnWidth(const std::wstring& table, int column, int width) {
    Enter(L"SetColumnWidth", table, column, width);
    Hold hold(mutex_);
    HostTable* found = FindTable(tables_, table);
    if (!found || column < 0) return VT_FAILED;
    found->columnWidths[column] = width;
    return VT_OK;
}

int HostServerData::GetRowCount(const std::wstring& table) {
    Enter(L"GetRowCount", table);
    Hold hold(mutex_);
    HostTable* found = FindTable(tables_, table);
    return found ? static_cast<int>(found->rows.size()) : 0;
}

VTRESULT HostServerData::ClearTable(const std::wstring& table) {
    Enter(L"ClearTable", table);
    Hold hold(mutex_);
    HostTable* found = FindTable(tables_, table);
    if (!found) return VT_FAILED;
    found->rows.clear();
    return VT_OK;
}

VTRESULT HostServerData::AddRow(const std::wstring& table) {
    Enter(L"AddRow", table);
    Hold hold(mutex_);
    HostTable* found = FindTable(tables_, table);
    if (!found) return VT_FAILED;
    found->rows.emplace_back();
    return VT_OK;
}

// Any column is accepted: a row grows with unset cells up to the one written.
VTRESULT HostServerData::SetCell(const std::wstring& table, int column, int row, const std::wstring& text) {
    Enter(L"SetCell", table, column, row, text);
    Hold hold(mutex_);
    TableRow* cells = FindRow(FindTable(tables_, table), row);
    if (!cells || column < 0) return VT_FAILED;
    size_t index = static_cast<size_t>(column);
    if (index >= cells->size()) cells->resize(index + 1);
    (*cells)[index] = text;
    return VT_OK;
}

// A cell that is missing or was never set reads as empty text and VT_FAILED.
VTRESULT HostServerData::GetCell(const std::wstring& table, int column, int row, std::wstring& text) {
    Enter(L"GetCell", table, column, row);
    Hold hold(mutex_);
    text.clear();
    TableRow* cells = FindRow(FindTable(tables_, table), row);
    if (!cells || column < 0 || static_cast<size_t>(column) >= cells->size()) return VT_FAILED;
    const TableCell& cell = (*cells)[static_cast<size_t>(column)];
    if (!cell) return VT_FAILED;
    text = *cell;
    return VT_OK;
}
