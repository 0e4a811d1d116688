// An application's own window elements, their fall-backs, and the names of processes.
#include "unit/targeting/TargetingFixture.h"

namespace tugworth {
namespace {

using test::failsWith;
using test::reads;

class Enumeration : public test::Targeting {};

TEST_F(Enumeration, SystemProcessesAreNeverAsked) {
    for (Pid pid : {0, 1, 420}) {
        clearLog();
        addApp(pid, "system", 1000 + pid, {100, 100, 400, 300});
        EXPECT_TRUE(delegate.getAllAccessibleWindows(pid).empty());
        EXPECT_EQ(lines().size(), 3U);
        EXPECT_EQ(lines().back(),
                  test::debug("Skipping system process with PID: " + std::to_string(pid)));
    }
}

TEST_F(Enumeration, MinimizedAndHiddenWindowsAreLeftOutButKeepTheirIndex) {
    desktop.addProcess(501, "TextEdit");
    desktop.addWindow(501, 10, {0, 0, 300, 200}, "Old").minimized = true;
    desktop.addWindow(501, 11, {100, 100, 400, 300}, "Notes");
    desktop.addWindow(501, 12, {0, 0, 300, 200}, "Secret").hidden = true;
    bend(11, "AXTitle", failsWith(AXError::kAXErrorNoValue));
    EXPECT_EQ(delegate.getAllAccessibleWindows(501), std::vector<Element>{Element::window(11)});
    EXPECT_TRUE(loggedInOrder({
        "Skipping window #0: \"Old\" - minimized: true, hidden: false",
        "Including window #1: \"Untitled\"",
        "Window #1: \"Untitled\", Subrole: AXStandardWindow, AX Position: (100.0, 100.0), "
        "Size: (400.0, 300.0)",
        "Skipping window #2: \"Secret\" - minimized: false, hidden: true",
    }));

    // Every window left out: the answer is empty, without the fall-backs.
    desktop.window(11)->minimized = true;
    EXPECT_TRUE(delegate.getAllAccessibleWindows(501).empty());
}

TEST_F(Enumeration, FallsBackToFocusedThenMainWindowThenTheApplication) {
    struct Case {
        sim::AttributeOverrides app;
        Element expected;
        std::vector<std::string> lines;
    };
    const Case cases[] = {
        // The focused window is taken even though it is minimized.
        {{{"AXWindows", reads(Value::Array{})}},
         Element::window(20),
         {"Failed to get windows list: 0", "Using focused window from application"}},
        {{{"AXWindows", failsWith(AXError::kAXErrorCannotComplete)},
          {"AXFocusedWindow", failsWith(AXError::kAXErrorAttributeUnsupported)},
          {"AXMainWindow", reads(Element::window(21))}},
         Element::window(21),
         {"Failed to get windows list: -25204", "Failed to get focused window: -25205",
          "Using main window from application"}},
        // Values of the wrong kind count as failed reads.
        {{{"AXWindows", reads(Value::Array{Element::window(20), Value("x")})},
          {"AXFocusedWindow", reads("window")},
          {"AXMainWindow", reads(Value())}},
         Element::application(501),
         {"Failed to get windows list: 0", "Failed to get focused window: 0",
          "Failed to get main window: 0", "Using application as fallback"}},
    };
    desktop.addProcess(501, "TextEdit");
    desktop.addWindow(501, 20, {0, 0, 300, 200}, "A").minimized = true;
    desktop.addWindow(501, 21, {0, 0, 300, 200}, "B");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.lines.front());
        clearLog();
        desktop.process(501)->app = c.app;
        EXPECT_EQ(delegate.getAllAccessibleWindows(501), std::vector<Element>{c.expected});
        EXPECT_TRUE(loggedInOrder(c.lines));
    }
}

TEST_F(Enumeration, ProcessNames) {
    desktop.addProcess(4242, "Something Else");  // our own pid
    desktop.addProcess(502, std::nullopt);
    EXPECT_EQ(delegate.processName(4242), "Tugworth");
    EXPECT_EQ(delegate.processName(502), "Unknown");
    EXPECT_EQ(delegate.processName(999), "Unknown");
}

}  // namespace
}  // namespace tugworth
