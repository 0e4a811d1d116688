// The window-list search: which applications are nominated, in which order, and which of
// their windows is returned.
#include "unit/targeting/TargetingFixture.h"

namespace tugworth {
namespace {

using test::failsWith;
using test::reads;

class WindowListSearch : public test::Targeting {
protected:
    void SetUp() override { pointAtAX({300, 250}); }
    std::optional<WindowSearchResult> search() { return delegate.findWindowUnderPointer(); }
};

TEST_F(WindowListSearch, TheFrontMostApplicationUnderThePointerWins) {
    addApp(501, "Back", 1, {100, 100, 400, 300});
    addApp(502, "Front", 2, {100, 100, 400, 300});
    addApp(503, "\xC3\x89mile", 3, {1000, 600, 50, 50});
    addApp(504, "alpha", 4, {1000, 600, 50, 50});
    addApp(505, "", 5, {1000, 600, 50, 50});
    desktop.setStacking({2, 1});
    const auto found = search();
    ASSERT_TRUE(found.has_value());
    EXPECT_EQ(found->window, Element::window(2));
    EXPECT_EQ(found->pid, 502);
    EXPECT_EQ(found->ownerName, "Front");
    EXPECT_TRUE(logged("Window owners: , Back, Front, alpha, \xC3\x89mile"));
    EXPECT_TRUE(
        loggedInOrder({"Window #0: \"Front\" from Front (PID: 502, ID: 2), Layer: 0, "
                       "Frame: (100.0, 100.0, 400.0, 300.0), OnScreen: true",
                       "Window #0: Contains mouse cursor (using flipped coordinates)!",
                       "Window #1 under cursor: \"Back\" from \"Back\" (PID: 501, z-index: 1)",
                       "Selected window from Front (PID: 502) - directly under cursor"}));
}

TEST_F(WindowListSearch, SkipListsOfEachPass) {
    const char* owners[] = {"Dock",          "SystemUIServer", "Tugworth",
                            "WindowServer",  "Control Center", "Notification Center",
                            "Window Server", "Wispr Flow"};
    for (int k = 0; k < 8; ++k) addApp(600 + k, owners[k], 10 + k, {100, 100, 400, 300});
    const auto found = search();
    for (int k = 0; k < 8; ++k) {
        EXPECT_TRUE(
            logged("Window #" + std::to_string(k) + ": Skipping system window or our own app"));
    }
    // Only the fall-back pass takes "Wispr Flow".
    EXPECT_EQ(after("===== ALL WINDOWS =====", 2),
              (std::vector<std::string>{
                  "Window #0: \"Wispr Flow\" from \"Wispr Flow\" (PID: 607, z-index: 7)",
                  "====================="}));
    ASSERT_TRUE(found.has_value());
    EXPECT_EQ(found->ownerName, "Wispr Flow");
}

TEST_F(WindowListSearch, WithNothingUnderThePointerEveryApplicationIsExaminedFrontMostFirst) {
    // The window server places all three far away; only B's element lies under the pointer.
    addApp(501, "A", 1, {1000, 600, 400, 300});
    addApp(502, "B", 2, {1000, 600, 400, 300});
    addApp(4242, "Ourselves", 3, {1000, 600, 400, 300});
    bend(2, "AXPosition", reads(AXValue::create(Point{100, 100})));
    EXPECT_EQ(search().value().window, Element::window(2));
    EXPECT_EQ(
        after("===== ALL WINDOWS =====", 4),
        (std::vector<std::string>{"Window #0: \"A\" from \"A\" (PID: 501, z-index: 0)",
                                  "Window #1: \"B\" from \"B\" (PID: 502, z-index: 1)",
                                  "=====================", "Checking windows for A (PID: 501)"}));
}

TEST_F(WindowListSearch, OurWindowInFrontHidesTheWindowsBehindItFromTheSearch) {
    addApp(501, "XClock", 1, {100, 100, 400, 300});
    addApp(4242, "Tugworth", 2, {200, 200, 300, 200});
    desktop.setStacking({2, 1});
    EXPECT_FALSE(search().has_value());
    EXPECT_TRUE(
        logged("A Tugworth window is in front under the cursor; taking no window behind it"));
    desktop.setStacking({1, 2});
    EXPECT_EQ(search().value().pid, 501);
}

TEST_F(WindowListSearch, TinyWindowsAndFinderDesktopsAreNotNominated) {
    struct Case {
        const char* owner;
        Rect frame;
        const char* title;
        std::string skipLine;  // empty: nominated
    };
    const Case cases[] = {
        {"TextEdit", {290, 240, 9.5, 300}, "Notes", "Skipping tiny window"},
        {"TextEdit", {290, 240, 300, 9.5}, "Notes", "Skipping tiny window"},
        {"TextEdit", {290, 240, 10, 10}, "Notes", ""},
        {"Finder", {100, 100, 400, 300}, "", "Skipping Finder desktop/system window: \"\""},
        {"Finder",
         {50, 50, 1728, 972},
         "Docs",
         "Skipping large Finder window (likely desktop): 1728.0x972.0"},
        {"Finder",
         {10, 10, 400, 300},
         "Docs",
         "Skipping Finder window at screen edge (likely desktop)"},
        {"Finder", {10, 11, 400, 300}, "Docs", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << c.owner << " " << c.frame.width << "x" << c.frame.height);
        clearLog();
        addApp(501, c.owner, 1, c.frame);
        desktop.window(1)->title = c.title;
        search();
        EXPECT_EQ(loggedPrefix("Window #0 under cursor:"), c.skipLine.empty());
        EXPECT_EQ(logged("Window #0: " + c.skipLine), !c.skipLine.empty());
        desktop.quit(501);
    }
}

TEST_F(WindowListSearch, AnApplicationIsExaminedOncePerRecordAndSystemPidsNever) {
    addApp(501, "TextEdit", 1, {100, 100, 400, 300});
    desktop.addWindow(501, 2, {120, 120, 400, 300}, "Other");
    bend(1, "AXPosition", reads(AXValue::create(Point{1200, 700})));  // not where listed
    bend(2, "AXPosition", reads(AXValue::create(Point{1200, 700})));
    addApp(420, "Helper", 3, {100, 100, 400, 300});
    EXPECT_FALSE(search().has_value());
    EXPECT_EQ(count("Checking windows for TextEdit (PID: 501)"), 2U);
    EXPECT_TRUE(logged("Skipping system process: Helper (PID: 420)"));
    EXPECT_EQ(lines().back(), test::debug("No suitable window found under cursor"));
}

TEST_F(WindowListSearch, FinderWithoutAChoiceOfItsOwnIsWalkedLikeAnyApplication) {
    addApp(300, "Finder", 1, {100, 100, 400, 300});
    EXPECT_EQ(search().value().window, Element::window(1));
    EXPECT_TRUE(logged("Successfully got Finder window"));

    clearLog();
    bendApp(300, "AXWindows", failsWith(AXError::kAXErrorCannotComplete));
    bendApp(300, "AXFocusedWindow", failsWith(AXError::kAXErrorCannotComplete));
    EXPECT_EQ(search().value().window,
              Element::window(1));  // the main window, from the generic walk
    EXPECT_TRUE(loggedInOrder({"Found Finder window, using specialized handling",
                               "Using main window from application",
                               "Selected window from Finder (PID: 300) - directly under cursor"}));
}

// Wrong kinds are reported by the first pass; the fall-back pass keeps what it needs.
TEST_F(WindowListSearch, ValuesOfTheWrongKindAreMissingInfo) {
    addApp(501, "TextEdit", 1, {100, 100, 400, 300});
    const auto entry = [](Value owner, Value pid, Value number, Value frame) {
        return Value(Value::Dictionary{{"kCGWindowOwnerName", std::move(owner)},
                                       {"kCGWindowOwnerPID", std::move(pid)},
                                       {"kCGWindowNumber", std::move(number)},
                                       {"kCGWindowBounds", std::move(frame)}});
    };
    const Value frame =
        Value::Dictionary{{"X", 100}, {"Y", 100.0}, {"Width", 400}, {"Height", 300}};
    desktop.setWindowList(Value::Array{
        Value(42),
        entry(7, 501, 1, frame),
        entry("TextEdit", 501.0, 1, frame),
        entry("TextEdit", std::int64_t{0x1'0000'01F5}, 1, frame),  // 501 if truncated
        entry("TextEdit", 501, "1", frame),
        entry("TextEdit", 501, 1, Value::Dictionary{{"X", 100}, {"Y", "100"}}),
        entry("Notes", 501, 1, Value()),
    });
    EXPECT_EQ(search().value().window, Element::window(1));
    for (int i = 0; i < 7; ++i)
        EXPECT_TRUE(logged("Window #" + std::to_string(i) + ": Missing required info"));
    EXPECT_EQ(after("===== ALL WINDOWS =====", 3),
              (std::vector<std::string>{
                  "Window #0: \"Untitled\" from \"TextEdit\" (PID: 501, z-index: 5)",
                  "Window #1: \"Untitled\" from \"Notes\" (PID: 501, z-index: 6)",
                  "====================="}));
}

TEST_F(WindowListSearch, NoWindowListRunsThroughTheFallBackBanners) {
    desktop.setWindowList(Value());
    EXPECT_FALSE(search().has_value());
    EXPECT_EQ(
        after("Found 0 windows on screen", 8),
        (std::vector<std::string>{
            "===== ALL WINDOW OWNERS =====", "Window owners: ", "=============================",
            "No windows found under cursor, considering all windows", "===== ALL WINDOWS =====",
            "=====================", "No suitable window found under cursor"}));
}

}  // namespace
}  // namespace tugworth
