// The host's services as the plugin sees them: the VtServices library (VtHandle,
// VtError, VtPluginMenu, KRNetUtil) and the per-server host objects. The plugin
// only calls through these declarations; the host side lives in host/.
//
// No windows.h here: the parser, table layout and launch code build natively too.
#pragma once

#include <cstdint>
#include <string>

#if defined(_WIN32) && defined(VTSERVICES_BUILD)
#define VT_SERVICES_API __declspec(dllexport)
#elif defined(_WIN32)
#define VT_SERVICES_API __declspec(dllimport)
#else
#define VT_SERVICES_API
#endif

// Result codes of host operations. The plugin only ever tests for VT_OK.
enum VTRESULT : int {
    VT_FAILED = 0,
    VT_OK = 1,
};

// The host's identity of one server (or of the plugin itself).
class VT_SERVICES_API VtHandle {
public:
    explicit VtHandle(const char* text);
    VtHandle(const VtHandle& other);
    VtHandle& operator=(const VtHandle& other);
    virtual ~VtHandle();

    // The handle's 8-bit text, valid while the handle lives.
    const char* toCharString() const;

private:
    std::string text_;
};

// Strict weak order of handles: the session registry's key order.
VT_SERVICES_API bool operator<(const VtHandle& left, const VtHandle& right);

// The host's process-wide error reporter; one SetError call is one report to the user.
class VT_SERVICES_API VtError {
public:
    static VtError* GetInstance();
    void SetError(const wchar_t* title, const wchar_t* text);

private:
    VtError() = default;
};

class VtServerData;
class VtServerEntry;

// The leading part of the plugin's per-server record, as the host reads it.
struct VtPluginServerStruct {
    VtHandle handle;
    VtServerData* serverData;
    VtServerEntry* serverEntry;
};

// The host's plugin menu; it remembers which server record the menu currently acts on.
class VT_SERVICES_API VtPluginMenu {
public:
    VTRESULT SetCurrentPluginServerStruct(VtPluginServerStruct* server);
    VtPluginServerStruct* CurrentPluginServerStruct() const;

private:
    VtPluginServerStruct* current_ = nullptr;
};

class VT_SERVICES_API KRNetUtil {
public:
    // VT_OK when text names a usable IPv4 host; address then holds it in network byte order.
    static VTRESULT getServerFromString(const wchar_t* text, std::uint32_t& address);
    // Fills text with the system's description of a Winsock error code.
    static VTRESULT getStringFromWinsockError(int code, std::wstring& text);
};

// The operations both host objects share, at the same virtual slots.
// Reference counted by the host: never deleted through this interface.
class VtHostObject {
public:
    virtual VTRESULT Lock() = 0;
    virtual VTRESULT Unlock() = 0;
    virtual VTRESULT BeginUpdate() = 0;
    virtual VTRESULT EndUpdate() = 0;
    virtual long AddRef() = 0;
    virtual long Release() = 0;

protected:
    ~VtHostObject() = default;
};

// The server's entry in the host: address, port, time budget and launch settings.
class VtServerEntry : public VtHostObject {
public:
    virtual int GetPort() = 0;
    virtual std::wstring GetAddress() = 0;
    virtual std::wstring GetLabel() = 0;
    virtual int GetTimeout() = 0;
    virtual VTRESULT AddLaunchOption(int id, const std::wstring* name, const std::wstring* description,
                                     int first, int second) = 0;
    virtual int GetLaunchOption(int id, std::wstring& value) = 0;
    virtual std::wstring GetExecutablePath() = 0;
    virtual std::wstring GetLaunchParameters() = 0;

protected:
    ~VtServerEntry() = default;
};

// The server's result record in the host: status, counts and the two result tables.
class VtServerData : public VtHostObject {
public:
    virtual VTRESULT SetServerName(std::wstring name) = 0;
    virtual VTRESULT SetMaxPlayers(int count) = 0;
    virtual VTRESULT SetPlayerCount(int count) = 0;
    virtual VTRESULT SetMapName(std::wstring name) = 0;
    virtual VTRESULT SetStatusDetail(std::wstring text) = 0;
    virtual VTRESULT RecordPlayerCount(int count) = 0;
    virtual VTRESULT RecordNoResponse() = 0;
    virtual VTRESULT SetStatusText(std::wstring text) = 0;
    virtual VTRESULT AddTable(const std::wstring& table) = 0;
    virtual VTRESULT SetTableTitle(const std::wstring& table, const std::wstring& caption) = 0;
    virtual VTRESULT SetUserTable(const std::wstring& table) = 0;
    virtual VTRESULT SetColumnCount(const std::wstring& table, int count) = 0;
    virtual VTRESULT SetColumnName(const std::wstring& table, int column, const std::wstring& heading) = 0;
    virtual VTRESULT SetColumnWidth(const std::wstring& table, int column, int width) = 0;
    virtual int GetRowCount(const std::wstring& table) = 0;
    virtual VTRESULT ClearTable(const std::wstring& table) = 0;
    virtual VTRESULT AddRow(const std::wstring& table) = 0;
    virtual VTRESULT SetCell(const std::wstring& table, int column, int row, const std::wstring& text) = 0;
    virtual VTRESULT GetCell(const std::wstring& table, int column, int row, std::wstring& text) = 0;

protected:
    ~VtServerData() = default;
};
