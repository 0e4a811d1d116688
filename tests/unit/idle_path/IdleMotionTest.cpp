// Pointer motion with no gesture that may act must cost nothing: no heap allocation, no
// platform call, no log line. This program replaces the global allocator to count.
#include <gtest/gtest.h>

#include <cstddef>
#include <cstdlib>
#include <new>
#include <ostream>

#include "app/AppDelegate.h"
#include "platform/sim/Desktop.h"

namespace {
std::size_t allocations = 0;
}  // namespace

void* operator new(std::size_t size) {
    ++allocations;
    if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
    throw std::bad_alloc();
}
// The library's temporary buffers use the nothrow form: it must pair with the delete above.
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    ++allocations;
    return std::malloc(size == 0 ? 1 : size);
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }

namespace tugworth {
namespace {

constexpr int kBurst = 1000;

struct IdleCase {
    const char* name;
    bool dragging;
    bool permitted;
    friend void PrintTo(const IdleCase& row, std::ostream* out) { *out << row.name; }
};

class IdleMotion : public ::testing::TestWithParam<IdleCase> {
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

    sim::Desktop desktop;
    UserDefaults defaults{desktop.storage()};
    AppDelegate delegate{defaults, desktop.platform()};
};

TEST_P(IdleMotion, BurstOfMotionEventsAllocatesAndCallsNothing) {
    delegate.isDragging = GetParam().dragging;
    delegate.hasAccessibilityPermissions = GetParam().permitted;
    const Point before = delegate.initialLocation;
    desktop.resetPlatformCallCount();
    const std::size_t allocationsBefore = allocations;

    for (int i = 0; i < kBurst; ++i) {
        desktop.movePointer({static_cast<double>(i), static_cast<double>(2 * i)}, i % 2 == 1);
    }

    EXPECT_EQ(allocations - allocationsBefore, 0U);
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
    const std::size_t allocationsBefore = allocations;
    for (int i = 1; i <= 10; ++i) desktop.movePointer({300.0 + 5.0 * i, 700.0});
    EXPECT_GT(desktop.platformCallCount(), 0U);
    EXPECT_GT(allocations - allocationsBefore, 0U);
    EXPECT_EQ(desktop.windowFrame(12), (Rect{150.0, 100.0, 800.0, 600.0}));
}

}  // namespace
}  // namespace tugworth
