// The coordinate rules and the test whether a window element lies under the pointer.
#include "platform/Coordinates.h"
#include "unit/targeting/TargetingFixture.h"

namespace tugworth {
namespace {

using test::failsWith;
using test::reads;

TEST(Coordinates, ConvertWithTheMainScreensHeightOnly) {
    EXPECT_EQ(toCocoaFrame({100, 100, 400, 300}, 1080), (Rect{100, 680, 400, 300}));
    EXPECT_EQ(toAccessibilityPoint({300, 830}, 1080), (Point{300, 250}));
    sim::Desktop desktop;
    desktop.setScreens({{{0, 0, 1920, 1080}, {}}, {{1920, 0, 2560, 1440}, {}}});
    EXPECT_EQ(flipHeight(desktop.platform().desktop), 1080.0);
    desktop.setScreens({});
    EXPECT_EQ(flipHeight(desktop.platform().desktop), 0.0);
}

class UnderPointer : public test::Targeting {
protected:
    void SetUp() override { addApp(501, "TextEdit", 12, {100, 100, 400, 300}); }
    bool test(Point cocoa) { return delegate.isWindowUnderMouse(Element::window(12), cocoa); }
};

// The grown frame is (80, 80, 440, 340) in Accessibility space and (80, 660, 440, 340) in
// Cocoa space. Each keeps its own minimum edges: the top and bottom margin edges are each
// accepted by one test only, the right edge by neither.
TEST_F(UnderPointer, MarginEdgesBelongToTheTestWhoseMinimumTheyAre) {
    struct Case {
        Point cocoa;
        bool axHit, screenHit;
    };
    const Case cases[] = {
        {{80, 830}, true, true},    {{79.5, 830}, false, false},  {{520, 830}, false, false},
        {{519.5, 830}, true, true}, {{300, 1000}, true, false},   {{300, 1000.5}, false, false},
        {{300, 660}, false, true},  {{300, 659.5}, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.cocoa.x << ", " << c.cocoa.y);
        clearLog();
        EXPECT_EQ(test(c.cocoa), c.axHit || c.screenHit);
        EXPECT_EQ(
            after("Is under mouse (AX coords): " + std::string(c.axHit ? "true" : "false"), 1),
            std::vector<std::string>{"Is under mouse (Screen coords): " +
                                     std::string(c.screenHit ? "true" : "false")});
    }
}

TEST_F(UnderPointer, WithoutADisplayOrOnAnotherOneTheMainHeightStillConverts) {
    desktop.setScreens({});
    EXPECT_TRUE(test({300, -250}));
    EXPECT_TRUE(logged("Screen Window frame: (100.0, -400.0, 400.0, 300.0)"));
    EXPECT_TRUE(logged("AX mouse Y-coordinate: 250.0"));

    desktop.setScreens({{{0, 0, 1920, 1080}, {}}, {{1920, 0, 2560, 1440}, {}}});
    desktop.window(12)->frame = {2000, 100, 400, 300};
    EXPECT_TRUE(test({2100, 830}));
    EXPECT_TRUE(logged("Screen Window frame: (2000.0, 680.0, 400.0, 300.0)"));
}

TEST_F(UnderPointer, RejectsWithTheFirstFailingStep) {
    struct Case {
        std::string attribute;
        sim::AttributeOverride bent;
        std::string lastLine;
    };
    const Case cases[] = {
        {"AXMinimized", reads(true), "Window is minimized, skipping"},
        {"AXHidden", reads(true), "Window is hidden, skipping"},
        {"AXPosition", failsWith(AXError::kAXErrorAttributeUnsupported),
         "Failed to get window position: -25205"},
        {"AXPosition", reads(Value()), "Failed to get window position: 0"},
        {"AXPosition", reads("100, 100"), "Invalid position reference type"},
        {"AXSize", failsWith(AXError::kAXErrorCannotComplete), "Failed to get window size: -25204"},
        {"AXSize", reads(400.0), "Invalid size reference type"},
        {"AXSize", reads(AXValue::create(Size{9.9, 500})),
         "Window has invalid dimensions: (9.9, 500.0)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.lastLine);
        clearLog();
        desktop.window(12)->attributes = {{c.attribute, c.bent}};
        EXPECT_FALSE(test({300, 830}));
        EXPECT_EQ(lines().back(), test::debug(c.lastLine));
    }
    // Unreadable flags do not reject, nor does the smallest size allowed.
    desktop.window(12)->attributes = {{"AXMinimized", failsWith(AXError::kAXErrorFailure)},
                                      {"AXHidden", reads("yes")}};
    desktop.window(12)->frame = {290, 240, 10, 10};
    EXPECT_TRUE(test({300, 830}));
}

}  // namespace
}  // namespace tugworth
