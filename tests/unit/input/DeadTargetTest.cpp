// A target whose window or process goes away mid-gesture is dropped, and the next motion
// event captures what lies under the pointer then; a target that merely refuses is kept.
#include <ostream>

#include "GestureFixture.h"

namespace tugworth::test {
namespace {

enum class Loss { WindowClosed, ProcessQuit };

struct DeadTargetCase {
    const char* name;
    bool resizing;
    Loss loss;
    friend void PrintTo(const DeadTargetCase& row, std::ostream* out) { *out << row.name; }
};

class DeadTarget : public GestureTest, public ::testing::WithParamInterface<DeadTargetCase> {
protected:
    static constexpr Pid kOtherApp = 502;
    static constexpr std::int64_t kBehind = 14;
    static constexpr Rect kBehindFrame{50.0, 50.0, 700.0, 500.0};  // also under the pointer

    DeadTarget() {
        desktop.addProcess(kOtherApp, "Preview");
        desktop.addWindow(kOtherApp, kBehind, kBehindFrame, "Behind");
        desktop.setStacking({kWindow, kBehind});
    }
    void loseTarget(Loss loss) {
        if (loss == Loss::WindowClosed) {
            desktop.closeWindow(kWindow);
        } else {
            desktop.quit(kApp);
        }
    }
    std::uint64_t chord() const {
        return GetParam().resizing ? kCommandControlShift : kCommandControl;
    }
    Rect afterStep(Rect frame, double dx) const {
        if (GetParam().resizing)
            frame.width += dx;
        else
            frame.x += dx;
        return frame;
    }
};

TEST_P(DeadTarget, IsDroppedOnceAndTheNextMotionRecaptures) {
    const DeadTargetCase& row = GetParam();
    installMonitors();
    desktop.sendFlagsChanged(chord());
    ASSERT_EQ(delegate.targetWindow, Element::window(kWindow));
    loseTarget(row.loss);
    desktop.logCapture().clear();

    moveBy(10.0, 0.0);
    const char* step = row.resizing ? "Resizing window by dx: 10.0, dy: 0.0"
                                    : "Moving window by dx: 10.0, dy: 0.0";
    const std::vector<std::string> failedStep{
        std::string("[DEBUG] ") + step,
        std::string("[INFO] ") + step,
        "[ERROR] Window reference is no longer valid: -25202",
        // The alternative search has no process to ask: the dead window names none.
        "[DEBUG] Window doesn't support positioning: position=-25202, frame=-25202",
        "[DEBUG] No suitable alternative window found",
        "[DEBUG] Target window has gone, dropping it",
    };
    EXPECT_EQ(lines(), failedStep);
    EXPECT_FALSE(delegate.targetWindow.has_value());
    EXPECT_EQ(delegate.isResizing, row.resizing);  // the gesture itself goes on
    EXPECT_EQ(delegate.isDragging, !row.resizing);

    moveBy(10.0, 0.0);  // recaptures; the delta is measured from here
    EXPECT_EQ(delegate.targetWindow, Element::window(kBehind));
    EXPECT_EQ(frameOf(kBehind), kBehindFrame);
    moveBy(10.0, 0.0);
    EXPECT_EQ(frameOf(kBehind), afterStep(kBehindFrame, 10.0));
    EXPECT_EQ(linesWith("dropping it").size(), 1U);
}

const DeadTargetCase kDeadTargetCases[] = {
    {"DragWindowClosed", false, Loss::WindowClosed},
    {"DragProcessQuit", false, Loss::ProcessQuit},
    {"ResizeWindowClosed", true, Loss::WindowClosed},
    {"ResizeProcessQuit", true, Loss::ProcessQuit},
};

INSTANTIATE_TEST_SUITE_P(Losses, DeadTarget, ::testing::ValuesIn(kDeadTargetCases),
                         [](const auto& row) { return std::string(row.param.name); });

// Refusing every write is not dying: the target stays, and each motion tries it again.
TEST_F(GestureTest, ALiveTargetThatRefusesEveryStrategyIsKept) {
    auto& attributes = desktop.window(kWindow)->attributes;
    for (const char* name : {"AXFrame", "AXPosition", "AXSize"}) {
        attributes[name].write = AXError::kAXErrorCannotComplete;
    }
    installMonitors();
    desktop.sendFlagsChanged(kCommandControl);
    moveBy(10.0, 0.0);
    moveBy(10.0, 0.0);
    EXPECT_EQ(delegate.targetWindow, Element::window(kWindow));
    EXPECT_EQ(linesWith("[WARNING] All window movement methods failed").size(), 2U);
    EXPECT_TRUE(linesWith("dropping it").empty());
    EXPECT_EQ(linesWith("CAPTURE WINDOW START").size(), 1U);
}

}  // namespace
}  // namespace tugworth::test
