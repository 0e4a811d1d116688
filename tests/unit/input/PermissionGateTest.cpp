// The trust test, its alert, and the rule that a run asks for the permission at most once.
// Events inside the alert's nested loop belong to the permission scenarios.
#include "support/SimDesk.h"

namespace tugworth::test {
namespace {

constexpr int kLater = kAlertFirstButtonReturn + 1;

struct PermissionGate : ::testing::Test, SimDesk {};

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

}  // namespace
}  // namespace tugworth::test
