// The host's concrete per-server objects: what a server browser hands the plugin for each
// server. Real, thread-safe implementations used by vtquery and the integration tests alike.
#pragma once

#include <atomic>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "common/contract/host_services.h"
#include "host/services/call_watch.h"

// Reference count, lock and update depths and the call watch shared by both host objects.
// Objects are created with one reference owned by the creator and deleted at the last Release.
class VT_SERVICES_API HostObjectCore {
public:
    HostObjectCore(const HostObjectCore&) = delete;
    HostObjectCore& operator=(const HostObjectCore&) = delete;

    // Tells watch of every call from now on, as made on this object's tag ("entry", "data"), in
    // place of the watch it had (null: none).
    void SetWatch(std::shared_ptr<CallWatch> watch);

    long RefCount() const;
    int UpdateDepth() const;  // BeginUpdate calls not yet matched by EndUpdate
    int LockDepth() const;    // Lock calls not yet matched by Unlock

protected:
    explicit HostObjectCore(std::wstring tag);
    virtual ~HostObjectCore();

    // Tells the attached watch of the call, with its arguments as text when the watch wants
    // them (see JoinCallArguments). Called before an operation takes mutex_: a watch that ends
    // the call by raising leaves without unlocking. Defined in host/call_arguments.h: without a
    // watch it costs one atomic load.
    template <class... Arguments>
    void Enter(const wchar_t* operation, const Arguments&... arguments);
    long AddReference();
    long DropReference();  // deletes this at zero
    // The shared leading operations, after Enter. Unlock fails unless this thread holds a Lock;
    // EndUpdate fails without an open BeginUpdate.
    VTRESULT TakeLock();
    VTRESULT ReleaseLock();
    VTRESULT OpenUpdate();
    VTRESULT CloseUpdate();

    mutable std::recursive_mutex mutex_;
    std::atomic<int> updateDepth_{0};
    std::atomic<int> lockDepth_{0};

private:
    std::wstring tag_;
    std::atomic<long> references_{1};
    WatchSlot watch_;
};

// The six operations both host objects share (at the same virtual slots of both interfaces),
// written once for each interface.
template <class Interface>
class HostObject : public Interface, public HostObjectCore {
public:
    VTRESULT Lock() final;
    VTRESULT Unlock() final;
    VTRESULT BeginUpdate() final;
    VTRESULT EndUpdate() final;
    long AddRef() final;
    long Release() final;

protected:
    explicit HostObject(std::wstring tag) : HostObjectCore(std::move(tag)) {}
    ~HostObject() override = default;
};

extern template class VT_SERVICES_API HostObject<VtServerEntry>;
extern template class VT_SERVICES_API HostObject<VtServerData>;

// One launch option as the plugin offered it through AddLaunchOption.
struct OfferedLaunchOption {
    int id;
    std::wstring name;
    std::wstring description;
    int first;
    int second;
};

class VT_SERVICES_API HostServerEntry final : public HostObject<VtServerEntry> {
public:
    static HostServerEntry* Create();  // one reference, owned by the caller

    // Host-side settings (no journal).
    void SetAddress(std::wstring address);
    void SetPort(int port);
    void SetLabel(std::wstring label);
    void SetTimeout(int seconds);
    void SetExecutablePath(std::wstring path);
    void SetLaunchParameters(std::wstring parameters);
    // What GetLaunchOption(id) answers: the result and the value it fills.
    void SetLaunchOptionValue(int id, std::wstring value, int result = 1);
    std::vector<OfferedLaunchOption> OfferedLaunchOptions() const;

    int GetPort() override;
    std::wstring GetAddress() override;
    std::wstring GetLabel() override;
    int GetTimeout() override;
    VTRESULT AddLaunchOption(int id, const std::wstring* name, const std::wstring* description, int first,
                             int second) override;
    int GetLaunchOption(int id, std::wstring& value) override;
    std::wstring GetExecutablePath() override;
    std::wstring GetLaunchParameters() override;

private:
    HostServerEntry();
    ~HostServerEntry() override;

    // A host-side setter's work (no journal): field set under the lock.
    template <class Value>
    void Assign(Value& field, Value value);
    // A getter's work: the call journaled (and its fault made), then field read under the lock.
    template <class Value>
    Value Read(const wchar_t* operation, const Value& field);

    std::wstring address_;
    int port_ = 0;
    std::wstring label_;
    int timeout_ = 2;
    std::wstring executablePath_;
    std::wstring launchParameters_;
    std::map<int, std::pair<int, std::wstring>> launchOptionValues_;
    std::vector<OfferedLaunchOption> offered_;
};

using TableCell = std::optional<std::wstring>;  // unset cells are empty optionals
using TableRow = std::vector<TableCell>;

// One result table as the plugin declared and filled it.
struct HostTable {
    std::wstring title;
    bool isUserTable = false;
    int columnCount = 0;
    std::map<int, std::wstring> columnNames;
    std::map<int, int> columnWidths;
    std::vector<TableRow> rows;
};

// Which record call the plugin made last: RecordPlayerCount (answer) or RecordNoResponse.
enum class RecordedOutcome { None, PlayerCount, NoResponse };

