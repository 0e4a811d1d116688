// Pointer motion with no gesture that may act must cost nothing: no heap allocation, no
// platform call, no log line. This program links the counting allocator.
#include <gtest/gtest.h>

#include <cstddef>
#include <cstdlib>
#include <new>
#include <ostream>

#include "support/AllocationCounter.h"
#include "support/SimDesk.h"

namespace tugworth {
namespace {

constexpr int kBurst = 1000;

struct IdleCase {
    const char* name;
    bool dragging;
    bool permitted;
    friend void PrintTo(const IdleCase& row, std::ostream* out) { *out << row.name; }
};

class IdleMotion : public ::testing::TestWithParam<IdleCase>, public test::SimDesk {
protected:
    IdleMotion() {
        desktop.addProcess(501, "TextEdit");
        desktop.addWindow(501, 12, {100.0, 100.0, 800.0, 600.0}, "Notes");
        delegate.setupEventMonitoring();
        // A gesture came and went first, so nothing is merely untouched.
        desktop.setPointer({300.0, 700.0});
        desktop.sendFlagsChanged(kModifierCommand | kModifierControl);
        desktop.sendFlagsChanged(0);
        desktop.logCapture().clear();
    }
};

TEST_P(IdleMotion, BurstOfMotionEventsAllocatesAndCallsNothing) {
    delegate.isDragging = GetParam().dragging;
    delegate.hasAccessibilityPermissions = GetParam().permitted;
    const Point before = delegate.initialLocation;
    desktop.resetPlatformCallCount();
    const std::size_t allocationsBefore = counting::allocationCount();

    for (int i = 0; i < kBurst; ++i) {
        desktop.movePointer({static_cast<double>(i), static_cast<double>(2 * i)}, i % 2 == 1);
    }

    EXPECT_EQ(counting::allocationCount() - allocationsBefore, 0U);
    EXPECT_EQ(desktop.platformCallCount(), 0U);
    EXPECT_TRUE(desktop.logCapture().lines().empty());
    EXPECT_EQ(delegate.initialLocation, before);
    EXPECT_EQ(desktop.windowFrame(12), (Rect{100.0, 100.0, 800.0, 600.0}));
}

INSTANTIATE_TEST_SUITE_P(Gate, IdleMotion,
                         ::testing::Values(IdleCase{"NoGesture", false, true},
                                           IdleCase{"GestureWithoutPermission", true, false}),
                         [](const auto& row) { return std::string(row.param.name); });

// The counters are live: the same burst during a permitted drag does allocate and call.
TEST_F(IdleMotion, CountersSeeAnActiveDrag) {
    desktop.sendFlagsChanged(kModifierCommand | kModifierControl);
    desktop.resetPlatformCallCount();
    const std::size_t allocationsBefore = counting::allocationCount();
    for (int i = 1; i <= 10; ++i) desktop.movePointer({300.0 + 5.0 * i, 700.0});
    EXPECT_GT(desktop.platformCallCount(), 0U);
    EXPECT_GT(counting::allocationCount() - allocationsBefore, 0U);
    EXPECT_EQ(desktop.windowFrame(12), (Rect{150.0, 100.0, 800.0, 600.0}));
}

}  // namespace
}  // namespace tugworth
