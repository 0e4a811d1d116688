// Elements, frames, moves and the window list under a real window manager (openbox).
#include <signal.h>

#include <algorithm>
#include <cmath>

#include "DesktopFixture.h"
#include "platform/WindowServer.h"

namespace tugworth::x11::testing {
namespace {

class UnderWindowManager : public DesktopFixture<true> {
protected:
    static std::vector<std::int64_t> listedNumbers(std::uint32_t options) {
        std::vector<std::int64_t> numbers;
        Value list = desktop().windowServer().copyWindowListInfo(options, kCGNullWindowID);
        if (list.asArray() == nullptr) return numbers;
        for (const Value& entry : *list.asArray()) {
            const Value* number = entry.find(windowkeys::kNumber);
            if (number != nullptr && number->asInteger() != nullptr)
                numbers.push_back(*number->asInteger());
        }
        return numbers;
    }
    static bool lists(std::uint32_t options, xcb_window_t window) {
        auto numbers = listedNumbers(options);
        return std::find(numbers.begin(), numbers.end(), window) != numbers.end();
    }
};

// Three windows, so that no order the window manager has not made yet (nor its reverse)
// passes for the one asked for.
TEST_F(UnderWindowManager, ListsFrontMostFirstWithEveryKey) {
    const auto term =
        open({"xterm", "-geometry", "40x8+60+60", "-title", "list-term"}, "list-term");
    const auto clock =
        open({"xclock", "-geometry", "180x140+400+300", "-title", "list-clock"}, "list-clock");
    const auto eyes =
        open({"xeyes", "-geometry", "100x80+700+100", "-title", "list-eyes"}, "list-eyes");
    ASSERT_NE(term.window, XCB_NONE);
    ASSERT_NE(clock.window, XCB_NONE);
    ASSERT_NE(eyes.window, XCB_NONE);
    constexpr std::uint32_t options =
        kCGWindowListOptionOnScreenOnly | kCGWindowListExcludeDesktopElements;
    const auto ours = [&] {
        std::vector<std::int64_t> order;
        for (std::int64_t n : listedNumbers(options)) {
            if (n == term.window || n == clock.window || n == eyes.window) order.push_back(n);
        }
        return order;
    };
    // The windows activated so far, most recent first: the list must begin with them.
    std::vector<std::int64_t> frontToBack;
    for (xcb_window_t front : {term.window, clock.window, eyes.window, clock.window, term.window}) {
        server().activate(front);
        std::erase(frontToBack, front);
        frontToBack.insert(frontToBack.begin(), front);
        EXPECT_TRUE(waitUntil([&] {
            const auto order = ours();
            return order.size() == 3 &&
                   std::equal(frontToBack.begin(), frontToBack.end(), order.begin());
        })) << "window "
            << front << " did not come to the front of the list";
    }
    const xcb_window_t clockWindow = clock.window;
    const pid_t clockPid = clock.pid;

    Value list = desktop().windowServer().copyWindowListInfo(options, kCGNullWindowID);
    ASSERT_NE(list.asArray(), nullptr);
    const Value* clockEntry = nullptr;
    for (const Value& entry : *list.asArray()) {
        if (*entry.find(windowkeys::kNumber)->asInteger() == clockWindow) clockEntry = &entry;
    }
    ASSERT_NE(clockEntry, nullptr);
    ASSERT_NE(clockEntry->find(windowkeys::kOwnerPID), nullptr);
    EXPECT_EQ(*clockEntry->find(windowkeys::kOwnerPID)->asInteger(), clockPid);
    EXPECT_EQ(*clockEntry->find(windowkeys::kOwnerName)->asString(), "XClock");
    EXPECT_EQ(*clockEntry->find(windowkeys::kName)->asString(), "list-clock");
    EXPECT_EQ(*clockEntry->find(windowkeys::kLayer)->asInteger(), 0);
    EXPECT_EQ(*clockEntry->find(windowkeys::kIsOnscreen)->asBool(), true);
    const Value* bounds = clockEntry->find(windowkeys::kBounds);
    ASSERT_NE(bounds, nullptr);
    const auto frame = server().outerFrame(clockWindow);
    ASSERT_TRUE(frame);
    EXPECT_EQ(bounds->find("X")->asNumber(), frame->x);
    EXPECT_EQ(bounds->find("Y")->asNumber(), frame->y);
    EXPECT_EQ(bounds->find("Width")->asNumber(), frame->width);
    EXPECT_EQ(bounds->find("Height")->asNumber(), frame->height);

    // Only what lies above the given window.
    Value above = desktop().windowServer().copyWindowListInfo(
        options | kCGWindowListOptionOnScreenAboveWindow, static_cast<std::uint32_t>(clockWindow));
    ASSERT_NE(above.asArray(), nullptr);
    for (const Value& entry : *above.asArray())
        EXPECT_NE(*entry.find(windowkeys::kNumber)->asInteger(), clockWindow);
}

TEST_F(UnderWindowManager, FrameAndAttributesMatchTheServer) {
    auto [pid, term] =
        open({"xterm", "-geometry", "50x10+120+90", "-title", "frame-term"}, "frame-term");
    ASSERT_NE(term, XCB_NONE);
    server().activate(term);
    const Element window = Element::window(term);

    const auto expected = server().outerFrame(term);
    ASSERT_TRUE(expected);
    EXPECT_GT(expected->height, 0.0);
    EXPECT_EQ(axFrame(term), expected);
    Value position, size;
    ASSERT_EQ(ax().copyAttributeValue(window, "AXPosition", position), AXError::kAXErrorSuccess);
    ASSERT_EQ(ax().copyAttributeValue(window, "AXSize", size), AXError::kAXErrorSuccess);
    EXPECT_EQ(*position.asAXValue(), AXValue::create(expected->origin()));
    EXPECT_EQ(*size.asAXValue(), AXValue::create(expected->size()));

    const std::pair<const char*, Value> strings[] = {
        {"AXRole", Value("AXWindow")},    {"AXSubrole", Value("AXStandardWindow")},
        {"AXTitle", Value("frame-term")}, {"AXMinimized", Value(false)},
        {"AXHidden", Value(false)},       {"AXParent", Value(Element::application(pid))}};
    for (const auto& [attribute, want] : strings) {
        Value got;
        EXPECT_EQ(ax().copyAttributeValue(window, attribute, got), AXError::kAXErrorSuccess)
            << attribute;
        EXPECT_EQ(got, want) << attribute;
    }

    Pid owner = 0;
    EXPECT_EQ(ax().getPid(window, owner), AXError::kAXErrorSuccess);
    EXPECT_EQ(owner, pid);
    const Element app = ax().createApplication(pid);
    Value windows;
    ASSERT_EQ(ax().copyAttributeValue(app, "AXWindows", windows), AXError::kAXErrorSuccess);
    EXPECT_EQ(windows, Value(Value::Array{Value(window)}));
    EXPECT_TRUE(waitUntil([&] {
        Value focused;
        return ax().copyAttributeValue(app, "AXFocusedWindow", focused) ==
                   AXError::kAXErrorSuccess &&
               focused == Value(window);
    }));
}

TEST_F(UnderWindowManager, QuickSuccessiveMovesLandWithoutDrift) {
    auto [pid, clock] =
        open({"xclock", "-geometry", "160x120-700-400", "-title", "move-clock"}, "move-clock");
    ASSERT_NE(clock, XCB_NONE);
    const auto start = server().outerFrame(clock);
    ASSERT_TRUE(start);
    // Placed from the bottom-right, the clock asks for south-east gravity: a move must still
    // put the frame's outer corner where asked. As the mover does: read the position, write
    // it back shifted, with no wait in between.
    for (int step = 0; step < 20; ++step) {
        Value value;
        Point p;
        ASSERT_EQ(ax().copyAttributeValue(Element::window(clock), "AXPosition", value),
                  AXError::kAXErrorSuccess);
        ASSERT_TRUE(value.asAXValue()->getValue(p));
        ASSERT_EQ(setPosition(clock, {p.x + 10.0, p.y + 5.0}), AXError::kAXErrorSuccess);
    }
    const Rect want{start->x + 200.0, start->y + 100.0, start->width, start->height};
    EXPECT_TRUE(waitUntil([&] { return server().outerFrame(clock) == want; }))
        << "ended at x " << server().outerFrame(clock)->x << ", y "
        << server().outerFrame(clock)->y;
    EXPECT_TRUE(waitUntil([&] { return axFrame(clock) == want; }));
}

TEST_F(UnderWindowManager, GoneWindowsAndProcessesAnswerInvalidElement) {
    auto [pid, eyes] =
        open({"xeyes", "-geometry", "120x90+40+500", "-title", "dead-eyes"}, "dead-eyes");
    ASSERT_NE(eyes, XCB_NONE);
    const Element window = Element::window(eyes);
    const Element app = ax().createApplication(pid);
    Value value;
    Pid owner = 0;
    // xeyes does not set _NET_WM_PID: the process comes from the X-Resource extension.
    ASSERT_EQ(ax().getPid(window, owner), AXError::kAXErrorSuccess);
    EXPECT_EQ(owner, pid);
    ASSERT_EQ(ax().copyAttributeValue(app, "AXRole", value), AXError::kAXErrorSuccess);
    EXPECT_EQ(value, Value("AXApplication"));

    server().kill(pid);
    ASSERT_TRUE(waitUntil([&] { return !server().outerFrame(eyes); }));
    EXPECT_EQ(ax().copyAttributeValue(window, "AXRole", value), AXError::kAXErrorInvalidUIElement);
    EXPECT_TRUE(value.isNone());
    EXPECT_EQ(setPosition(eyes, {10.0, 10.0}), AXError::kAXErrorInvalidUIElement);
    EXPECT_EQ(ax().getPid(window, owner), AXError::kAXErrorInvalidUIElement);
    EXPECT_EQ(ax().performAction(window, "AXRaise"), AXError::kAXErrorInvalidUIElement);
    EXPECT_EQ(ax().copyAttributeValue(app, "AXRole", value), AXError::kAXErrorInvalidUIElement);
    EXPECT_EQ(ax().copyAttributeValue(app, "AXWindows", value), AXError::kAXErrorInvalidUIElement);
    EXPECT_EQ(ax().copyAttributeValue(Element::window(0), "AXRole", value),
              AXError::kAXErrorInvalidUIElement);
}

TEST_F(UnderWindowManager, RefusesUnsupportedAttributesAndValuesOfTheWrongKind) {
    auto [pid, clock] =
        open({"xclock", "-geometry", "120x90+600+100", "-title", "kind-clock"}, "kind-clock");
    ASSERT_NE(clock, XCB_NONE);
    const Element window = Element::window(clock);
    const Element app = ax().createApplication(pid);
    struct Write {
        const char* attribute;
        Value value;
        AXError want;
    };
    const Write writes[] = {
        {"AXPosition", Value(AXValue::create(Size{10.0, 10.0})), AXError::kAXErrorIllegalArgument},
        {"AXSize", Value(AXValue::create(Point{10.0, 10.0})), AXError::kAXErrorIllegalArgument},
        {"AXFrame", Value("wide"), AXError::kAXErrorIllegalArgument},
        {"AXPosition", Value(AXValue::create(Point{std::nan(""), 0.0})),
         AXError::kAXErrorIllegalArgument},
        {"AXSize", Value(AXValue::create(Size{0.0, 50.0})), AXError::kAXErrorIllegalArgument},
        {"AXPosition", Value(AXValue::create(Point{1e9, 0.0})), AXError::kAXErrorIllegalArgument},
        {"AXTitle", Value("renamed"), AXError::kAXErrorAttributeUnsupported},
        {"Position", Value(AXValue::create(Point{10.0, 10.0})),
         AXError::kAXErrorAttributeUnsupported},
    };
    for (const auto& w : writes) {
        EXPECT_EQ(ax().setAttributeValue(window, w.attribute, w.value), w.want) << w.attribute;
    }
    Value value;
    EXPECT_EQ(ax().copyAttributeValue(window, "WindowPosition", value),
              AXError::kAXErrorAttributeUnsupported);
    EXPECT_EQ(ax().copyAttributeValue(app, "AXPosition", value),
              AXError::kAXErrorAttributeUnsupported);
    EXPECT_EQ(ax().copyAttributeValue(app, "AXFrame", value),
              AXError::kAXErrorAttributeUnsupported);
    EXPECT_EQ(ax().performAction(window, "AXMove"), AXError::kAXErrorActionUnsupported);
}

TEST_F(UnderWindowManager, LeavesOutDocksAndMinimizedWindowsWhenAsked) {
    auto [pid, message] = open(
        {"xmessage", "-geometry", "+300+400", "-title", "min-message", "hello"}, "min-message");
    ASSERT_NE(message, XCB_NONE);
    // A dock of our own making.
    xcb_connection_t* c = server().conn();
    const xcb_window_t dock = xcb_generate_id(c);
    xcb_create_window(c, XCB_COPY_FROM_PARENT, dock, server().root(), 0, 770, 1280, 30, 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT, 0, nullptr);
    const xcb_atom_t dockType = server().atom("_NET_WM_WINDOW_TYPE_DOCK");
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, dock, server().atom("_NET_WM_WINDOW_TYPE"),
                        XCB_ATOM_ATOM, 32, 1, &dockType);
    xcb_map_window(c, dock);
    xcb_flush(c);
    ASSERT_TRUE(waitUntil([&] { return lists(kCGWindowListOptionOnScreenOnly, dock); }));
    EXPECT_FALSE(
        lists(kCGWindowListOptionOnScreenOnly | kCGWindowListExcludeDesktopElements, dock));

    server().iconify(message);
    ASSERT_TRUE(waitUntil([&] { return !lists(kCGWindowListOptionOnScreenOnly, message); }));
    EXPECT_TRUE(lists(0, message));
    Value minimized;
    EXPECT_EQ(ax().copyAttributeValue(Element::window(message), "AXMinimized", minimized),
              AXError::kAXErrorSuccess);
    EXPECT_EQ(minimized, Value(true));
    xcb_destroy_window(c, dock);
    xcb_flush(c);
}

}  // namespace
}  // namespace tugworth::x11::testing
