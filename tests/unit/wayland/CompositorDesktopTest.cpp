// The Wayland desktop over a scripted driver: frames reported while a request travels, and the
// batching of the bridge's events.
#include <gtest/gtest.h>

#include "platform/wayland/CompositorDesktop.h"

namespace tugworth::wayland {
namespace {

// A compositor that shows what the test says, and records what was asked of it.
class ScriptedDriver final : public CompositorDriver {
public:
    std::vector<CompositorWindow> windows{{7, 42, "Editor", "notes", {100, 100, 400, 300}}};
    std::vector<Rect> requests;
    CompositorEvents events;

    std::string compositorName() const override { return "Scripted"; }
    bool bridgeAnswers() override { return true; }
    std::optional<std::vector<CompositorWindow>> windowsFrontToBack() override { return windows; }
    std::optional<CompositorPointer> pointer() override { return CompositorPointer{{5, 5}, 0}; }
    std::vector<Rect> monitors() override { return {{0, 0, 1280, 800}}; }
    FrameWriteResult requestFrame(CompositorWindowId, const Rect& frame) override {
        requests.push_back(frame);
        return FrameWriteResult::Requested;
    }
    void watch(CompositorEvents e) override { events = std::move(e); }
};

struct CompositorDesktopTest : ::testing::Test {
    ScriptedDriver* driver = new ScriptedDriver;
    CompositorDesktop desktop{std::unique_ptr<CompositorDriver>(driver), nullptr};
    const Element window = Element::window(7);

    Rect frame() {
        Value value;
        EXPECT_EQ(desktop.accessibility().copyAttributeValue(window, "AXFrame", value),
                  AXError::kAXErrorSuccess);
        Rect r;
        EXPECT_TRUE(value.asAXValue() && value.asAXValue()->getValue(r));
        return r;
    }
    void moveTo(double x, double y) {
        ASSERT_EQ(desktop.accessibility().setAttributeValue(window, "AXPosition",
                                                            AXValue::create(Point{x, y})),
                  AXError::kAXErrorSuccess);
    }
};

TEST_F(CompositorDesktopTest, ReportsRequestedFramesUntilTheCompositorShowsThemOrOthers) {
    moveTo(110.4, 120);
    moveTo(130, 140);  // builds on the first step, which has not landed
    EXPECT_EQ(driver->requests.back(), (Rect{130, 140, 400, 300}));
    EXPECT_EQ(frame(), (Rect{130, 140, 400, 300}));
    driver->windows[0].frame = {110, 120, 400, 300};  // the first step lands
    EXPECT_EQ(frame(), (Rect{130, 140, 400, 300}));
    driver->windows[0].frame = {500, 500, 400, 300};  // someone else moved it
    EXPECT_EQ(frame(), (Rect{500, 500, 400, 300}));
    moveTo(510, 510);
    driver->windows[0].frame = {500, 500, 380, 300};  // the client refused the size it had
    EXPECT_EQ(frame(), (Rect{500, 500, 380, 300}));
}

TEST_F(CompositorDesktopTest, RefusesOutOfRangeGeometryAndUnknownWindows) {
    auto& ax = desktop.accessibility();
    EXPECT_EQ(ax.setAttributeValue(window, "AXSize", AXValue::create(Size{0, 10})),
              AXError::kAXErrorIllegalArgument);
    EXPECT_EQ(ax.setAttributeValue(window, "AXPosition", AXValue::create(Point{1e300, 0})),
              AXError::kAXErrorIllegalArgument);
    EXPECT_EQ(ax.setAttributeValue(Element::window(8), "AXPosition", AXValue::create(Point{})),
              AXError::kAXErrorInvalidUIElement);
    EXPECT_TRUE(driver->requests.empty());
}

TEST_F(CompositorDesktopTest, BatchesEventsAsTheX11MonitorsDo) {
    std::vector<std::pair<EventType, std::uint64_t>> seen;
    std::vector<Point> locations;
    desktop.monitors().addGlobalMonitor(kEventMaskMouseMoved | kEventMaskFlagsChanged,
                                        [&](const Event& e) {
                                            seen.emplace_back(e.type, e.modifierFlags);
                                            locations.push_back(desktop.desktop().mouseLocation());
                                        });
    int wakes = 0;
    desktop.start([&] { ++wakes; }, nullptr);
    const std::uint64_t chord = kModifierCommand | kModifierControl;
    driver->events.modifiersChanged(chord);
    driver->events.modifiersChanged(chord);                   // no change: no event
    driver->events.pointerMoved({{10, 10}, chord});           // coalesced
    driver->events.pointerMoved({{20, 30}, chord});           // into this one
    driver->events.pointerMoved({{40, 40}, chord, true});     // a button drag: not ours
    driver->events.pointerMoved({{50, 50}, kModifierShift});  // its flags change first
    EXPECT_EQ(wakes, 1);
    desktop.dispatchPendingEvents();
    const std::vector<std::pair<EventType, std::uint64_t>> expected{
        {EventType::FlagsChanged, chord},
        {EventType::MouseMoved, chord},
        {EventType::FlagsChanged, kModifierShift},
        {EventType::MouseMoved, kModifierShift}};
    EXPECT_EQ(seen, expected);
    // Each event reads the pointer it came with, in the bottom-left-origin space.
    EXPECT_EQ(locations, (std::vector<Point>{{5, 795}, {20, 770}, {40, 760}, {50, 750}}));
}

}  // namespace
}  // namespace tugworth::wayland
