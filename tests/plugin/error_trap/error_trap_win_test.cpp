// The error trap around host calls: every kind of fault a host call can make, with the host's
// own exception frames inside, on this architecture's mechanism.
#include <gtest/gtest.h>

#include <stdexcept>

#include "common/contract/windows_headers.h"
#include "host/probes/call_probe.h"
#include "host/services/offered.h"
#include "host/services/server_objects.h"
#include "plugin/error_trap/error_trap.h"
#include "plugin/error_trap/host_holds.h"

namespace {

// Where a C++ exception thrown by the host library ends up: caught by the trap's own C++
// handling (x86_64), or raised as the platform compiler's exception (i686).
#ifdef _WIN64
constexpr unsigned long HostCppExceptionCode = 0;
#else
constexpr unsigned long HostCppExceptionCode = PlatformCppExceptionCode;
#endif

// The head of this thread's chain of exception frames: the first word of its thread block. On
// x86_64 frames are named by tables, and the word stays as it is.
const void* ChainHead() {
    const void* head;
#ifdef _WIN64
    asm volatile("movq %%gs:0, %0" : "=r"(head));
#else
    asm volatile("movl %%fs:0, %0" : "=r"(head));
#endif
    return head;
}

struct FaultCase {
    HostFault fault;
    bool finished;
    unsigned long code;
};

const FaultCase FaultCases[] = {
    {HostFault::None, true, 0},
    {HostFault::Exception, false, HostCppExceptionCode},
    {HostFault::PlatformCppException, false, PlatformCppExceptionCode},
    {HostFault::StructuredException, false, HostStructuredExceptionCode},
    {HostFault::AccessViolation, false, EXCEPTION_ACCESS_VIOLATION},
    {HostFault::HandledFault, true, 0},  // the host's own frame takes it: the call just works
    {HostFault::PassedFault, false, EXCEPTION_ACCESS_VIOLATION},
};

class ErrorTrap : public testing::Test {
protected:
    // One host call that makes fault, inside the trap.
    error_trap::TrapResult TrappedCall(HostFault fault) {
        probe->InjectFault(L"GetRowCount", fault);
        auto call = [this] { rows = data->GetRowCount(L"UsersTable"); };
        return error_trap::RunTrapped(call);
    }

    HostRef<HostServerData> data = HostRef<HostServerData>::Adopt(HostServerData::Create());
    std::shared_ptr<CallProbe> probe = Probe(*data);
    int rows = -1;
};

TEST_F(ErrorTrap, TakesWhatEscapesTheHostAndLeavesWhatTheHostHandles) {
    for (const FaultCase& c : FaultCases) {
        SCOPED_TRACE(static_cast<int>(c.fault));
        rows = -1;
        const int noticesBefore = HostFrameUnwindNotices();
        error_trap::TrapResult trapped{};
        // Inside a frame of the host's own, as a host that wraps its calls meets them.
        auto call = [&] {
            const void* const chainBefore = ChainHead();
            trapped = TrappedCall(c.fault);
            // Checked here, before the host's fault below walks the chain.
            EXPECT_EQ(ChainHead(), chainBefore) << "the trap left a record of its own on the chain";
        };
        // The host's own fault after the trapped call reaches the host's handler, once.
        EXPECT_EQ(FaultInHostFrameAfter(call), 1);
        EXPECT_EQ(trapped.finished, c.finished);
        EXPECT_EQ(trapped.code, c.code);
        EXPECT_EQ(rows, c.finished ? 0 : -1);
        // A frame of the host's that the exception passes is told of the unwind through it.
        EXPECT_EQ(HostFrameUnwindNotices() - noticesBefore, c.fault == HostFault::PassedFault ? 1 : 0);
    }
}

TEST_F(ErrorTrap, HoldsNestedAndOverOurOwnExceptions) {
    // An inner trap takes its own fault; the outer call goes on and finishes.
    bool innerTook = false;
    auto outer = [&] {
        innerTook = !TrappedCall(HostFault::StructuredException).finished;
        rows = data->GetRowCount(L"UsersTable");
    };
    EXPECT_TRUE(error_trap::RunTrapped(outer).finished);
    EXPECT_TRUE(innerTook);
    // A C++ exception of this module, with its destructors run on the way.
    bool destroyed = false;
    auto throwing = [&] {
        struct Guard {
            bool& destroyed;
            ~Guard() { destroyed = true; }
        } guard{destroyed};
        throw std::logic_error("ours");
    };
    const error_trap::TrapResult trapped = error_trap::RunTrapped(throwing);
    EXPECT_FALSE(trapped.finished);
    EXPECT_EQ(trapped.code, 0u);
    EXPECT_TRUE(destroyed);
}

TEST(HostHoldsGiveBack, GivesBackLocksAndBracketsLatestFirstThenReferencesInOrder) {
    auto journal = std::make_shared<CallJournal>();
    HostRef<HostServerEntry> entry = HostRef<HostServerEntry>::Adopt(HostServerEntry::Create());
    HostRef<HostServerData> data = HostRef<HostServerData>::Adopt(HostServerData::Create());
    const std::shared_ptr<CallProbe> entryProbe = Probe(*entry, journal);
    Probe(*data, journal);
    error_trap::HostHolds holds;
    holds.AddRef(*entry);
    holds.AddRef(*data);
    holds.Lock(*entry);
    holds.BeginUpdate(*data);
    holds.Lock(*entry);
    holds.Unlock(*entry);  // given back already: not given back twice
    journal->Clear();
    // A giving back that fails is made again after the others.
    entryProbe->InjectFault(L"Unlock", HostFault::AccessViolation);

    EXPECT_TRUE(error_trap::GiveBackHolds(holds));

    EXPECT_EQ(journal->Lines(),
              (std::vector<std::wstring>{L"entry.Unlock", L"data.EndUpdate", L"entry.Release",
                                         L"data.Release", L"entry.Unlock"}));
    EXPECT_EQ(entry->LockDepth(), 0);
    EXPECT_EQ(data->UpdateDepth(), 0);
    EXPECT_EQ(entry->RefCount(), 1);
    EXPECT_EQ(data->RefCount(), 1);
}

}  // namespace
