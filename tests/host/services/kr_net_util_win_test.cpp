#include <gtest/gtest.h>

#include "common/contract/host_services.h"
#include "common/contract/windows_headers.h"

namespace {

// The system's words without a line end; a code the system has no words for, by number.
TEST(KRNetWinsock, ErrorTextIsTheSystemsWithoutLineEnd) {
    for (int code : {WSAECONNREFUSED, WSAHOST_NOT_FOUND}) {
        std::wstring text;
        ASSERT_EQ(KRNetUtil::getStringFromWinsockError(code, text), VT_OK) << code;
        ASSERT_FALSE(text.empty()) << code;
        EXPECT_EQ(text.find(L"Winsock error"), std::wstring::npos) << code;
        EXPECT_EQ(text.find_last_not_of(L"\r\n"), text.size() - 1) << code;
    }
    std::wstring text;
    EXPECT_EQ(KRNetUtil::getStringFromWinsockError(0x3fffabcd, text), VT_FAILED);
    EXPECT_EQ(text, L"Winsock error 1073720269");
}

}  // namespace
