// The simulated window list, desktop services and event monitors.
#include <gtest/gtest.h>

#include "platform/sim/Desktop.h"

namespace tugworth {
namespace {

std::vector<std::int64_t> numbersOf(const Value& list) {
    std::vector<std::int64_t> ids;
    for (const Value& entry : *list.asArray())
        ids.push_back(*entry.find(windowkeys::kNumber)->asInteger());
    return ids;
}

struct WindowListFixture : ::testing::Test {
    WindowListFixture() {
        desktop.addProcess(1, "Finder");
        desktop.addProcess(2, std::nullopt);
        desktop.addWindow(1, 10, {0, 0, 1920, 1080}, "Desktop").desktopElement = true;
        desktop.addWindow(1, 11, {5, 6, 7, 8}, "Home");
        desktop.addWindow(2, 20, {1, 2, 3, 4}, "Anonymous");
        desktop.addWindow(2, 21, {0, 0, 9, 9}, "Gone").minimized = true;
        desktop.addWindow(2, 22, {0, 0, 9, 9}, "Hidden").hidden = true;
        desktop.addWindow(2, 23, {0, 0, 9, 9}, "Elsewhere").onScreen = false;
    }
    Value list(std::uint32_t options, std::uint32_t relativeTo = kCGNullWindowID) {
        return desktop.platform().windowServer.copyWindowListInfo(options, relativeTo);
    }
    sim::Desktop desktop;
};

TEST_F(WindowListFixture, ListsVisibleWindowsFrontToBackWithTheirKeys) {
    desktop.setStacking({20, 11});
    const Value all = list(kCGWindowListOptionOnScreenOnly);
    EXPECT_EQ(numbersOf(all), (std::vector<std::int64_t>{20, 11, 10}));

    const Value& home = all.asArray()->at(1);
    EXPECT_EQ(home,
              Value(Value::Dictionary{
                  {"kCGWindowOwnerName", "Finder"},
                  {"kCGWindowOwnerPID", 1},
                  {"kCGWindowNumber", 11},
                  {"kCGWindowName", "Home"},
                  {"kCGWindowLayer", 0},
                  {"kCGWindowIsOnscreen", true},
                  {"kCGWindowBounds",
                   Value::Dictionary{{"X", 5.0}, {"Y", 6.0}, {"Width", 7.0}, {"Height", 8.0}}},
              }));
    // No running application: no owner name, the rest as usual.
    const Value& anonymous = all.asArray()->at(0);
    EXPECT_EQ(anonymous.find(windowkeys::kOwnerName), nullptr);
    EXPECT_EQ(*anonymous.find(windowkeys::kOwnerPID), Value(2));
}

TEST_F(WindowListFixture, DesktopElementsAndWindowsAboveAreOptions) {
    EXPECT_EQ(numbersOf(list(17)), (std::vector<std::int64_t>{11, 20}));
    EXPECT_EQ(numbersOf(list(19)), (std::vector<std::int64_t>{11, 20}));
    EXPECT_EQ(numbersOf(list(kCGWindowListOptionOnScreenAboveWindow, 20)),
              (std::vector<std::int64_t>{10, 11}));
}

TEST_F(WindowListFixture, ListNameFollowsTheTitleUnlessSetOrLeftOut) {
    desktop.window(11)->title = "Renamed";
    desktop.window(20)->listName = "Other";
    desktop.addWindow(1, 12, {0, 0, 1, 1}, "NoName").listNameOmitted = true;
    const Value all = list(kCGWindowListOptionOnScreenOnly);
    EXPECT_EQ(*all.asArray()->at(1).find(windowkeys::kName), Value("Renamed"));
    EXPECT_EQ(*all.asArray()->at(2).find(windowkeys::kName), Value("Other"));
    EXPECT_EQ(all.asArray()->at(3).find(windowkeys::kName), nullptr);
}

TEST_F(WindowListFixture, ChangesAndClosingShowInTheNextList) {
    desktop.window(21)->minimized = false;
    desktop.closeWindow(10);
    desktop.quit(1);
    EXPECT_EQ(numbersOf(list(kCGWindowListOptionOnScreenOnly)),
              (std::vector<std::int64_t>{20, 21}));
    EXPECT_EQ(desktop.windowIds(), (std::vector<std::int64_t>{20, 21, 22, 23}));
}

TEST_F(WindowListFixture, AReplacementListIsAnsweredAsGiven) {
    const Value junk(Value::Array{Value("not a dictionary"),
                                  Value(Value::Dictionary{{"kCGWindowNumber", "x"}})});
    desktop.setWindowList(junk);
    EXPECT_EQ(list(kCGWindowListOptionOnScreenOnly), junk);
    desktop.setWindowList(Value());
    EXPECT_TRUE(list(kCGWindowListOptionOnScreenOnly).isNone());
    desktop.useDerivedWindowList();
    EXPECT_EQ(numbersOf(list(kCGWindowListOptionOnScreenOnly)).size(), 3U);
}

TEST(DesktopModel, RefusesDuplicateAndOrphanDeclarations) {
    sim::Desktop desktop;
    desktop.addProcess(1, "A");
    desktop.addWindow(1, 5, {});
    EXPECT_THROW(desktop.addProcess(1, "B"), std::invalid_argument);
    EXPECT_THROW(desktop.addWindow(1, 5, {}), std::invalid_argument);
    EXPECT_THROW(desktop.addWindow(2, 6, {}), std::invalid_argument);
}

TEST(DesktopServices, AnswerTheMachineAsConfigured) {
    sim::Desktop desktop;
    DesktopServices& services = desktop.platform().desktop;
    EXPECT_EQ(services.mainScreen()->frame, (Rect{0, 0, 1920, 1080}));
    EXPECT_EQ(services.mainScreen()->visibleFrame, (Rect{0, 0, 1920, 1055}));
    EXPECT_EQ(services.ownProcessId(), 4242);

    desktop.setScreens({});
    EXPECT_FALSE(services.mainScreen());
    EXPECT_TRUE(services.screens().empty());

    desktop.setEnvironment({{"XCTestConfigurationFilePath", ""}});
    EXPECT_TRUE(services.environmentContains("XCTestConfigurationFilePath"));
    EXPECT_FALSE(services.environmentContains("HOME"));

    const auto before = services.now();
    desktop.advanceClock(std::chrono::seconds(3));
    EXPECT_EQ(services.now() - before, std::chrono::seconds(3));

    EXPECT_TRUE(services.openURL("x-apple.systempreferences:a"));
    EXPECT_EQ(desktop.openedURLs(), (std::vector<std::string>{"x-apple.systempreferences:a"}));

    desktop.setTrusted(false);
    EXPECT_FALSE(desktop.platform().accessibility.isProcessTrustedWithOptions(true));
    EXPECT_FALSE(desktop.platform().accessibility.isProcessTrustedWithOptions(false));
    EXPECT_EQ(desktop.trustPromptOptions(), (std::vector<bool>{true, false}));
}

TEST(EventMonitors, GlobalHandlersSeeMatchingEventsOnly) {
    sim::Desktop desktop;
    std::vector<std::string> seen;
    desktop.platform().monitors.addGlobalMonitor(kEventMaskFlagsChanged, [&](const Event& e) {
        seen.push_back("flags " + std::to_string(e.modifierFlags));
    });
    desktop.platform().monitors.addGlobalMonitor(kEventMaskMouseMoved, [&](const Event& e) {
        seen.push_back("moved " + std::to_string(e.modifierFlags));
    });

    desktop.sendFlagsChanged(kModifierCommand | kModifierControl);
    desktop.movePointer({30, 40});
    desktop.setPointer({50, 60});                 // a drag: no event
    desktop.movePointer({1, 1}, /*local=*/true);  // no local monitor: nobody sees it

    const std::string chord = std::to_string(kModifierCommand | kModifierControl);
    EXPECT_EQ(seen, (std::vector<std::string>{"flags " + chord, "moved " + chord}));
    EXPECT_EQ(desktop.pointer(), (Point{1, 1}));
    EXPECT_EQ(desktop.platform().desktop.mouseLocation(), (Point{1, 1}));
}

TEST(EventMonitors, LocalHandlersChainAndMaySwallow) {
    sim::Desktop desktop;
    std::vector<int> order;
    Event rewritten{EventType::FlagsChanged, kModifierShift};
    desktop.platform().monitors.addLocalMonitor(kEventMaskFlagsChanged, [&](const Event&) {
        order.push_back(1);
        return &rewritten;
    });
    desktop.platform().monitors.addLocalMonitor(kEventMaskFlagsChanged, [&](const Event& e) {
        order.push_back(e.modifierFlags == kModifierShift ? 2 : -2);
        return static_cast<const Event*>(nullptr);
    });
    desktop.platform().monitors.addLocalMonitor(kEventMaskFlagsChanged, [&](const Event& e) {
        order.push_back(3);
        return &e;
    });
    desktop.sendFlagsChanged(kModifierOption, /*local=*/true);
    desktop.sendFlagsChanged(kModifierOption);  // global: no global monitor installed
    EXPECT_EQ(order, (std::vector<int>{1, 2}));
    EXPECT_EQ(desktop.localMonitorCount(), 3U);
    desktop.startFreshProcess();
    EXPECT_EQ(desktop.localMonitorCount(), 0U);
}

}  // namespace
}  // namespace tugworth
