// Which window a press takes where the capture scenarios cannot look: the hit test with its
// margin, process names, the elements against the window list, our own window in front, and
// a held target at capture. Finder's choice and an application's own windows and their
// fall-backs belong to the capture scenarios.
#include "support/SimDesk.h"

namespace tugworth::test {
namespace {

struct Targeting : ::testing::Test, SimDesk {
    bool under(std::int64_t id, Point cocoa) {
        return delegate.isWindowUnderMouse(Element::window(id), cocoa);
    }
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

// A process without a name is "Unknown" (a capture scenario); ours is always known.
TEST_F(Targeting, OurProcessNameIsKnownWhateverItIsCalled) {
    EXPECT_EQ(delegate.processName(4242), "Tugworth");
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
