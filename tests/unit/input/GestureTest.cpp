// The gesture state machine and pointer motion where the gesture scenarios cannot reach: the
// switches before the launch, what each motion event does, local monitors, the permission alert.

#include "app/SettingsKeys.h"
#include "support/SimDesk.h"

namespace tugworth::test {
namespace {

constexpr Pid kApp = 501;
constexpr std::int64_t kWindow = 12;
constexpr Rect kFrame{100.0, 100.0, 800.0, 600.0};
constexpr Point kOverWindow{300.0, 700.0};

struct Gesture : ::testing::Test, SimDesk {
    Gesture() {
        addApp(kApp, "TextEdit", kWindow, kFrame);
        desktop.setPointer(kOverWindow);
    }
    void installMonitors() { delegate.setupEventMonitoring(); }
};

// The launch marks the settings initialized; before that the stored switches are not consulted.
TEST_F(Gesture, StoredSwitchesAreIgnoredUntilInitialized) {
    store(settings::kPreferencesInitialized, false);
    store(settings::kEnableDragging, false);
    store(settings::kEnableResizing, false);
    installMonitors();
    desktop.sendFlagsChanged(kDragChord);
    EXPECT_TRUE(delegate.isDragging);
    desktop.sendFlagsChanged(kDragChord | kModifierShift);
    EXPECT_TRUE(delegate.isResizing);
}

// Deltas are y-up, the window's origin y-down; two points or less are discarded, not summed.
TEST_F(Gesture, MotionActsOnlyAboveTwoPointsAndNeverAccumulates) {
    installMonitors();
    desktop.sendFlagsChanged(kDragChord);
    const struct {
        double dx, dy;
        bool acts;
    } steps[] = {{1, 1, false}, {0, -2, false}, {2.5, 0, true}, {-1.5, -1.5, true}, {0, -10, true}};
    Rect expected = kFrame;
    for (const auto& s : steps) {
        moveBy(s.dx, s.dy);
        if (s.acts) expected = {expected.x + s.dx, expected.y - s.dy, 800, 600};
        EXPECT_EQ(frameOf(kWindow), expected) << s.dx << ", " << s.dy;
        EXPECT_EQ(delegate.initialLocation, desktop.pointer());
    }
    for (int step = 0; step < 20; ++step) moveBy(1.0, 0.0);
    EXPECT_EQ(frameOf(kWindow), expected);
    // Motion with a button held is not seen; the next event measures from the last one seen.
    desktop.setPointer({desktop.pointer().x + 30.0, desktop.pointer().y});
    EXPECT_EQ(frameOf(kWindow), expected);
    moveBy(1.0, 0.0);
    EXPECT_EQ(frameOf(kWindow).x, expected.x + 31.0);
}

// Local monitors see this program's own events and must hand them on unchanged.
TEST_F(Gesture, LocalMonitorsActAndHandEventsOn) {
    installMonitors();
    std::vector<Event> passedOn;
    const auto record = [&passedOn](const Event& event) -> const Event* {
        passedOn.push_back(event);
        return &event;
    };
    desktop.platform().monitors.addLocalMonitor(kEventMaskMouseMoved, record);
    desktop.platform().monitors.addLocalMonitor(kEventMaskFlagsChanged, record);
    desktop.sendFlagsChanged(kDragChord, true);
    desktop.movePointer({kOverWindow.x + 10.0, kOverWindow.y}, true);
    EXPECT_EQ(frameOf(kWindow).x, kFrame.x + 10.0);
    ASSERT_EQ(passedOn.size(), 2U);
    EXPECT_EQ(passedOn[0].modifierFlags, kDragChord);
    EXPECT_EQ(passedOn[1].type, EventType::MouseMoved);
}

// A run asks the platform to prompt once and shows its own alert once; "Later" does nothing.
TEST_F(Gesture, MissingPermissionPromptsAndShowsTheAlertOncePerRun) {
    desktop.setTrusted(false);
    desktop.toolkit().prepareAlertAnswer(kAlertFirstButtonReturn + 1);
    delegate.checkAccessibilityPermissions();
    EXPECT_FALSE(delegate.hasAccessibilityPermissions);
    EXPECT_TRUE(delegate.hasShownPermissionDialog);
    desktop.advanceClock(std::chrono::seconds(5));
    delegate.checkAccessibilityPermissions();
    EXPECT_EQ(desktop.trustPromptOptions(), (std::vector<bool>{true, false}));
    EXPECT_EQ(desktop.toolkit().alerts().size(), 1U);
    EXPECT_TRUE(desktop.openedURLs().empty());
    EXPECT_EQ(delegate.lastPermissionCheckTime, services().now());
}

}  // namespace
}  // namespace tugworth::test
