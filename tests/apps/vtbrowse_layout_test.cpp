// Where the main window's parts go: inside the client area, in their rows without overlapping,
// the list and the details sharing what the height leaves, at the smallest size and larger.
#include <gtest/gtest.h>

#include <vector>

#include "apps/vtbrowse/browser_layout.h"

namespace {

bool Inside(const PartArea& area, int width, int height) {
    return area.left >= 0 && area.top >= 0 && area.right <= width && area.bottom <= height &&
           area.left < area.right && area.top < area.bottom;
}

bool Apart(const PartArea& a, const PartArea& b) {
    return a.right <= b.left || b.right <= a.left || a.bottom <= b.top || b.bottom <= a.top;
}

TEST(BrowserLayout, PlacesEveryPartInsideWithoutOverlap) {
    struct Case {
        int width, height, statusHeight;
    };
    // The first start's client area, a larger one, a large screen.
    for (const Case& size : std::vector<Case>{{964, 560, 22}, {1264, 700, 22}, {1904, 1000, 26}}) {
        SCOPED_TRACE(testing::Message() << size.width << "x" << size.height);
        const PartAreas at = LayOutParts(size.width, size.height, size.statusHeight);
        const std::vector<PartArea> parts = {at.status,  at.commands, at.filters, at.getMasters,
                                             at.masters, at.list,     at.seats,   at.handedBack,
                                             at.details, at.log,      at.friends};
        for (size_t i = 0; i < parts.size(); ++i) {
            EXPECT_TRUE(Inside(parts[i], size.width, size.height)) << "part " << i;
            for (size_t j = i + 1; j < parts.size(); ++j)
                EXPECT_TRUE(Apart(parts[i], parts[j])) << i << " " << j;
        }
        EXPECT_TRUE(Inside(at.quick, size.width, size.height));
        // Quick connect stands over the filters' first row, clear of the masters' buttons.
        EXPECT_TRUE(Apart(at.quick, at.commands));
        EXPECT_TRUE(Apart(at.quick, at.getMasters));
        EXPECT_TRUE(Apart(at.quick, at.masters));
        EXPECT_EQ(at.status.bottom, size.height);
        EXPECT_EQ(at.status.top, size.height - size.statusHeight);
        // Top to bottom: commands, filters, list, seat watch, details, log.
        EXPECT_LE(at.filters.bottom, at.list.top);
        EXPECT_LE(at.list.bottom, at.seats.top);
        EXPECT_LE(at.seats.bottom, at.details.top);
        EXPECT_LE(at.details.bottom, at.log.top);
        EXPECT_EQ(at.log.top, at.friends.top);
        EXPECT_LE(at.friends.right - at.friends.left, 460);
        // 55 parts list to 45 parts details, give or take the rounding.
        const int list = at.list.bottom - at.list.top, details = at.details.bottom - at.details.top;
        EXPECT_NEAR(list * 45, details * 55, 55 * 12);
    }
}

}  // namespace
