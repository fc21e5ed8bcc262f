// KRNetUtil over Winsock: dotted addresses and "localhost" without a lookup, well-formed names
// through the resolver, everything else turned down with WSAHOST_NOT_FOUND as the last error.
#include <cstring>

#include "common/contract/host_services.h"
#include "common/contract/windows_headers.h"
#include "host/services/host_name.h"
#include "host/services/offered.h"
#include "common/owners/unique_resource.h"
#include "host/text/system_message_win.h"

namespace {

VTRESULT NotFound() {
    WSASetLastError(WSAHOST_NOT_FOUND);
    return VT_FAILED;
}

VTRESULT ServerFromString(const wchar_t* text, std::uint32_t& address) {
    std::optional<std::string> name = AsciiAddressText(text);
    if (!name) return NotFound();
    IN_ADDR numeric{};
    if (inet_pton(AF_INET, name->c_str(), &numeric) == 1) {
        address = numeric.s_addr;
        return VT_OK;
    }
    if (IsLoopbackName(*name)) {
        address = htonl(INADDR_LOOPBACK);
        return VT_OK;
    }
    if (!IsResolvableHostName(*name)) return NotFound();

    addrinfo hints{};
    hints.ai_family = AF_INET;
    addrinfo* first = nullptr;
    int failure = getaddrinfo(name->c_str(), nullptr, &hints, &first);
    const owners::unique_addrinfo found(first);
    if (failure != 0 || !found) {
        WSASetLastError(failure != 0 ? failure : WSAHOST_NOT_FOUND);
        return VT_FAILED;
    }
    std::memcpy(&address, &reinterpret_cast<const sockaddr_in*>(found.get()->ai_addr)->sin_addr,
                sizeof address);
    return VT_OK;
}

// VT_OK with the system's own description; VT_FAILED, with a text naming the code, when the
// system has none.
VTRESULT StringFromWinsockError(int code, std::wstring& text) {
    std::wstring message = SystemMessage(static_cast<DWORD>(code));
    if (message.empty()) {
        text = L"Winsock error " + std::to_wstring(code);
        return VT_FAILED;
    }
    text = std::move(message);
    return VT_OK;
}

}  // namespace

VTRESULT KRNetUtil::getServerFromString(const wchar_t* text, std::uint32_t& address) {
    return Offered([&] { return ServerFromString(text, address); });
}

VTRESULT KRNetUtil::getStringFromWinsockError(int code, std::wstring& text) {
    return Offered([&] { return StringFromWinsockError(code, text); });
}
