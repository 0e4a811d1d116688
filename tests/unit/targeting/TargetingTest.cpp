// Which window a press takes: the hit test with its margin, an application's own windows and
// their fall-backs, Finder's choice, the window-list search and the capture around them.
// The diagnostic lines themselves belong to the capture scenarios.
#include "support/SimDesk.h"

namespace tugworth::test {
namespace {

constexpr Pid kFinder = 300;

struct Targeting : ::testing::Test, SimDesk {
    bool under(std::int64_t id, Point cocoa) {
        return delegate.isWindowUnderMouse(Element::window(id), cocoa);
    }
    std::optional<Element> finderChoice() { return delegate.getFinderWindow(kFinder); }
};

// The grown frame is (80, 80, 440, 340) in Accessibility space and (80, 660, 440, 340) in
// Cocoa space; either test may accept, each keeping its own minimum edges.
TEST_F(Targeting, UnderThePointerMeansInsideTheFrameGrownByTwentyPoints) {
    addApp(501, "TextEdit", 12, {100, 100, 400, 300});
    const struct {
        Point cocoa;
        bool hit;
    } cases[] = {{{80, 830}, true},    {{79.5, 830}, false}, {{520, 830}, false},
                 {{519.5, 830}, true}, {{300, 1000}, true},  {{300, 1000.5}, false},
                 {{300, 660}, true},   {{300, 659.5}, false}};
    for (const auto& c : cases)
        EXPECT_EQ(under(12, c.cocoa), c.hit) << c.cocoa.x << ", " << c.cocoa.y;
    // Without a display, or on another one, the main height still converts.
    desktop.setScreens({});
    EXPECT_TRUE(under(12, {300, -250}));
    desktop.setScreens({{{0, 0, 1920, 1080}, {}}, {{1920, 0, 2560, 1440}, {}}});
    desktop.window(12)->frame = {2000, 100, 400, 300};
    EXPECT_TRUE(under(12, {2100, 830}));
}

TEST_F(Targeting, UnderThePointerRejectsHiddenUnreadableAndDegenerateWindows) {
    addApp(501, "TextEdit", 12, {100, 100, 400, 300});
    const std::pair<const char*, sim::AttributeOverride> rejected[] = {
        {"AXMinimized", reads(true)},
        {"AXHidden", reads(true)},
        {"AXPosition", failsWith(AXError::kAXErrorAttributeUnsupported)},
        {"AXPosition", reads(Value())},
        {"AXPosition", reads("100, 100")},
        {"AXSize", failsWith(AXError::kAXErrorCannotComplete)},
        {"AXSize", reads(400.0)},
        {"AXSize", reads(AXValue::create(Size{9.9, 500}))},
    };
    for (const auto& [attribute, how] : rejected) {
        desktop.window(12)->attributes = {{attribute, how}};
        EXPECT_FALSE(under(12, {300, 830})) << attribute;
    }
    // Unreadable flags do not reject, nor does the smallest size allowed.
    desktop.window(12)->attributes = {{"AXMinimized", failsWith(AXError::kAXErrorFailure)},
                                      {"AXHidden", reads("yes")}};
    desktop.window(12)->frame = {290, 240, 10, 10};
    EXPECT_TRUE(under(12, {300, 830}));
}

TEST_F(Targeting, AnApplicationsWindowsLeaveOutSystemProcessesMinimizedAndHidden) {
    for (Pid pid : {0, 1, 420}) {
        addApp(pid, "system", 1000 + pid, {100, 100, 400, 300});
        EXPECT_TRUE(delegate.getAllAccessibleWindows(pid).empty()) << pid;
    }
    desktop.addProcess(501, "TextEdit");
    desktop.addWindow(501, 10, {0, 0, 300, 200}, "Old").minimized = true;
    desktop.addWindow(501, 11, {100, 100, 400, 300}, "Notes");
    desktop.addWindow(501, 12, {0, 0, 300, 200}, "Secret").hidden = true;
    EXPECT_EQ(delegate.getAllAccessibleWindows(501), std::vector<Element>{Element::window(11)});
    desktop.window(11)->minimized = true;  // every window left out: no fall-backs either
    EXPECT_TRUE(delegate.getAllAccessibleWindows(501).empty());

    EXPECT_EQ(delegate.processName(4242), "Tugworth");  // our own pid, whatever it is called
    desktop.addProcess(502, std::nullopt);
    EXPECT_EQ(delegate.processName(502), "Unknown");
    EXPECT_EQ(delegate.processName(999), "Unknown");
}

TEST_F(Targeting, AnApplicationWithoutAWindowListFallsBackToFocusedMainThenItself) {
    desktop.addProcess(501, "TextEdit");
    desktop.addWindow(501, 20, {0, 0, 300, 200}, "A").minimized = true;
    desktop.addWindow(501, 21, {0, 0, 300, 200}, "B");
    const struct {
        sim::AttributeOverrides app;
        Element expected;
    } cases[] = {
        // The focused window is taken even though it is minimized.
        {{{"AXWindows", reads(Value::Array{})}}, Element::window(20)},
        {{{"AXWindows", failsWith(AXError::kAXErrorCannotComplete)},
          {"AXFocusedWindow", failsWith(AXError::kAXErrorAttributeUnsupported)},
          {"AXMainWindow", reads(Element::window(21))}},
         Element::window(21)},
        // Values of the wrong kind count as failed reads.
        {{{"AXWindows", reads(Value::Array{Element::window(20), Value("x")})},
          {"AXFocusedWindow", reads("window")},
          {"AXMainWindow", reads(Value())}},
         Element::application(501)},
    };
    for (const auto& c : cases) {
        desktop.process(501)->app = c.app;
        EXPECT_EQ(delegate.getAllAccessibleWindows(501), std::vector<Element>{c.expected});
    }
}

TEST_F(Targeting, FinderNeverChoosesItsDesktopLikeWindows) {
    desktop.addProcess(kFinder, "Finder");
    for (const char* title : {"Desktop", "", "Trash", "Trash (Full)", "Trash (Empty)"}) {
        desktop.addWindow(kFinder, 1, {100, 100, 400, 300}, title);
        EXPECT_FALSE(finderChoice().has_value()) << title;  // not even when focused
        desktop.closeWindow(1);
    }
    desktop.addWindow(kFinder, 1, {100, 100, 400, 300}, "desktop");  // letter case matters
    EXPECT_EQ(finderChoice(), Element::window(1));
    bend(Element::window(1), "AXTitle", failsWith(AXError::kAXErrorNoValue));  // "Untitled"
    EXPECT_EQ(finderChoice(), Element::window(1));
    desktop.closeWindow(1);

    const std::vector<Screen> main{{{0, 0, 1920, 1080}, {}}};
    const struct {
        std::vector<Screen> screens;
        Rect frame;
        bool skipped;
    } cases[] = {
        {main, {50, 50, 1728, 972}, true},   // 0.9 of the screen both ways
        {main, {50, 50, 1728, 971}, false},  // one point lower
        {{}, {50, 50, 1728, 972}, true},     // no display: 0.9 of 1920 by 1080
        {main, {10, 10, 400, 300}, true},   {main, {10, 10.5, 400, 300}, false},
        {main, {11, 0, 400, 300}, false},
    };
    bend(Element::application(kFinder), "AXFocusedWindow", reads(Value()));  // no last resort
    for (const auto& c : cases) {
        desktop.setScreens(c.screens);
        desktop.addWindow(kFinder, 1, c.frame, "Docs");
        EXPECT_EQ(finderChoice().has_value(), !c.skipped) << c.frame.x << ", " << c.frame.height;
        desktop.closeWindow(1);
    }
}

TEST_F(Targeting, FinderTakesTheFirstWindowUnderThePointerThenTheNearestThenTheFocused) {
    desktop.addProcess(kFinder, "Finder");
    // The pointer is 15 points right of window 1, inside its margin; window 2's centre is
    // nearer, but the pointer is not over it.
    desktop.addWindow(kFinder, 1, {100, 100, 400, 300}, "Margin");
    desktop.addWindow(kFinder, 2, {540, 100, 100, 300}, "Near");
    pointAtAX({515, 250});
    EXPECT_EQ(finderChoice(), Element::window(1));
    desktop.addWindow(kFinder, 3, {150, 150, 100, 100}, "Inside");
    pointAtAX({200, 200});  // the centre of window 3, inside window 1
    EXPECT_EQ(finderChoice(), Element::window(1));
    for (std::int64_t id : {1, 2, 3}) desktop.closeWindow(id);

    // Under none: the nearest centre however far, the first of equals.
    desktop.addWindow(kFinder, 4, {1100, 100, 400, 300}, "Far right");  // 550 from the pointer
    desktop.addWindow(kFinder, 5, {100, 100, 400, 300}, "Left");        // 450
    desktop.addWindow(kFinder, 6, {1000, 100, 400, 300}, "Right");      // 450
    pointAtAX({750, 250});
    EXPECT_EQ(finderChoice(), Element::window(5));
    desktop.closeWindow(5);
    EXPECT_EQ(finderChoice(), Element::window(6));
    desktop.closeWindow(6);
    desktop.setPointer({-5000, -5000});
    EXPECT_EQ(finderChoice(), Element::window(4));
    desktop.closeWindow(4);

    // Without a usable list the focused window is taken untested, unless it is a desktop.
    desktop.addWindow(kFinder, 7, {0, 0, 1920, 1080}, "Docs");  // fails every rule
    bend(Element::application(kFinder), "AXWindows", failsWith(AXError::kAXErrorCannotComplete));
    EXPECT_EQ(finderChoice(), Element::window(7));
    bend(Element::application(kFinder), "AXFocusedWindow", reads("Docs"));
    EXPECT_FALSE(finderChoice().has_value());
}

// Where the window list and the elements disagree, the elements decide.
TEST_F(Targeting, TheSearchTrustsTheElementsOverTheWindowList) {
    pointAtAX({300, 250});
    addApp(501, "A", 1, {1000, 600, 400, 300});
    addApp(502, "B", 2, {1000, 600, 400, 300});
    addApp(4242, "Ourselves", 3, {1000, 600, 400, 300});
    bend(Element::window(2), "AXPosition", reads(AXValue::create(Point{100, 100})));
    const auto found = delegate.findWindowUnderPointer();
    ASSERT_TRUE(found.has_value());
    EXPECT_EQ(found->window, Element::window(2));
    EXPECT_EQ(found->pid, 502);
    EXPECT_EQ(found->ownerName, "B");
    bend(Element::window(2), "AXPosition", reads(AXValue::create(Point{1200, 700})));
    EXPECT_FALSE(delegate.findWindowUnderPointer().has_value());
}

TEST_F(Targeting, OurWindowInFrontHidesTheWindowsBehindItFromTheSearch) {
    pointAtAX({300, 250});
    addApp(501, "XClock", 1, {100, 100, 400, 300});
    addApp(4242, "Tugworth", 2, {200, 200, 300, 200});
    desktop.setStacking({2, 1});
    EXPECT_FALSE(delegate.findWindowUnderPointer().has_value());
    desktop.setStacking({1, 2});
    EXPECT_EQ(delegate.findWindowUnderPointer().value().pid, 501);
}

TEST_F(Targeting, FinderWithoutAChoiceOfItsOwnIsWalkedLikeAnyApplication) {
    pointAtAX({300, 250});
    addApp(kFinder, "Finder", 1, {100, 100, 400, 300});
    EXPECT_EQ(delegate.findWindowUnderPointer().value().window, Element::window(1));
    bend(Element::application(kFinder), "AXWindows", failsWith(AXError::kAXErrorCannotComplete));
    bend(Element::application(kFinder), "AXFocusedWindow",
         failsWith(AXError::kAXErrorCannotComplete));
    EXPECT_EQ(delegate.findWindowUnderPointer().value().window, Element::window(1));
}

TEST_F(Targeting, CaptureKeepsALiveTargetOrTakesTheWindowUnderThePointer) {
    addApp(501, "TextEdit", 12, {100, 100, 400, 300});
    desktop.addWindow(501, 13, {1000, 600, 400, 300}, "Elsewhere");
    pointAtAX({300, 250});
    delegate.targetWindow = Element::window(13);
    delegate.captureWindow();  // held and answering: kept, though not under the pointer
    EXPECT_EQ(delegate.targetWindow, Element::window(13));
    EXPECT_EQ(delegate.initialLocation, (Point{300, 830}));
    desktop.closeWindow(13);
    delegate.captureWindow();
    EXPECT_EQ(delegate.targetWindow, Element::window(12));
}

}  // namespace
}  // namespace tugworth::test
