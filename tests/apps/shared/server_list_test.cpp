#include "apps/shared/server_list.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "apps/shared/usable_address.h"

using ::testing::ElementsAre;
using ::testing::HasSubstr;

namespace {

// Each text parses to its address and port, or is refused with what is wrong and the text.
TEST(ServerAddressText, ParsesOrSaysWhatIsWrong) {
    const struct {
        const char* text;
        const char* address;  // null: refused
        int port;
        const char* complaint;  // part of the error message when refused
    } cases[] = {
        {"127.0.0.1:28001", "127.0.0.1", 28001, nullptr},
        {"no-such-host.invalid:1", "no-such-host.invalid", 1, nullptr},
        {"localhost:65535", "localhost", 65535, nullptr},
        {"[::1]:28001", "::1", 28001, nullptr},
        {"127.0.0.1", nullptr, 0, "no port"},
        {":28001", nullptr, 0, "no address"},
        {"127.0.0.1:", nullptr, 0, "1 to 65535"},
        {"127.0.0.1:0", nullptr, 0, "1 to 65535"},
        {"127.0.0.1:65536", nullptr, 0, "1 to 65535"},
        {"127.0.0.1:280x1", nullptr, 0, "1 to 65535"},
        {"127.0.0.1:-5", nullptr, 0, "1 to 65535"},
        {"127.0.0.1:0000028001", nullptr, 0, "1 to 65535"},
        {"::1:28001", nullptr, 0, "brackets"},
        {"a b:28001", nullptr, 0, "blank"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        ServerAddress server;
        ServerListError error;
        EXPECT_EQ(ParseServerAddress(c.text, server, error), c.address != nullptr) << error.message;
        if (c.address) {
            EXPECT_EQ(server.address, c.address);
            EXPECT_EQ(server.port, c.port);
        } else {
            EXPECT_THAT(error.message, HasSubstr(c.complaint));
            EXPECT_THAT(error.message, HasSubstr(std::string("'") + c.text + "'"));
        }
    }
}

// The rule at each edge of the ranges it refuses, on texts as the user types them.
TEST(UsableServer, RefusesAddressesNoServerCanHaveAndNothingElse) {
    const struct {
        const char* text;
        const char* why;  // null: usable
    } cases[] = {
        {"0.0.0.0:28001", "in 0.0.0.0/8"},
        {"0.255.255.255:1", "in 0.0.0.0/8"},
        {"1.0.0.0:1", nullptr},
        {"127.0.0.1:28001", nullptr},
        {"10.200.0.1:28001", nullptr},
        {"192.168.1.20:28001", nullptr},
        {"223.255.255.255:1", nullptr},
        {"224.0.0.1:28001", "multicast"},
        {"239.255.255.250:1900", "multicast"},
        {"240.0.0.0:1", "reserved"},
        {"255.255.255.254:1", "reserved"},
        {"255.255.255.255:28001", "broadcast"},
        {"localhost:28001", nullptr},
        {"0.0.0.0.example.invalid:1", nullptr},  // a name: the resolver judges it
        {"0.0.0:1", nullptr},
        {"0.0.0.0000:1", nullptr},
        {"256.0.0.0:1", nullptr},
    };
    for (const auto& c : cases) {
        ServerAddress server;
        ServerListError error;
        const bool usable = ParseUsableServerAddress(c.text, server, error);
        EXPECT_EQ(usable, c.why == nullptr) << c.text;
        if (c.why) {
            EXPECT_EQ(error.message,
                      "'" + std::string(c.text) + "': no server can have this address (" + c.why + ")");
        }
    }
    EXPECT_EQ(UnusableServer(0x0A000001, 0), Unusable::PortZero);
}

TEST(ServerList, KeepsFirstOfRepeatedServers) {
    EXPECT_THAT(WithoutDuplicates({{"a", 1}, {"b", 1}, {"a", 1}, {"a", 2}, {"b", 1}}),
                ElementsAre(ServerAddress{"a", 1}, ServerAddress{"b", 1}, ServerAddress{"a", 2}));
}

}  // namespace
