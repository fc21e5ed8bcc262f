// Where the main window's parts go, at every scale, from the smallest size up: inside the client
// area, apart, top to bottom, the list and the details sharing what the height leaves 55 to 45; at
// twice the scale twice the size, every size scaled. (The window's tests find each text fits.)
#include "apps/vtbrowse/window/browser_layout.h"

#include <gtest/gtest.h>

#include "apps/vtbrowse/framework/scale.h"

namespace {

TEST(BrowserLayout, PlacesEveryPartInsideWithoutOverlapAndScalesEverySize) {
    for (const int dpi : {96, 120, 144, 192}) {
        const int status = Scaled(22, dpi);
        for (const ClientSize size :
             {SmallestClient(status, dpi), ClientSize{Scaled(1904, dpi), Scaled(1000, dpi)}}) {
            SCOPED_TRACE(testing::Message() << size.width << "x" << size.height << " at " << dpi);
            const PartAreas at = LayOutParts(size.width, size.height, status, dpi);
            const PartAreas at96 = LayOutParts(Unscaled(size.width, dpi), Unscaled(size.height, dpi), 22, 96);
            const PartArea PartAreas::*parts[] = {
                &PartAreas::status,  &PartAreas::commands, &PartAreas::filters, &PartAreas::quick,
                &PartAreas::masters, &PartAreas::list,     &PartAreas::seats,   &PartAreas::handedBack,
                &PartAreas::details, &PartAreas::log,      &PartAreas::friends};
            for (const auto part : parts) {
                const PartArea& a = at.*part;
                EXPECT_TRUE(a.left >= 0 && a.top >= 0 && a.right <= size.width && a.bottom <= size.height &&
                            a.left < a.right && a.top < a.bottom);
                for (const auto other : parts) {
                    const PartArea& b = at.*other;
                    EXPECT_TRUE(part == other || a.right <= b.left || b.right <= a.left ||
                                a.bottom <= b.top || b.bottom <= a.top);
                }
                // Every size scaled, give or take the rounding of the sizes it is made of.
                for (const auto& [scaled, unscaled] : {std::pair{a.left, (at96.*part).left},
                                                       {a.top, (at96.*part).top},
                                                       {a.right, (at96.*part).right},
                                                       {a.bottom, (at96.*part).bottom}})
                    EXPECT_NEAR(scaled, Scaled(unscaled, dpi), 4);
            }
            EXPECT_TRUE(at.commands.bottom <= at.filters.top && at.filters.bottom <= at.list.top &&
                        at.list.bottom <= at.seats.top && at.seats.bottom <= at.details.top &&
                        at.details.bottom <= at.log.top && at.log.top == at.friends.top);
            const int list = at.list.bottom - at.list.top, details = at.details.bottom - at.details.top;
            EXPECT_NEAR(list * 45, details * 55, 55 * Scaled(12, dpi));
        }
    }
}

}  // namespace
