// Choosing among Finder's windows: never the desktop-like ones; else the first under the
// pointer, else the nearest, else the focused one.
#include "unit/targeting/TargetingFixture.h"

namespace tugworth {
namespace {

using test::failsWith;
using test::reads;

constexpr Pid kFinder = 300;

class FinderWindow : public test::Targeting {
protected:
    void SetUp() override { desktop.addProcess(kFinder, "Finder"); }
    std::optional<Element> choose() { return delegate.getFinderWindow(kFinder); }
};

TEST_F(FinderWindow, DesktopTitlesAreNeverChosenNotEvenWhenFocused) {
    for (const char* title : {"Desktop", "", "Trash", "Trash (Full)", "Trash (Empty)"}) {
        clearLog();
        desktop.addWindow(kFinder, 1, {100, 100, 400, 300}, title);
        EXPECT_FALSE(choose().has_value()) << title;
        EXPECT_TRUE(
            loggedInOrder({"Skipping Finder window with title: \"" + std::string(title) + "\"",
                           "Focused Finder window is desktop/system window, skipping"}));
        desktop.closeWindow(1);
    }
    // Letter case matters, and an unreadable title is "Untitled".
    desktop.addWindow(kFinder, 1, {100, 100, 400, 300}, "desktop");
    EXPECT_EQ(choose(), Element::window(1));
    bend(1, "AXTitle", failsWith(AXError::kAXErrorNoValue));
    EXPECT_EQ(choose(), Element::window(1));
}

TEST_F(FinderWindow, LargeAndScreenEdgeRules) {
    struct Case {
        std::vector<Screen> screens;
        Rect frame;
        bool skipped;
    };
    const std::vector<Screen> main{{{0, 0, 1920, 1080}, {}}};
    const Case cases[] = {
        {main, {50, 50, 1728, 972}, true},   // 0.9 of the screen both ways
        {main, {50, 50, 1728, 971}, false},  // one point lower
        {{}, {50, 50, 1728, 972}, true},     // no display: 0.9 of 1920 by 1080
        {main, {10, 10, 400, 300}, true},   {main, {10, 10.5, 400, 300}, false},
        {main, {11, 0, 400, 300}, false},
    };
    bendApp(kFinder, "AXFocusedWindow", reads(Value()));  // no last resort
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << c.frame.x << ", " << c.frame.y << ", " << c.frame.height);
        desktop.setScreens(c.screens);
        desktop.addWindow(kFinder, 1, c.frame, "Docs");
        EXPECT_EQ(choose().has_value(), !c.skipped);
        desktop.closeWindow(1);
    }
}

TEST_F(FinderWindow, TheFirstWindowUnderThePointerWinsOverANearerCentre) {
    desktop.addWindow(kFinder, 1, {100, 100, 400, 300}, "Big");
    desktop.addWindow(kFinder, 2, {150, 150, 100, 100}, "Small");
    pointAtAX({200, 200});  // the centre of window 2, inside window 1
    EXPECT_EQ(choose(), Element::window(1));
    EXPECT_TRUE(logged("Finder window #0 is directly under mouse cursor"));
}

TEST_F(FinderWindow, OtherwiseTheNearestCentreHoweverFar) {
    desktop.addWindow(kFinder, 1, {1000, 100, 400, 300}, "Right");
    desktop.addWindow(kFinder, 2, {100, 100, 400, 300}, "Left");
    desktop.addWindow(kFinder, 3, {1000, 100, 400, 300}, "Right again");
    pointAtAX({750, 250});  // 450 points from every centre, under none
    EXPECT_EQ(choose(), Element::window(1));
    EXPECT_TRUE(
        logged("Window #1 AX frame: (100.0, 100.0, 400.0, 300.0), Screen frame: "
               "(100.0, 680.0, 400.0, 300.0), distance: 450.0, under mouse: false"));

    desktop.closeWindow(1);
    desktop.closeWindow(2);
    desktop.setPointer({-5000, -5000});
    EXPECT_EQ(choose(), Element::window(3));
}

TEST_F(FinderWindow, WithoutAUsableListTheFocusedWindowIsTakenUntested) {
    desktop.addWindow(kFinder, 1, {0, 0, 1920, 1080}, "Docs");  // fails every rule
    bendApp(kFinder, "AXWindows", failsWith(AXError::kAXErrorCannotComplete));
    EXPECT_EQ(choose(), Element::window(1));
    EXPECT_TRUE(loggedInOrder(
        {"Failed to get Finder windows list: -25204", "Using focused Finder window: \"Docs\""}));
    bendApp(kFinder, "AXFocusedWindow", reads("Docs"));
    EXPECT_FALSE(choose().has_value());
}

}  // namespace
}  // namespace tugworth
