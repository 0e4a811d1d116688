// Elements, frames, moves and the window list under a real window manager (openbox).
#include <algorithm>
#include <cmath>

#include "XServerFixture.h"
#include "support/XTestInput.h"

namespace tugworth::x11::testing {
namespace {

class UnderWindowManager : public DesktopFixture<true> {
protected:
    static bool lists(std::uint32_t options, xcb_window_t window) {
        return std::ranges::count(listed(options), window) == 1;
    }
};

// Three windows, so that no order the window manager has not made yet (nor its reverse)
// passes for the one asked for.
TEST_F(UnderWindowManager, ListsFrontMostFirstWithEveryKey) {
    const Client clients[] = {
        open({"xterm", "-geometry", "40x8+60+60", "-title", "list-term"}, "list-term"),
        open({"xclock", "-geometry", "180x140+400+300", "-title", "list-clock"}, "list-clock"),
        open({"xeyes", "-geometry", "100x80+700+100", "-title", "list-eyes"}, "list-eyes")};
    constexpr std::uint32_t options =
        kCGWindowListOptionOnScreenOnly | kCGWindowListExcludeDesktopElements;
    // The windows activated so far, most recent first: the list (of these three alone) must
    // begin with them.
    std::vector<std::int64_t> frontToBack;
    for (int i : {0, 1, 2, 1, 0}) {
        ASSERT_NE(clients[i].window, XCB_NONE);
        server().activate(clients[i].window);
        std::erase(frontToBack, clients[i].window);
        frontToBack.insert(frontToBack.begin(), clients[i].window);
        EXPECT_TRUE(waitUntil([&] {
            const auto now = listed(options);
            return now.size() == 3 &&
                   std::equal(frontToBack.begin(), frontToBack.end(), now.begin());
        })) << "window "
            << clients[i].window << " did not come to the front of the list";
    }

    // Front to back: the terminal, the clock, the eyes.
    const auto entries = list(options);
    ASSERT_EQ(entries.size(), 3U);
    const auto field = [](const Value& entry, std::string_view key) {
        return entry.find(key) != nullptr ? *entry.find(key) : Value();
    };
    // xterm names its process in _NET_WM_PID; xclock and xeyes are found by X-Resource.
    for (std::size_t i = 0; i < 3; ++i)
        EXPECT_EQ(field(entries[i], windowkeys::kOwnerPID), Value(clients[i].pid)) << i;
    const auto frame = server().outerFrame(clients[1].window);
    ASSERT_TRUE(frame);
    const std::pair<std::string_view, Value> fields[] = {
        {windowkeys::kOwnerName, Value("XClock")},
        {windowkeys::kName, Value("list-clock")},
        {windowkeys::kLayer, Value(0)},
        {windowkeys::kIsOnscreen, Value(true)},
        {windowkeys::kBounds, Value(Value::Dictionary{{"X", Value(frame->x)},
                                                      {"Y", Value(frame->y)},
                                                      {"Width", Value(frame->width)},
                                                      {"Height", Value(frame->height)}})}};
    for (const auto& [key, want] : fields) EXPECT_EQ(field(entries[1], key), want) << key;
    // Only what lies above the given window.
    const auto above = list(options | kCGWindowListOptionOnScreenAboveWindow, clients[1].window);
    EXPECT_EQ(above.size(), 1U);
    for (const Value& entry : above) EXPECT_EQ(number(entry), clients[0].window);
}

// One window's element from its first reading to its end: attributes, refusals, and every
// service answering for it once its client has gone.
TEST_F(UnderWindowManager, ElementsAnswerForTheirWindowUntilItIsGone) {
    auto [pid, term] =
        open({"xterm", "-geometry", "50x10+120+90", "-title", "frame-term"}, "frame-term");
    ASSERT_NE(term, XCB_NONE);
    server().activate(term);
    const Element window = Element::window(term);
    const Element app = ax().createApplication(pid);

    const auto expected = server().outerFrame(term);
    ASSERT_TRUE(expected);
    const std::pair<const char*, Value> reads[] = {
        {"AXRole", Value("AXWindow")},    {"AXSubrole", Value("AXStandardWindow")},
        {"AXTitle", Value("frame-term")}, {"AXMinimized", Value(false)},
        {"AXHidden", Value(false)},       {"AXParent", Value(Element::application(pid))}};
    for (const auto& [attribute, want] : reads) EXPECT_EQ(read(term, attribute), want) << attribute;
    Pid owner = 0;
    EXPECT_EQ(ax().getPid(window, owner), AXError::kAXErrorSuccess);
    EXPECT_EQ(owner, pid);
    Value value;
    ASSERT_EQ(ax().copyAttributeValue(app, "AXWindows", value), AXError::kAXErrorSuccess);
    EXPECT_EQ(value, Value(Value::Array{Value(window)}));
    EXPECT_TRUE(waitUntil([&] {
        return ax().copyAttributeValue(app, "AXFocusedWindow", value) == AXError::kAXErrorSuccess &&
               value == Value(window);
    }));

    const struct {
        const char* attribute;
        Value value;
        AXError want;
    } writes[] = {
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
    for (const auto& w : writes)
        EXPECT_EQ(ax().setAttributeValue(window, w.attribute, w.value), w.want) << w.attribute;
    EXPECT_EQ(ax().copyAttributeValue(window, "WindowPosition", value),
              AXError::kAXErrorAttributeUnsupported);
    EXPECT_EQ(ax().copyAttributeValue(app, "AXFrame", value),
              AXError::kAXErrorAttributeUnsupported);
    EXPECT_EQ(ax().performAction(window, "AXMove"), AXError::kAXErrorActionUnsupported);
    EXPECT_EQ(server().outerFrame(term), expected);

    server().kill(pid);
    ASSERT_TRUE(waitUntil([&] { return !server().outerFrame(term); }));
    EXPECT_EQ(ax().copyAttributeValue(window, "AXRole", value), AXError::kAXErrorInvalidUIElement);
    EXPECT_TRUE(value.isNone());
    EXPECT_EQ(ax().setAttributeValue(window, "AXPosition", Value(AXValue::create(Point{1, 1}))),
              AXError::kAXErrorInvalidUIElement);
    EXPECT_EQ(ax().getPid(window, owner), AXError::kAXErrorInvalidUIElement);
    EXPECT_EQ(ax().performAction(window, "AXRaise"), AXError::kAXErrorInvalidUIElement);
    EXPECT_EQ(ax().copyAttributeValue(app, "AXRole", value), AXError::kAXErrorInvalidUIElement);
    EXPECT_EQ(ax().copyAttributeValue(app, "AXWindows", value), AXError::kAXErrorInvalidUIElement);
    EXPECT_EQ(ax().copyAttributeValue(Element::window(0), "AXRole", value),
              AXError::kAXErrorInvalidUIElement);
}

TEST_F(UnderWindowManager, LeavesOutDocksAndMinimizedWindowsWhenAsked) {
    auto [pid, message] = open(
        {"xmessage", "-geometry", "+300+400", "-title", "min-message", "hello"}, "min-message");
    ASSERT_NE(message, XCB_NONE);
    const xcb_window_t dock =
        server().makeWindow(server().root(), {0, 770, 1280, 30}, "_NET_WM_WINDOW_TYPE",
                            XCB_ATOM_ATOM, server().atom("_NET_WM_WINDOW_TYPE_DOCK"));
    ASSERT_TRUE(waitUntil([&] { return lists(kCGWindowListOptionOnScreenOnly, dock); }));
    EXPECT_FALSE(
        lists(kCGWindowListOptionOnScreenOnly | kCGWindowListExcludeDesktopElements, dock));

    xtest::sendRootMessage(server().conn(), server().root(), message,
                           server().atom("WM_CHANGE_STATE"), {3});
    ASSERT_TRUE(waitUntil([&] { return !lists(kCGWindowListOptionOnScreenOnly, message); }));
    EXPECT_TRUE(lists(0, message));
    EXPECT_EQ(read(message, "AXMinimized"), Value(true));
    xcb_destroy_window(server().conn(), dock);
    server().sync();
}

}  // namespace
}  // namespace tugworth::x11::testing
