// The trust test, its alert, and the rule that a run asks for the permission at most once.
#include "support/SimDesk.h"

namespace tugworth::test {
namespace {

constexpr int kLater = kAlertFirstButtonReturn + 1;

constexpr std::int64_t kWindow = 12;
constexpr Rect kFrame{100.0, 100.0, 800.0, 600.0};

struct PermissionGate : ::testing::Test, SimDesk {
    PermissionGate() {
        addApp(501, "TextEdit", kWindow, kFrame);
        desktop.setPointer({300.0, 700.0});
    }
    void installMonitors() { delegate.setupEventMonitoring(); }
};

TEST_F(PermissionGate, MissingPermissionPromptsAndShowsTheAlertOnce) {
    desktop.setTrusted(false);
    desktop.toolkit().prepareAlertAnswer(kLater);
    delegate.checkAccessibilityPermissions();

    EXPECT_FALSE(delegate.hasAccessibilityPermissions);
    EXPECT_TRUE(delegate.hasShownPermissionDialog);
    // The alert's texts and the settings URL are checked by the gesture scenarios.
    EXPECT_EQ(desktop.toolkit().alerts().size(), 1U);
    EXPECT_TRUE(desktop.openedURLs().empty());  // "Later" does nothing

    // Asked again in the same run: no platform prompt, the warning again, no second alert.
    desktop.advanceClock(std::chrono::seconds(5));
    delegate.checkAccessibilityPermissions();
    EXPECT_EQ(desktop.trustPromptOptions(), (std::vector<bool>{true, false}));
    EXPECT_EQ(desktop.toolkit().alerts().size(), 1U);
    EXPECT_EQ(delegate.lastPermissionCheckTime, desktop.platform().desktop.now());
}

// Events delivered inside the alert's nested loop find the gesture Idle and the dialog
// already marked shown: no second alert, no window touched.
TEST_F(PermissionGate, EventsDuringTheAlertAreHarmless) {
    installMonitors();
    desktop.setTrusted(false);
    desktop.toolkit().prepareAlertAnswer(kLater, [this] {
        desktop.sendFlagsChanged(kDragChord);
        moveBy(40.0, -30.0);
        desktop.sendFlagsChanged(kResizeChord, true);
        moveBy(40.0, -30.0);
    });
    desktop.sendFlagsChanged(kDragChord);

    EXPECT_EQ(desktop.toolkit().alerts().size(), 1U);
    EXPECT_FALSE(delegate.isDragging || delegate.isResizing);
    EXPECT_FALSE(delegate.targetWindow.has_value());
    EXPECT_EQ(frameOf(kWindow), kFrame);
}

// Granted while the alert is open and the chord pressed again inside it: the outer event
// follows the state the inner one left instead of dropping its target.
TEST_F(PermissionGate, GrantDuringTheAlertKeepsTheInnerGesture) {
    installMonitors();
    desktop.setTrusted(false);
    desktop.toolkit().prepareAlertAnswer(kLater, [this] {
        desktop.setTrusted(true);
        desktop.sendFlagsChanged(kDragChord);
    });
    desktop.sendFlagsChanged(kDragChord);

    EXPECT_TRUE(delegate.isDragging);
    EXPECT_EQ(delegate.targetWindow, Element::window(kWindow));
    moveBy(10.0, 0.0);
    EXPECT_EQ(frameOf(kWindow).x, kFrame.x + 10.0);
}

}  // namespace
}  // namespace tugworth::test
