// KRNetUtil for native builds, where the host objects serve the parser tests and tools: the
// same decisions as on Windows over the POSIX resolver.
#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <cstring>

#include "common/contract/host_services.h"
#include "host/services/host_name.h"

VTRESULT KRNetUtil::getServerFromString(const wchar_t* text, std::uint32_t& address) {
    std::optional<std::string> name = AsciiAddressText(text);
    if (!name) return VT_FAILED;
    in_addr numeric{};
    if (inet_pton(AF_INET, name->c_str(), &numeric) == 1) {
        address = numeric.s_addr;
        return VT_OK;
    }
    if (IsLoopbackName(*name)) {
        address = htonl(INADDR_LOOPBACK);
        return VT_OK;
    }
    if (!IsResolvableHostName(*name)) return VT_FAILED;

    addrinfo hints{};
    hints.ai_family = AF_INET;
    addrinfo* found = nullptr;
    if (getaddrinfo(name->c_str(), nullptr, &hints, &found) != 0 || !found) return VT_FAILED;
    std::memcpy(&address, &reinterpret_cast<const sockaddr_in*>(found->ai_addr)->sin_addr, sizeof address);
    freeaddrinfo(found);
    return VT_OK;
}

// Winsock codes mean nothing to the C library here, so the text names the code alone.
VTRESULT KRNetUtil::getStringFromWinsockError(int code, std::wstring& text) {
    text = L"Winsock error " + std::to_wstring(code);
    return VT_FAILED;
}
