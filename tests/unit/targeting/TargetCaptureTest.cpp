// Target capture: the permission guard, reuse of the held target, the diagnostics and the
// choice between the window found, an alternative, and nothing.
#include "unit/targeting/TargetingFixture.h"

namespace tugworth {
namespace {

using test::failsWith;
using test::reads;

class TargetCapture : public test::Targeting {
protected:
    void SetUp() override {
        addApp(501, "TextEdit", 12, {100, 100, 400, 300});
        desktop.addWindow(501, 13, {1000, 600, 400, 300}, "Elsewhere");
        pointAtAX({300, 250});
    }
    // Finder's focused window lies under the pointer and cannot be positioned; Finder hands
    // it back untested. Its other window can be positioned.
    void addUnpositionableFinderWindow() {
        addApp(300, "Finder", 1, {100, 100, 400, 300});
        desktop.addWindow(300, 2, {1000, 600, 400, 300}, "Docs");
        desktop.setStacking({1});
        bend(1, "AXPosition", failsWith(AXError::kAXErrorAttributeUnsupported));
        bend(1, "AXFrame", failsWith(AXError::kAXErrorAttributeUnsupported));
        bendApp(300, "AXWindows", failsWith(AXError::kAXErrorCannotComplete));
    }
};

TEST_F(TargetCapture, WithoutPermissionNothingButThePermissionFieldsChanges) {
    delegate.targetWindow = Element::window(12);
    delegate.initialLocation = {1, 2};
    desktop.setTrusted(false);
    delegate.captureWindow();
    EXPECT_EQ(lines(),
              std::vector<std::string>{
                  "[ERROR] Accessibility permissions not granted - skipping window capture"});
    EXPECT_EQ(delegate.targetWindow, Element::window(12));
    EXPECT_EQ(delegate.initialLocation, (Point{1, 2}));
    EXPECT_FALSE(delegate.hasAccessibilityPermissions);
    EXPECT_EQ(delegate.lastPermissionCheckTime, desktop.platform().desktop.now());
}

TEST_F(TargetCapture, AHeldTargetIsKeptWhileItAnswersAndReplacedWhenItDied) {
    delegate.targetWindow = Element::window(13);  // not under the pointer
    delegate.captureWindow();
    EXPECT_EQ(lines(), std::vector<std::string>{"[DEBUG] Using existing target window"});
    EXPECT_EQ(delegate.targetWindow, Element::window(13));
    EXPECT_EQ(delegate.initialLocation, (Point{300, 830}));

    clearLog();
    desktop.closeWindow(13);
    delegate.captureWindow();
    EXPECT_EQ(after("Existing window reference is no longer valid, finding new window", 1),
              std::vector<std::string>{"===== CAPTURE WINDOW START ====="});
    EXPECT_EQ(delegate.targetWindow, Element::window(12));
}

TEST_F(TargetCapture, SelectsThePositionableWindowUnderThePointer) {
    delegate.captureWindow();
    EXPECT_EQ(delegate.targetWindow, Element::window(12));
    EXPECT_TRUE(loggedInOrder(
        {"Screen #0: Frame: (0.0, 0.0, 1920.0, 1080.0), Visible Frame: (0.0, 0.0, 1920.0, 1055.0)",
         "Found window under cursor from TextEdit (PID: 501)",
         "Window supports positioning, setting as target", "Window position: (100.0, 100.0)",
         "Window title: TextEdit", "Selected window: \"TextEdit\" from TextEdit (PID: 501)",
         "===== CAPTURE WINDOW END ====="}));
}

TEST_F(TargetCapture, ATargetWithoutTitleIsSelectedAsUntitled) {
    bend(12, "AXTitle", failsWith(AXError::kAXErrorNoValue));
    bend(12, "AXSubrole", reads(3));
    delegate.captureWindow();
    EXPECT_EQ(after("Window role: AXWindow", 2),
              (std::vector<std::string>{"Window subrole: unknown",
                                        "Selected window: \"Untitled\" from TextEdit (PID: 501)"}));
}

TEST_F(TargetCapture, TheCursorDumpComparesUnconvertedAndNumbersEveryEntry) {
    desktop.setScreens({});
    desktop.window(13)->frame = {250, 150, 100, 100};
    desktop.window(13)->listNameOmitted = true;
    desktop.addWindow(501, 14, {0, 0, 1920, 1080}, "Desktop").desktopElement = true;
    desktop.setStacking({14, 12, 13});
    desktop.setPointer({300, 200});
    delegate.captureWindow();
    EXPECT_EQ(
        after("Available screens: 0", 4),
        (std::vector<std::string>{"===== WINDOWS AT CURSOR LOCATION =====",
                                  "Window #0 at cursor: \"TextEdit\" from TextEdit (PID: 501)",
                                  "Window #1 at cursor: \"Untitled\" from TextEdit (PID: 501)",
                                  "Found 2 windows at cursor location"}));
}

TEST_F(TargetCapture, AWindowThatCannotBePositionedGivesWayToAnAlternativeOrToNothing) {
    addUnpositionableFinderWindow();
    bendApp(300, "AXMainWindow", reads(Element::window(2)));
    delegate.captureWindow();
    EXPECT_EQ(delegate.targetWindow, Element::window(2));
    EXPECT_TRUE(loggedInOrder({"Found window under cursor from Finder (PID: 300)",
                               "Window does NOT support positioning, looking for alternative",
                               "Using alternative window that supports positioning",
                               "Window title: Docs", "===== CAPTURE WINDOW END ====="}));
    EXPECT_FALSE(loggedPrefix("Selected window:"));

    clearLog();
    bendApp(300, "AXMainWindow", reads(Value()));
    delegate.targetWindow.reset();
    delegate.captureWindow();
    EXPECT_FALSE(delegate.targetWindow.has_value());
    EXPECT_EQ(after("No alternative window found, no target set", 2),
              (std::vector<std::string>{"No valid window found under cursor",
                                        "===== CAPTURE WINDOW END ====="}));
}

}  // namespace
}  // namespace tugworth
