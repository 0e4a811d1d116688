// The simulated Accessibility service: attribute answers, overrides, writes and dying elements.
#include <gtest/gtest.h>

#include "platform/sim/Desktop.h"
#include "support/AllocationCounter.h"

namespace tugworth {
namespace {

constexpr AXError kOk = AXError::kAXErrorSuccess;
constexpr AXError kUnsupported = AXError::kAXErrorAttributeUnsupported;
constexpr AXError kIllegal = AXError::kAXErrorIllegalArgument;
constexpr AXError kDead = AXError::kAXErrorInvalidUIElement;

struct AccessibilityFixture : ::testing::Test {
    AccessibilityFixture() {
        desktop.addProcess(501, "TextEdit");
        desktop.addWindow(501, 12, {100, 50, 800, 600}, "Notes");
        desktop.addWindow(501, 13, {10, 20, 300, 200}, "Inspector");
    }

    AXError read(const Element& e, std::string_view attribute) {
        return ax().copyAttributeValue(e, attribute, value);
    }
    AccessibilityService& ax() { return desktop.platform().accessibility; }

    sim::Desktop desktop;
    Value value;
    const Element notes = Element::window(12);
    const Element app = Element::application(501);
};

TEST_F(AccessibilityFixture, WindowAttributesAnswerFromTheModel) {
    desktop.window(13)->parent = 12;
    desktop.window(13)->subrole = "AXFloatingWindow";
    desktop.window(13)->minimized = true;

    ASSERT_EQ(read(notes, "AXFrame"), kOk);
    EXPECT_EQ(value, Value(AXValue::create(Rect{100, 50, 800, 600})));
    ASSERT_EQ(read(notes, "AXPosition"), kOk);
    EXPECT_EQ(value, Value(AXValue::create(Point{100, 50})));
    ASSERT_EQ(read(notes, "AXSize"), kOk);
    EXPECT_EQ(value, Value(AXValue::create(Size{800, 600})));
    ASSERT_EQ(read(notes, "AXTitle"), kOk);
    EXPECT_EQ(value, Value("Notes"));
    ASSERT_EQ(read(notes, "AXRole"), kOk);
    EXPECT_EQ(value, Value("AXWindow"));
    ASSERT_EQ(read(notes, "AXActions"), kOk);
    EXPECT_EQ(value, Value(Value::Array{"AXRaise"}));
    ASSERT_EQ(read(notes, "AXParent"), kOk);
    EXPECT_EQ(value, Value(app));

    const Element inspector = Element::window(13);
    ASSERT_EQ(read(inspector, "AXParent"), kOk);
    EXPECT_EQ(value, Value(notes));
    ASSERT_EQ(read(inspector, "AXSubrole"), kOk);
    EXPECT_EQ(value, Value("AXFloatingWindow"));
    ASSERT_EQ(read(inspector, "AXMinimized"), kOk);
    EXPECT_EQ(value, Value(true));

    Pid pid = 0;
    EXPECT_EQ(ax().getPid(inspector, pid), kOk);
    EXPECT_EQ(pid, 501);
}

TEST_F(AccessibilityFixture, ApplicationListsItsWindowsAndHasNoGeometry) {
    desktop.setStacking({13, 12});  // the window server's order does not change AXWindows
    ASSERT_EQ(read(app, "AXWindows"), kOk);
    EXPECT_EQ(value, Value(Value::Array{notes, Element::window(13)}));
    ASSERT_EQ(read(app, "AXFocusedWindow"), kOk);
    EXPECT_EQ(value, Value(notes));
    ASSERT_EQ(read(app, "AXMainWindow"), kOk);
    EXPECT_EQ(value, Value(notes));
    EXPECT_EQ(read(app, "AXPosition"), kUnsupported);
    EXPECT_EQ(read(app, "AXFrame"), kUnsupported);
    EXPECT_EQ(ax().setAttributeValue(app, "AXPosition", AXValue::create(Point{1, 1})),
              kUnsupported);

    desktop.process(501)->app["AXPosition"].value = AXValue::create(Point{3, 4});
    ASSERT_EQ(read(app, "AXPosition"), kOk);
    EXPECT_EQ(value, Value(AXValue::create(Point{3, 4})));
}

TEST_F(AccessibilityFixture, GeometryWritesMoveAndResizeOnlyWithTheRightKind) {
    EXPECT_EQ(ax().setAttributeValue(notes, "AXPosition", AXValue::create(Point{5, 6})), kOk);
    EXPECT_EQ(ax().setAttributeValue(notes, "AXSize", AXValue::create(Size{40, 30})), kOk);
    EXPECT_EQ(desktop.windowFrame(12), (Rect{5, 6, 40, 30}));
    EXPECT_EQ(ax().setAttributeValue(notes, "AXFrame", AXValue::create(Rect{1, 2, 3, 4})), kOk);
    EXPECT_EQ(desktop.windowFrame(12), (Rect{1, 2, 3, 4}));

    const Value wrongKinds[] = {Value(AXValue::create(Size{9, 9})), Value(Value::Array{9, 9}),
                                Value("9,9"), Value()};
    for (const Value& wrong : wrongKinds) {
        EXPECT_EQ(ax().setAttributeValue(notes, "AXPosition", wrong), kIllegal);
        EXPECT_EQ(ax().setAttributeValue(notes, "AXFrame", wrong), kIllegal);
    }
    EXPECT_EQ(ax().setAttributeValue(notes, "AXSize", AXValue::create(Point{9, 9})), kIllegal);
    EXPECT_EQ(ax().setAttributeValue(notes, "AXTitle", Value("x")), kUnsupported);
    EXPECT_EQ(ax().setAttributeValue(notes, "AXBogus", AXValue::create(Point{9, 9})), kUnsupported);
    EXPECT_EQ(desktop.windowFrame(12), (Rect{1, 2, 3, 4}));
}

TEST_F(AccessibilityFixture, PositionAliasesExistOnlyWhenGivenAValue) {
    for (const char* alias : {"Position", "WindowPosition"}) {
        SCOPED_TRACE(alias);
        EXPECT_EQ(read(notes, alias), kUnsupported);
        EXPECT_EQ(ax().setAttributeValue(notes, alias, AXValue::create(Point{0, 0})), kUnsupported);
    }
    desktop.window(12)->attributes["WindowPosition"].value = AXValue::create(Point{-1, -1});
    ASSERT_EQ(read(notes, "WindowPosition"), kOk);
    EXPECT_EQ(value, Value(AXValue::create(Point{-1, -1})));
    EXPECT_EQ(ax().setAttributeValue(notes, "WindowPosition", AXValue::create(Point{7, 8})), kOk);
    EXPECT_EQ(desktop.windowFrame(12)->origin(), (Point{7, 8}));
    EXPECT_EQ(read(notes, "Position"), kUnsupported);
}

TEST_F(AccessibilityFixture, OverridesFailReadsReplaceValuesAndRefuseWrites) {
    auto& attributes = desktop.window(12)->attributes;
    attributes["AXSize"].read = AXError::kAXErrorCannotComplete;
    attributes["AXTitle"].value = Value();   // success with no value
    attributes["AXRole"].value = Value(42);  // the wrong kind
    attributes["AXPosition"].write = AXError::kAXErrorFailure;
    attributes["AXFrame"].write = kOk;

    value = Value("stale");
    EXPECT_EQ(read(notes, "AXSize"), AXError::kAXErrorCannotComplete);
    EXPECT_TRUE(value.isNone());  // a failed read leaves nothing behind
    EXPECT_EQ(read(notes, "AXTitle"), kOk);
    EXPECT_TRUE(value.isNone());
    EXPECT_EQ(read(notes, "AXRole"), kOk);
    EXPECT_EQ(value, Value(42));

    EXPECT_EQ(ax().setAttributeValue(notes, "AXPosition", AXValue::create(Point{0, 0})),
              AXError::kAXErrorFailure);
    EXPECT_EQ(desktop.windowFrame(12), (Rect{100, 50, 800, 600}));
    // An accepted write answers success even for a value it cannot apply.
    EXPECT_EQ(ax().setAttributeValue(notes, "AXFrame", Value("junk")), kOk);
    EXPECT_EQ(ax().setAttributeValue(notes, "AXFrame", AXValue::create(Rect{0, 0, 5, 5})), kOk);
    EXPECT_EQ(desktop.windowFrame(12), (Rect{0, 0, 5, 5}));
    // Reads of other attributes are untouched by the overrides.
    EXPECT_EQ(read(notes, "AXPosition"), kOk);
}

TEST_F(AccessibilityFixture, ActionsAnswerByListAndByOverride) {
    desktop.window(12)->attributes["AXActions"].perform["AXMove"] = kOk;
    desktop.window(12)->attributes["AXActions"].perform["AXRaise"] =
        AXError::kAXErrorCannotComplete;
    EXPECT_EQ(ax().performAction(notes, "AXMove"), kOk);
    EXPECT_EQ(ax().performAction(notes, "AXRaise"), AXError::kAXErrorCannotComplete);
    EXPECT_EQ(ax().performAction(Element::window(13), "AXRaise"), kOk);
    EXPECT_EQ(ax().performAction(Element::window(13), "AXPress"),
              AXError::kAXErrorActionUnsupported);
}

TEST_F(AccessibilityFixture, ClosedWindowsAndQuitProcessesAnswerInvalidElement) {
    const Element inspector = Element::window(13);
    desktop.window(13)->attributes["AXTitle"].value = Value("kept?");
    desktop.closeWindow(13);
    Pid pid = -1;
    EXPECT_EQ(read(inspector, "AXTitle"), kDead);
    EXPECT_EQ(ax().getPid(inspector, pid), kDead);
    EXPECT_EQ(pid, -1);
    EXPECT_EQ(ax().setAttributeValue(inspector, "AXPosition", AXValue::create(Point{})), kDead);
    EXPECT_EQ(ax().performAction(inspector, "AXRaise"), kDead);
    ASSERT_EQ(read(app, "AXWindows"), kOk);
    EXPECT_EQ(value, Value(Value::Array{notes}));
    EXPECT_FALSE(desktop.windowFrame(13));

    desktop.quit(501);
    EXPECT_EQ(read(notes, "AXFrame"), kDead);
    EXPECT_EQ(read(app, "AXWindows"), kDead);
    EXPECT_EQ(ax().getPid(app, pid), kDead);
    EXPECT_EQ(desktop.platform().desktop.runningApplicationName(501), std::nullopt);
    // A fresh handle to a gone process is still an element, just a dead one.
    EXPECT_EQ(ax().createApplication(501), app);
    EXPECT_EQ(read(ax().createApplication(999), "AXRole"), kDead);
}

TEST_F(AccessibilityFixture, GeometryReadsAndWritesAllocateNothing) {
    desktop.window(12)->attributes["AXTitle"].read = AXError::kAXErrorNoValue;
    const Value move(AXValue::create(Point{1, 1}));
    const std::size_t before = counting::allocationCount();
    for (int i = 0; i < 100; ++i) {
        ASSERT_EQ(read(notes, "AXPosition"), kOk);
        ASSERT_EQ(read(notes, "AXSize"), kOk);
        ASSERT_EQ(read(notes, "AXFrame"), kOk);
        ASSERT_EQ(ax().setAttributeValue(notes, "AXPosition", move), kOk);
        Pid pid = 0;
        ASSERT_EQ(ax().getPid(notes, pid), kOk);
    }
    EXPECT_EQ(counting::allocationCount(), before);
}

TEST_F(AccessibilityFixture, EveryPlatformCallIsCountedAndTheCountResets) {
    desktop.resetPlatformCallCount();
    Pid pid = 0;
    read(notes, "AXPosition");
    ax().getPid(notes, pid);
    ax().isProcessTrusted();
    desktop.platform().windowServer.copyWindowListInfo(kCGWindowListOptionOnScreenOnly, 0);
    desktop.platform().desktop.mouseLocation();
    desktop.platform().toolkit.activationPolicy();
    desktop.platform().storage.load();
    EXPECT_EQ(desktop.platformCallCount(), 7U);
    // Reading the model back is no platform call.
    (void)desktop.windowFrame(12);
    (void)desktop.toolkit().alerts();
    EXPECT_EQ(desktop.platformCallCount(), 7U);
    desktop.resetPlatformCallCount();
    EXPECT_EQ(desktop.platformCallCount(), 0U);
}

}  // namespace
}  // namespace tugworth
