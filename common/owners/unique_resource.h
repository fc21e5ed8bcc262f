// One move-only owner type per OS resource, all shaped alike: get(), reset(), release(),
// explicit operator bool. The empty value is part of each type (null handle, INVALID_SOCKET).
#pragma once

#include <utility>

#include "common/contract/windows_headers.h"

namespace owners {

// Traits: using value_type; static value_type invalid(); static void close(value_type).
template <class Traits>
class unique_any {
public:
    using value_type = typename Traits::value_type;

    unique_any() noexcept = default;
    explicit unique_any(value_type value) noexcept : value_(value) {}
    unique_any(unique_any&& other) noexcept : value_(other.release()) {}
    unique_any& operator=(unique_any&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }
    unique_any(const unique_any&) = delete;
    unique_any& operator=(const unique_any&) = delete;
    ~unique_any() { reset(); }

    value_type get() const noexcept { return value_; }
    // The stored value's address, for calls that take an array of one (e.g. a wait list).
    const value_type* addressof() const noexcept { return &value_; }
    explicit operator bool() const noexcept { return value_ != Traits::invalid(); }

    // Closes what is held (if anything) and holds value instead.
    void reset(value_type value = Traits::invalid()) noexcept {
        value_type old = std::exchange(value_, value);
        if (old != Traits::invalid()) Traits::close(old);
    }
    // Gives up ownership without closing.
    value_type release() noexcept { return std::exchange(value_, Traits::invalid()); }

private:
    value_type value_ = Traits::invalid();
};

struct handle_traits {
    using value_type = HANDLE;
    static value_type invalid() { return nullptr; }
    static void close(value_type value) { ::CloseHandle(value); }
};
struct file_traits {
    using value_type = HANDLE;
    static value_type invalid() { return INVALID_HANDLE_VALUE; }
    static void close(value_type value) { ::CloseHandle(value); }
};
struct socket_traits {
    using value_type = SOCKET;
    static value_type invalid() { return INVALID_SOCKET; }
    static void close(value_type value) { ::closesocket(value); }
};
struct hwnd_traits {
    using value_type = HWND;
    static value_type invalid() { return nullptr; }
    static void close(value_type value) { ::DestroyWindow(value); }
};
struct module_traits {
    using value_type = HMODULE;
    static value_type invalid() { return nullptr; }
    static void close(value_type value) { ::FreeLibrary(value); }
};
struct menu_traits {
    using value_type = HMENU;
    static value_type invalid() { return nullptr; }
    static void close(value_type value) { ::DestroyMenu(value); }
};
struct gdi_object_traits {
    using value_type = HGDIOBJ;
    static value_type invalid() { return nullptr; }
    static void close(value_type value) { ::DeleteObject(value); }
};
struct icon_traits {
    using value_type = HICON;
    static value_type invalid() { return nullptr; }
    static void close(value_type value) { ::DestroyIcon(value); }
};
struct memory_dc_traits {
    using value_type = HDC;
    static value_type invalid() { return nullptr; }
    static void close(value_type value) { ::DeleteDC(value); }
};
struct local_memory_traits {
    using value_type = HLOCAL;
    static value_type invalid() { return nullptr; }
    static void close(value_type value) { ::LocalFree(value); }
};
struct addrinfo_traits {
    using value_type = addrinfo*;
    static value_type invalid() { return nullptr; }
    static void close(value_type value) { ::freeaddrinfo(value); }
};
struct mapped_view_traits {
    using value_type = void*;
    static value_type invalid() { return nullptr; }
    static void close(value_type value) { ::UnmapViewOfFile(value); }
};

using unique_handle = unique_any<handle_traits>;  // kernel objects closed with CloseHandle
using unique_file = unique_any<file_traits>;      // CreateFileW's handles: empty is INVALID_HANDLE_VALUE
using unique_socket = unique_any<socket_traits>;
using unique_hwnd = unique_any<hwnd_traits>;                  // must be reset on the window's own thread
using unique_module = unique_any<module_traits>;              // a loaded library
using unique_menu = unique_any<menu_traits>;                  // a menu not attached to a window
using unique_gdi_object = unique_any<gdi_object_traits>;      // bitmaps, regions: not selected when let go
using unique_icon = unique_any<icon_traits>;                  // an icon made for us, not a shared one
using unique_memory_dc = unique_any<memory_dc_traits>;        // CreateCompatibleDC's device contexts
using unique_local_memory = unique_any<local_memory_traits>;  // memory the system gave with LocalAlloc
using unique_addrinfo = unique_any<addrinfo_traits>;          // the list getaddrinfo gave
using unique_mapped_view = unique_any<mapped_view_traits>;    // MapViewOfFile's views

static_assert(sizeof(unique_handle) == sizeof(HANDLE), "an owner adds nothing to its handle");

// One start of the socket layer, cleaned up once when the owner lets go.
class unique_winsock {
public:
    unique_winsock() noexcept = default;
    unique_winsock(unique_winsock&& other) noexcept : started_(other.release()) {}
    unique_winsock& operator=(unique_winsock&& other) noexcept {
        if (this != &other) {
            reset();
            started_ = other.release();
        }
        return *this;
    }
    unique_winsock(const unique_winsock&) = delete;
    unique_winsock& operator=(const unique_winsock&) = delete;
    ~unique_winsock() { reset(); }

