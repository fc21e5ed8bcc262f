#include "host/services/call_arguments.h"
#include "host/services/offered.h"
#include "host/services/server_objects.h"

using Hold = std::lock_guard<std::recursive_mutex>;

HostServerData* HostServerData::Create() {
    return new HostServerData();
}

HostServerData::HostServerData() : HostObject(L"data") {}

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

template <class Value>
VTRESULT HostServerData::Store(const wchar_t* operation, Value& field, Value value) {
    return Offered([&] {
        Enter(operation, value);
        Hold hold(mutex_);
        field = std::move(value);
        return VT_OK;
    });
}

template <class Change, class... Arguments>
VTRESULT HostServerData::ChangeTable(const wchar_t* operation, const std::wstring& table, Change&& change,
                                     const Arguments&... arguments) {
    return Offered([&] {
        Enter(operation, table, arguments...);
        Hold hold(mutex_);
        StoredTable* found = FindTable(table);
        return found ? change(*found) : VT_FAILED;
    });
}

VTRESULT HostServerData::SetServerName(std::wstring name) {
    return Store(L"SetServerName", status_.serverName, std::move(name));
}

VTRESULT HostServerData::SetMaxPlayers(int count) {
    return Store(L"SetMaxPlayers", status_.maxPlayers, count);
}

VTRESULT HostServerData::SetPlayerCount(int count) {
    return Store(L"SetPlayerCount", status_.playerCount, count);
}

VTRESULT HostServerData::SetMapName(std::wstring name) {
    return Store(L"SetMapName", status_.mapName, std::move(name));
}

VTRESULT HostServerData::SetStatusDetail(std::wstring text) {
    return Store(L"SetStatusDetail", status_.statusDetail, std::move(text));
}

VTRESULT HostServerData::SetStatusText(std::wstring text) {
    return Store(L"SetStatusText", status_.statusText, std::move(text));
}

VTRESULT HostServerData::RecordPlayerCount(int count) {
    return Offered([&] {
        Enter(L"RecordPlayerCount", count);
        Hold hold(mutex_);
        status_.recordedPlayerCount = count;
        status_.recorded = RecordedOutcome::PlayerCount;
        ++status_.recordCount;
        return VT_OK;
    });
}

VTRESULT HostServerData::RecordNoResponse() {
    return Offered([&] {
        Enter(L"RecordNoResponse");
        Hold hold(mutex_);
        status_.recorded = RecordedOutcome::NoResponse;
        ++status_.recordCount;
        return VT_OK;
    });
}

// Adding a table that exists keeps it as it is, rows and layout.
VTRESULT HostServerData::AddTable(const std::wstring& table) {
    return Offered([&] {
        Enter(L"AddTable", table);
        Hold hold(mutex_);
        if (!FindTable(table)) tables_.push_back(StoredTable{table, HostTable{}, {}, 0});
        return VT_OK;
    });
}

VTRESULT HostServerData::SetTableTitle(const std::wstring& table, const std::wstring& caption) {
    return ChangeTable(
        L"SetTableTitle", table,
        [&](StoredTable& found) {
            found.layout.title = caption;
            return VT_OK;
        },
        caption);
}

VTRESULT HostServerData::SetUserTable(const std::wstring& table) {
    return ChangeTable(L"SetUserTable", table, [](StoredTable& found) {
        found.layout.isUserTable = true;
        return VT_OK;
    });
}

VTRESULT HostServerData::SetColumnCount(const std::wstring& table, int count) {
    return ChangeTable(
        L"SetColumnCount", table,
        [&](StoredTable& found) {
            if (count < 0) return VT_FAILED;
            found.layout.columnCount = count;
            return VT_OK;
        },
        count);
}

VTRESULT HostServerData::SetColumnName(const std::wstring& table, int column, const std::wstring& heading) {
    return ChangeTable(
        L"SetColumnName", table,
        [&](StoredTable& found) {
            if (column < 0) return VT_FAILED;
            found.layout.columnNames[column] = heading;
            return VT_OK;
        },
        column, heading);
}

VTRESULT HostServerData::SetColumnWidth(const std::wstring& table, int column, int width) {
    return ChangeTable(
        L"SetColumnWidth", table,
        [&](StoredTable& found) {
            if (column < 0) return VT_FAILED;
            found.layout.columnWidths[column] = width;
            return VT_OK;
        },
        column, width);
}

int HostServerData::GetRowCount(const std::wstring& table) {
    return Offered([&] {
        Enter(L"GetRowCount", table);
        Hold hold(mutex_);
        StoredTable* found = FindTable(table);
        return found ? static_cast<int>(found->rowCount) : 0;
    });
}

VTRESULT HostServerData::ClearTable(const std::wstring& table) {
    return ChangeTable(L"ClearTable", table, [](StoredTable& found) {
        found.rowCount = 0;
        return VT_OK;
    });
}

VTRESULT HostServerData::AddRow(const std::wstring& table) {
    return ChangeTable(L"AddRow", table, [](StoredTable& found) {
        if (found.rowCount == found.rows.size()) found.rows.emplace_back();
        found.rows[found.rowCount++].width = 0;
        return VT_OK;
    });
}

// Any column is accepted: a row grows with unset cells up to the one written.
VTRESULT HostServerData::SetCell(const std::wstring& table, int column, int row, const std::wstring& text) {
    return Offered([&] {
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
    });
}

// A cell that is missing or was never set reads as empty text and VT_FAILED.
VTRESULT HostServerData::GetCell(const std::wstring& table, int column, int row, std::wstring& text) {
    return Offered([&] {
        Enter(L"GetCell", table, column, row);
        Hold hold(mutex_);
        text.clear();
        StoredRow* cells = FindRow(table, row);
        if (!cells || column < 0 || static_cast<std::size_t>(column) >= cells->width) return VT_FAILED;
        const StoredCell& cell = cells->cells[static_cast<std::size_t>(column)];
        if (!cell.set) return VT_FAILED;
        text = cell.text;
        return VT_OK;
    });
}
