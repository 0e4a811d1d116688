// Dock presence at launch and the status item's life.
#include <gtest/gtest.h>

#include "unit/app_shell/ShellFixture.h"

namespace tugworth {
namespace {

using test::Shell;
using Lines = std::vector<std::string>;

TEST(DockPresence, WillFinishAndDidFinishLaunchingFollowTheStoredChoice) {
    struct Case {
        SettingsMap stored;
        const char* initial;  // at will-finish-launching
        const char* atLaunch;
        ActivationPolicy policy;
        std::size_t statusItems;
    };
    const Value off(false);
    const std::vector<Case> cases = {
        {{}, "visible", "Dock visibility already correct: visible", ActivationPolicy::Regular, 1},
        // Before the defaults are registered an uninitialised Dock counts as visible.
        {{{"showInDock", off}},
         "visible",
         "Reapplying dock visibility: hidden",
         ActivationPolicy::Accessory,
         1},
        {{{"showInDock", off}, {"preferencesInitialized", Value(true)}},
         "hidden",
         "Dock visibility already correct: hidden",
         ActivationPolicy::Accessory,
         1},
        {{{"showInMenuBar", off}},
         "visible",
         "Dock visibility already correct: visible",
         ActivationPolicy::Regular,
         0},
        {{{"showInDock", off}, {"showInMenuBar", off}},
         "visible",
         "Reapplying dock visibility: hidden",
         ActivationPolicy::Accessory,
         1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.atLaunch);
        Shell shell(c.stored);
        shell.launch();
        EXPECT_EQ(shell.linesWith("ock visibility"),
                  (Lines{"[DEBUG] Setting initial dock visibility: " + std::string(c.initial),
                         "[DEBUG] " + std::string(c.atLaunch)}));
        EXPECT_EQ(shell.toolkit().currentPolicy(), c.policy);
        EXPECT_EQ(shell.toolkit().statusItemCount(), c.statusItems);
    }
}

TEST(DockPresence, UnderATestHostOnlyTheFirstPolicyIsSetAndNoHelpIsShown) {
    Shell shell({{"showInDock", Value(false)}});
    shell.desktop.setEnvironment({{"XCTestConfigurationFilePath", ""}});
    shell.launch();
    shell.toolkit().performMenuAction("showHelp:");
    EXPECT_EQ(shell.linesWith("ock visibility"),
              Lines{"[DEBUG] Setting initial dock visibility: visible"});
    EXPECT_EQ(shell.toolkit().currentPolicy(), ActivationPolicy::Regular);
    EXPECT_EQ(shell.toolkit().statusItemCount(), 0U);
    EXPECT_EQ(shell.toolkit().mainMenu(), nullptr);
    EXPECT_TRUE(shell.toolkit().alerts().empty());
}

TEST(StatusItem, IsCreatedOnceAndRemovedOnce) {
    Shell shell;
    for (const auto& [visible, count] : std::vector<std::pair<bool, std::size_t>>{
             {false, 0}, {true, 1}, {true, 1}, {false, 0}, {false, 0}}) {
        shell.delegate->setStatusItemVisible(visible);
        EXPECT_EQ(shell.toolkit().statusItemCount(), count);
        EXPECT_EQ(shell.delegate->statusItem != nullptr, visible);
    }
}

TEST(StatusItem, ImageFallsBackToTheWindowPictographAndAButtonlessItemStillGetsItsMenu) {
    struct Case {
        bool imageExists, hasButton;
        std::optional<std::string> image, title;
    };
    for (const auto& c : std::vector<Case>{{true, true, "tugworth.iconset", std::nullopt},
                                           {false, true, std::nullopt, "\U0001FA9F"},
                                           {true, false, std::nullopt, std::nullopt}}) {
        SCOPED_TRACE(testing::Message() << c.imageExists << c.hasButton);
        Shell shell;
        if (!c.imageExists) shell.toolkit().setImages({});
        shell.toolkit().setStatusItemHasButton(c.hasButton);
        shell.delegate->setupStatusItem();
        const auto* item = shell.toolkit().statusItem();
        ASSERT_NE(item, nullptr);
        EXPECT_DOUBLE_EQ(item->length, kVariableStatusItemLength);
        EXPECT_EQ(item->image, c.image);
        EXPECT_EQ(item->title, c.title);
        ASSERT_NE(item->menu, nullptr);
        EXPECT_EQ(item->menu->items.size(), 11U);
    }
}

}  // namespace
}  // namespace tugworth
