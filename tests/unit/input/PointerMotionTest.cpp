// Pointer motion: the gate, the threshold, the late capture and the alternative-window retry.
#include <ostream>

#include "GestureFixture.h"

namespace tugworth::test {
namespace {

using PointerMotion = GestureTest;

struct ThresholdCase {
    const char* name;
    double dx;
    double dy;
    const char* line;  // null: the delta is discarded
    friend void PrintTo(const ThresholdCase& row, std::ostream* out) { *out << row.name; }
};

class MotionThreshold : public GestureTest, public ::testing::WithParamInterface<ThresholdCase> {};

TEST_P(MotionThreshold, ActsOnlyAboveTwoPoints) {
    const ThresholdCase& row = GetParam();
    installMonitors();
    desktop.sendFlagsChanged(kCommandControl);
    desktop.logCapture().clear();

    moveBy(row.dx, row.dy);

    const auto moving = linesWith("[DEBUG] Moving window by");
    // Pointer deltas are y-up; the window's Accessibility origin is y-down.
    const Rect expected =
        row.line ? Rect{kFrame.x + row.dx, kFrame.y - row.dy, kFrame.width, kFrame.height} : kFrame;
    EXPECT_EQ(frameOf(kWindow), expected);
    if (row.line) {
        EXPECT_EQ(moving, (std::vector<std::string>{row.line}));
    } else {
        EXPECT_TRUE(moving.empty());
    }
    EXPECT_EQ(delegate.initialLocation, desktop.pointer());  // moved on either way
}

const ThresholdCase kThresholdCases[] = {
    {"SumOfTwoIsDiscarded", 1.0, 1.0, nullptr},
    {"TwoAlongOneAxisIsDiscarded", 0.0, -2.0, nullptr},
    {"JustAboveTwo", 2.5, 0.0, "[DEBUG] Moving window by dx: 2.5, dy: 0.0"},
    {"NegativeComponentsCountByMagnitude", -1.5, -1.5,
     "[DEBUG] Moving window by dx: -1.5, dy: -1.5"},
    {"StraightDown", 0.0, -10.0, "[DEBUG] Moving window by dx: 0.0, dy: -10.0"},
};

INSTANTIATE_TEST_SUITE_P(Deltas, MotionThreshold, ::testing::ValuesIn(kThresholdCases),
                         [](const auto& row) { return std::string(row.param.name); });

TEST_F(PointerMotion, SmallDeltasAreNotAccumulated) {
    installMonitors();
    desktop.sendFlagsChanged(kCommandControl);
    for (int step = 0; step < 20; ++step) moveBy(1.0, 0.0);
    EXPECT_EQ(frameOf(kWindow), kFrame);
    EXPECT_TRUE(linesWith("Moving window").empty());
}

// With a button held the pointer moves without a monitored event: nothing happens then, and
// the next monitored event measures from the last handled location.
TEST_F(PointerMotion, ButtonHeldMotionIsNotSeen) {
    installMonitors();
    desktop.sendFlagsChanged(kCommandControl);
    const std::size_t before = lines().size();
    desktop.setPointer({desktop.pointer().x + 30.0, desktop.pointer().y});
    EXPECT_EQ(lines().size(), before);
    EXPECT_EQ(frameOf(kWindow), kFrame);
    moveBy(1.0, 0.0);
    EXPECT_EQ(frameOf(kWindow).x, kFrame.x + 31.0);
}

TEST_F(PointerMotion, LateCaptureRetriesOnEveryEventAndMeasuresFromIt) {
    installMonitors();
    desktop.setPointer({1500.0, 100.0});  // over no window
    desktop.sendFlagsChanged(kCommandControl);
    ASSERT_TRUE(delegate.isDragging);
    ASSERT_FALSE(delegate.targetWindow.has_value());

    moveBy(10.0, 0.0);
    moveBy(10.0, 0.0);
    EXPECT_EQ(linesWith("No valid window found under cursor").size(), 3U);  // press + 2 moves

    desktop.movePointer(kOverWindow);  // captured here; no step on this event
    EXPECT_EQ(delegate.targetWindow, Element::window(kWindow));
    EXPECT_EQ(frameOf(kWindow), kFrame);
    moveBy(4.0, 3.0);
    EXPECT_EQ(frameOf(kWindow), (Rect{104.0, 97.0, 800.0, 600.0}));
}

// A target that refuses every strategy, beside a second window of its application that
// accepts them: the step retries on the second window, which stays the target.
class AlternativeRetry : public GestureTest, public ::testing::WithParamInterface<bool> {
protected:
    static constexpr std::int64_t kOther = 13;
    static constexpr Rect kOtherFrame{1000.0, 700.0, 300.0, 200.0};

    void refuseEveryWriteOnTarget() {
        auto& attributes = desktop.window(kWindow)->attributes;
        for (const char* name : {"AXFrame", "AXPosition", "AXSize"}) {
            attributes[name].write = AXError::kAXErrorCannotComplete;
        }
    }
};

TEST_P(AlternativeRetry, RetriesOnceOnAnotherWindowThatBecomesTheTarget) {
    const bool resizing = GetParam();
    desktop.addWindow(kApp, kOther, kOtherFrame, "Other");
    refuseEveryWriteOnTarget();
    installMonitors();
    desktop.sendFlagsChanged(resizing ? kCommandControlShift : kCommandControl);
    ASSERT_EQ(delegate.targetWindow, Element::window(kWindow));

    moveBy(10.0, -10.0);
    moveBy(10.0, -10.0);

    const char* used = resizing ? "[DEBUG] Using alternative window for resizing"
                                : "[DEBUG] Using alternative window for moving";
    EXPECT_EQ(linesWith(used).size(), 1U);  // the second event acts on it directly
    EXPECT_EQ(delegate.targetWindow, Element::window(kOther));
    EXPECT_EQ(frameOf(kWindow), kFrame);
    const Rect expected =
        resizing ? Rect{1000.0, 700.0, 320.0, 220.0} : Rect{1020.0, 720.0, 300.0, 200.0};
    EXPECT_EQ(frameOf(kOther), expected);
}

INSTANTIATE_TEST_SUITE_P(MoveAndResize, AlternativeRetry, ::testing::Bool(),
                         [](const auto& row) { return row.param ? "Resize" : "Move"; });

// Local monitors observe this program's own events and must hand them on unchanged.
TEST_F(PointerMotion, LocalMonitorsHandEventsOn) {
    installMonitors();
    EXPECT_EQ(desktop.globalMonitorCount(), 2U);
    EXPECT_EQ(desktop.localMonitorCount(), 2U);
    std::vector<Event> passedOn;
    const auto record = [&passedOn](const Event& event) -> const Event* {
        passedOn.push_back(event);
        return &event;
    };
    desktop.platform().monitors.addLocalMonitor(kEventMaskMouseMoved, record);
    desktop.platform().monitors.addLocalMonitor(kEventMaskFlagsChanged, record);

    desktop.sendFlagsChanged(kCommandControl, true);
    desktop.movePointer({kOverWindow.x + 10.0, kOverWindow.y}, true);

    EXPECT_TRUE(delegate.isDragging);
    EXPECT_EQ(frameOf(kWindow).x, kFrame.x + 10.0);
    ASSERT_EQ(passedOn.size(), 2U);
    EXPECT_EQ(passedOn[0].type, EventType::FlagsChanged);
    EXPECT_EQ(passedOn[0].modifierFlags, kCommandControl);
    EXPECT_EQ(passedOn[1].type, EventType::MouseMoved);
}

}  // namespace
}  // namespace tugworth::test
