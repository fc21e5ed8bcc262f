#include "plugin/error_trap/error_trap.h"
#include "plugin/error_trap/host_holds.h"

namespace error_trap {

bool GiveBackHolds(HostHolds& holds) noexcept {
    // A host call that fails has done nothing, so one that failed is worth one more try; two
    // rounds bound it for a host that always fails.
    for (int round = 0; round < 2 && !holds.Empty(); ++round) {
        std::array<HostHolds::Hold, 8> order{};
        const std::size_t count = holds.GiveBackOrder(order);
        for (std::size_t i = 0; i < count; ++i) {
            const HostHolds::Hold hold = order[i];
            auto giveBack = [&] {
                switch (hold.kind) {
                    case HostHolds::Kind::Lock:
                        holds.Unlock(*hold.object);
                        break;
                    case HostHolds::Kind::Update:
                        holds.EndUpdate(*hold.object);
                        break;
                    case HostHolds::Kind::Reference:
                        holds.Release(*hold.object);
                        break;
                }
            };
            RunTrapped(giveBack);
        }
    }
    return holds.Empty();
}

}  // namespace error_trap