    // Starts the socket layer asking for version; an empty owner when the start-up failed.
    static unique_winsock Start(WORD version) noexcept {
        WSADATA data;
        unique_winsock owner;
        owner.started_ = ::WSAStartup(version, &data) == 0;
        return owner;
    }

    bool get() const noexcept { return started_; }
    explicit operator bool() const noexcept { return started_; }
    void reset() noexcept {
        if (std::exchange(started_, false)) ::WSACleanup();
    }
    bool release() noexcept { return std::exchange(started_, false); }

private:
    bool started_ = false;
};

// One registration of a window class, undone (UnregisterClassW) when the owner lets go. The
// class name must outlive the owner: the owners in this project name theirs with literals.
class unique_window_class {
public:
    unique_window_class() noexcept = default;
    unique_window_class(const wchar_t* name, HINSTANCE instance) noexcept
        : name_(name), instance_(instance) {}
    unique_window_class(unique_window_class&& other) noexcept
        : name_(std::exchange(other.name_, nullptr)), instance_(other.instance_) {}
    unique_window_class& operator=(unique_window_class&& other) noexcept {
        if (this != &other) {
            reset();
            name_ = std::exchange(other.name_, nullptr);
            instance_ = other.instance_;
        }
        return *this;
    }
    unique_window_class(const unique_window_class&) = delete;
    unique_window_class& operator=(const unique_window_class&) = delete;
    ~unique_window_class() { reset(); }

    // Registers windowClass (whose name must be a literal); an empty owner when that failed.
    static unique_window_class Register(const WNDCLASSW& windowClass) noexcept {
        if (!::RegisterClassW(&windowClass)) return {};
        return {windowClass.lpszClassName, windowClass.hInstance};
    }
    // A plain class of this program's module: a name and a window procedure.
    static unique_window_class Register(const wchar_t* name, WNDPROC procedure) noexcept {
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = procedure;
        windowClass.hInstance = ::GetModuleHandleW(nullptr);
        windowClass.lpszClassName = name;
        return Register(windowClass);
    }

    const wchar_t* get() const noexcept { return name_; }
    explicit operator bool() const noexcept { return name_ != nullptr; }
    void reset() noexcept {
        if (const wchar_t* name = std::exchange(name_, nullptr)) ::UnregisterClassW(name, instance_);
    }

private:
    const wchar_t* name_ = nullptr;
    HINSTANCE instance_ = nullptr;
};

}  // namespace owners
