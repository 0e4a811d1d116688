// Pointer motion with no gesture that may act must cost nothing: no heap allocation, no
// platform call, no log line. This program links the counting allocator.
#include <gtest/gtest.h>

#include <cstddef>

#include "support/AllocationCounter.h"
#include "support/SimDesk.h"

namespace tugworth {
namespace {

constexpr int kBurst = 1000;
constexpr Rect kFrame{100.0, 100.0, 800.0, 600.0};

struct IdleMotion : ::testing::Test, test::SimDesk {
    IdleMotion() {
        desktop.addProcess(501, "TextEdit");
        desktop.addWindow(501, 12, kFrame, "Notes");
        delegate.setupEventMonitoring();
        // A gesture came and went first, so nothing is merely untouched.
        desktop.setPointer({300.0, 700.0});
        desktop.sendFlagsChanged(test::kDragChord);
        desktop.sendFlagsChanged(0);
        desktop.logCapture().clear();
    }
};

// No gesture, or a gesture without the permission.
TEST_F(IdleMotion, BurstOfMotionEventsAllocatesAndCallsNothing) {
    for (const bool gesture : {false, true}) {
        delegate.isDragging = gesture;
        delegate.hasAccessibilityPermissions = !gesture;
        const Point before = delegate.initialLocation;
        desktop.resetPlatformCallCount();
        const std::size_t allocationsBefore = counting::allocationCount();
        for (int i = 0; i < kBurst; ++i) {
            desktop.movePointer({static_cast<double>(i), static_cast<double>(2 * i)}, i % 2 == 1);
        }
        EXPECT_EQ(counting::allocationCount() - allocationsBefore, 0U) << gesture;
        EXPECT_EQ(desktop.platformCallCount(), 0U) << gesture;
        EXPECT_TRUE(desktop.logCapture().lines().empty());
        EXPECT_EQ(delegate.initialLocation, before);
        EXPECT_EQ(desktop.windowFrame(12), kFrame);
    }
}

// The counters are live: the same burst during a permitted drag does allocate and call.
TEST_F(IdleMotion, CountersSeeAnActiveDrag) {
    desktop.sendFlagsChanged(test::kDragChord);
    desktop.resetPlatformCallCount();
    const std::size_t allocationsBefore = counting::allocationCount();
    for (int i = 1; i <= 10; ++i) desktop.movePointer({300.0 + 5.0 * i, 700.0});
    EXPECT_GT(desktop.platformCallCount(), 0U);
    EXPECT_GT(counting::allocationCount() - allocationsBefore, 0U);
    EXPECT_EQ(desktop.windowFrame(12), (Rect{150.0, 100.0, 800.0, 600.0}));
}

}  // namespace
}  // namespace tugworth