struct HostServerStatus {
    std::wstring serverName;
    std::wstring mapName;
    std::wstring statusDetail;
    std::wstring statusText;
    int maxPlayers = 0;
    int playerCount = 0;
    int recordedPlayerCount = 0;
    RecordedOutcome recorded = RecordedOutcome::None;
    // RecordPlayerCount and RecordNoResponse calls so far: a host that charts them tells a ping
    // that recorded nothing (a trapped fault) from one that recorded the same as the last.
    int recordCount = 0;
};

class VT_SERVICES_API HostServerData final : public HostObject<VtServerData> {
public:
    static HostServerData* Create();  // one reference, owned by the caller

    // Host-side reads (no journal). A table that was never added reads as empty.
    HostServerStatus Status() const;
    HostTable Table(const std::wstring& name) const;
    std::vector<std::wstring> TableNames() const;  // in the order they were added

    VTRESULT SetServerName(std::wstring name) override;
    VTRESULT SetMaxPlayers(int count) override;
    VTRESULT SetPlayerCount(int count) override;
    VTRESULT SetMapName(std::wstring name) override;
    VTRESULT SetStatusDetail(std::wstring text) override;
    VTRESULT RecordPlayerCount(int count) override;
    VTRESULT RecordNoResponse() override;
    VTRESULT SetStatusText(std::wstring text) override;
    VTRESULT AddTable(const std::wstring& table) override;
    VTRESULT SetTableTitle(const std::wstring& table, const std::wstring& caption) override;
    VTRESULT SetUserTable(const std::wstring& table) override;
    VTRESULT SetColumnCount(const std::wstring& table, int count) override;
    VTRESULT SetColumnName(const std::wstring& table, int column, const std::wstring& heading) override;
    VTRESULT SetColumnWidth(const std::wstring& table, int column, int width) override;
    int GetRowCount(const std::wstring& table) override;
    VTRESULT ClearTable(const std::wstring& table) override;
    VTRESULT AddRow(const std::wstring& table) override;
    VTRESULT SetCell(const std::wstring& table, int column, int row, const std::wstring& text) override;
    VTRESULT GetCell(const std::wstring& table, int column, int row, std::wstring& text) override;

private:
    // Cleared rows keep their cells, and cells their texts' storage, for the rows of the next
    // reply: a table refilled on every ping stops allocating once it has held its largest reply,
    // and holds no more than it did then.
    struct StoredCell {
        std::wstring text;
        bool set = false;  // unset cells read as missing, whatever text they kept
    };
    struct StoredRow {
        std::vector<StoredCell> cells;
        std::size_t width = 0;  // cells in the row; those from width on are kept for reuse
    };
    struct StoredTable {
        std::wstring name;
        HostTable layout;  // all but its rows, which are these:
        std::vector<StoredRow> rows;
        std::size_t rowCount = 0;  // rows in the table; those from rowCount on are kept for reuse
    };

    // A status setter's work: the call journaled (and its fault made), then field set under the
    // lock.
    template <class Value>
    VTRESULT Store(const wchar_t* operation, Value& field, Value value);
    // A table operation's work: the call journaled with its arguments (and its fault made),
    // then change run under the lock on the named table; VT_FAILED when there is no such table.
    template <class Change, class... Arguments>
    VTRESULT ChangeTable(const wchar_t* operation, const std::wstring& table, Change&& change,
                         const Arguments&... arguments);

    // With mutex_ held. Null when there is no such table, or no such row.
    StoredTable* FindTable(const std::wstring& name);
    const StoredTable* FindTable(const std::wstring& name) const;
    StoredRow* FindRow(const std::wstring& table, int row);

    HostServerData();
    ~HostServerData() override;

    HostServerStatus status_;
    std::vector<StoredTable> tables_;  // in the order they were added; a server has two
};

// Holds one reference on a host object: AddRef on taking (unless adopting), Release on letting go.
template <class Object>
class HostRef {
public:
    static HostRef Adopt(Object* object) { return HostRef(object); }
    HostRef() = default;
    HostRef(const HostRef& other) : object_(other.object_) {
        if (object_) object_->AddRef();
    }
    HostRef& operator=(HostRef other) {
        std::swap(object_, other.object_);
        return *this;
    }
    ~HostRef() {
        if (object_) object_->Release();
    }
    Object* get() const { return object_; }
    Object* operator->() const { return object_; }
    Object& operator*() const { return *object_; }

private:
    explicit HostRef(Object* object) : object_(object) {}
    Object* object_ = nullptr;
};

// Tells watch of every SetCurrentPluginServerStruct of menu, as made on the tag "menu", in place
// of the watch menu had (null: none). The menu's layout is the contract's: its watch is kept by
// its address, for as long as the process runs.
VT_SERVICES_API void WatchMenu(const VtPluginMenu& menu, std::shared_ptr<CallWatch> watch);

// Tells watch of the destruction of every VtHandle, as the call "Destroy" on the tag "handle"
// with the handle's text (Latin-1) as its argument, in place of the watch handles had (null:
// none).
VT_SERVICES_API void WatchHandles(std::shared_ptr<CallWatch> watch);

// Tells watch of every VtError::SetError, as made on the tag "error", in place of the watch the
// reporter had (null: none).
VT_SERVICES_API void WatchErrors(std::shared_ptr<CallWatch> watch);

// Reports made through VtError::SetError, in order, for host programs and tests to read.
struct ErrorReport {
    std::wstring title;
    std::wstring text;
};
VT_SERVICES_API std::vector<ErrorReport> VtErrorReports();
VT_SERVICES_API void ClearVtErrorReports();
