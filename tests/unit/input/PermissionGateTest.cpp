// The trust test, its alert, and the rule that a run asks for the permission at most once.
#include "GestureFixture.h"

namespace tugworth::test {
namespace {

constexpr const char* kWarning =
    "[WARNING] Accessibility permissions not granted. Some features may not work.";
constexpr const char* kAsking = "Modifiers pressed but no permissions - showing dialog once";
constexpr int kLater = kAlertFirstButtonReturn + 1;

using PermissionGate = GestureTest;

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
    EXPECT_EQ(lines(), (std::vector<std::string>{kWarning, kWarning}));
    EXPECT_EQ(delegate.lastPermissionCheckTime, desktop.platform().desktop.now());
}

// Launched without the permission: the launch itself asked, so no press asks again.
TEST_F(PermissionGate, MissingAtLaunchIsNeverAskedAgain) {
    desktop.setTrusted(false);
    delegate.applicationWillFinishLaunching();
    delegate.applicationDidFinishLaunching();
    ASSERT_EQ(desktop.toolkit().alerts().size(), 1U);

    for (int press = 0; press < 3; ++press) {
        desktop.sendFlagsChanged(kCommandControl);
        desktop.sendFlagsChanged(0);
    }
    EXPECT_TRUE(linesWith(kAsking).empty());
    EXPECT_EQ(desktop.toolkit().alerts().size(), 1U);
    EXPECT_FALSE(delegate.isDragging);

    // Granted in the system settings: the next press drags, with no restart.
    desktop.setTrusted(true);
    desktop.sendFlagsChanged(kCommandControl);
    EXPECT_TRUE(delegate.isDragging);
    EXPECT_EQ(delegate.targetWindow, Element::window(kWindow));
}

// Launched with the permission, withdrawn later: the first refused press asks, later ones not.
TEST_F(PermissionGate, WithdrawnAfterLaunchAsksAtTheFirstPressOnly) {
    delegate.applicationWillFinishLaunching();
    delegate.applicationDidFinishLaunching();
    ASSERT_TRUE(desktop.toolkit().alerts().empty());
    desktop.setTrusted(false);

    desktop.sendFlagsChanged(kCommandControl);
    EXPECT_EQ(linesWith(kAsking).size(), 1U);
    EXPECT_EQ(desktop.toolkit().alerts().size(), 1U);
    desktop.sendFlagsChanged(kCommandControlShift);
    desktop.sendFlagsChanged(kCommandControl);
    EXPECT_EQ(linesWith(kAsking).size(), 1U);
    EXPECT_EQ(desktop.toolkit().alerts().size(), 1U);
    EXPECT_EQ(desktop.trustPromptOptions(), (std::vector<bool>{true, true}));
}

// Events delivered inside the alert's nested loop find the gesture Idle and the dialog
// already marked shown: no second alert, no window touched.
TEST_F(PermissionGate, EventsDuringTheAlertAreHarmless) {
    installMonitors();
    desktop.setTrusted(false);
    desktop.toolkit().prepareAlertAnswer(kLater, [this] {
        desktop.sendFlagsChanged(kCommandControl);
        moveBy(40.0, -30.0);
        desktop.sendFlagsChanged(kCommandControlShift, true);
        moveBy(40.0, -30.0);
    });
    desktop.sendFlagsChanged(kCommandControl);

    EXPECT_EQ(desktop.toolkit().alerts().size(), 1U);
    EXPECT_EQ(linesWith(kAsking).size(), 1U);
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
        desktop.sendFlagsChanged(kCommandControl);
    });
    desktop.sendFlagsChanged(kCommandControl);

    EXPECT_TRUE(delegate.isDragging);
    EXPECT_EQ(delegate.targetWindow, Element::window(kWindow));
    moveBy(10.0, 0.0);
    EXPECT_EQ(frameOf(kWindow).x, kFrame.x + 10.0);
}

}  // namespace
}  // namespace tugworth::test
