// Each strategy of the mover and the resizer, reached when the ones before it are refused.
#include <functional>

#include "SimApp.h"

namespace tugworth {
namespace {

constexpr std::int64_t kTarget = SimApp::kTarget;
constexpr Rect kMoved{120.0, 310.0, 800.0, 600.0};    // (x + dx, y - dy)
constexpr Rect kResized{100.0, 300.0, 820.0, 610.0};  // (width + dx, height - dy)

const std::string kMove = "[INFO] Moving window by dx: 20.0, dy: -10.0";
const std::string kMoveFrame = "[DEBUG] Moving using frame - dx: 20.0, dy: -10.0";
const std::string kMovePosition = "[DEBUG] Moving using position: dx: 20.0, dy: -10.0";
const std::string kResize = "[INFO] Resizing window by dx: 20.0, dy: -10.0";
const std::string kResizeFrame = "[DEBUG] Resizing using frame - dx: 20.0, dy: -10.0";
const std::string kFrameRead = "[DEBUG] Current window frame: (100.0, 300.0, 800.0, 600.0)";
const std::string kPositionRead = "[DEBUG] Current window position: (100.0, 300.0)";
const std::string kSizeRead =
    "[DEBUG] Current window size: (800.0, 600.0), adjusting by dx: 20.0, dy: -10.0";
const std::string kNoFrame = "[DEBUG] Window doesn't support frame attribute: -25205";
const std::string kNoPosition = "[DEBUG] Window doesn't support position attribute: -25205";
const std::string kNoSize = "[ERROR] Failed to read window size: -25205";
const std::string kFrameRefused = "[ERROR] Failed to set window frame: -25204";
const std::string kPositionRefused = "[ERROR] Failed to set window position: -25204";
const std::string kNotPositionable =
    "[DEBUG] Window doesn't support positioning: position=-25205, frame=-25205";

struct StrategyCase {
    const char* name;
    Op op;
    std::function<void(SimApp&)> quirks;
    bool succeeds;
    Lines expected;
    Rect frame;  // where the target ends up
    friend void PrintTo(const StrategyCase& row, std::ostream* out) { *out << row.name; }
};

class Strategy : public ::testing::TestWithParam<StrategyCase>, public SimApp {};

TEST_P(Strategy, LogsEachStepAndChangesTheWindowOnce) {
    addWindow(kTarget);
    GetParam().quirks(*this);
    EXPECT_EQ(manipulate(*this, GetParam().op, kTarget), GetParam().succeeds);
    EXPECT_EQ(lines(), GetParam().expected);
    EXPECT_EQ(frameOf(kTarget), GetParam().frame);
}

void answerPositionAs(SimApp& app, const char* name, Point position) {
    app.quirk(kTarget, name).value = AXValue::create(position);  // and writes under it move
}

const StrategyCase kCases[] = {
    {"MoveFrame",
     Op::Move,
     [](SimApp&) {},
     true,
     {kMove, kMoveFrame, kFrameRead, "[SUCCESS] Window frame set"},
     kMoved},
    {"MovePositionAfterRefusedFrame",
     Op::Move,
     [](SimApp& app) { app.quirk(kTarget, "AXFrame").write = kRefused; },
     true,
     {kMove, kMoveFrame, kFrameRead, kFrameRefused, "[SUCCESS] Window position set separately"},
     kMoved},
    {"MoveAlternativeNameAfterRefusedFrameAndPosition",
     Op::Move,
     [](SimApp& app) {
         app.refuseWrites(kTarget);
         answerPositionAs(app, "Position", {0.0, 0.0});
     },
     true,
     {kMove, kMoveFrame, kFrameRead, kFrameRefused,
      "[ERROR] Failed to set window position separately: -25204",
      "[SUCCESS] Window position set using alternative attribute: Position"},
     kMoved},
    {"MovePositionWhenFrameIsBoxedAsAPoint",
     Op::Move,
     [](SimApp& app) { app.quirk(kTarget, "AXFrame").value = AXValue::create(Point{}); },
     true,
     {kMove, kMoveFrame, kMovePosition, kPositionRead, "[SUCCESS] Window position set"},
     kMoved},
    {"MoveAlternativeNameBeforeMoveAction",
     Op::Move,
     [](SimApp& app) {
         app.quirk(kTarget, "AXFrame").read = kUnsupported;
         app.quirk(kTarget, "AXPosition").write = kRefused;
         answerPositionAs(app, "WindowPosition", {0.0, 0.0});
         app.desktop.window(kTarget)->actions = {"AXMove"};
     },
     true,
     {kMove, kMoveFrame, kNoFrame, kMovePosition, kPositionRead, kPositionRefused,
      "[SUCCESS] Window position set using alternative attribute: WindowPosition"},
     kMoved},
    // The action carries no delta: the application moves the window its own way.
    {"MoveAction",
     Op::Move,
     [](SimApp& app) {
         app.quirk(kTarget, "AXFrame").read = kUnsupported;
         app.quirk(kTarget, "AXPosition").write = kRefused;
         app.desktop.window(kTarget)->actions = {"AXRaise", "AXMove"};
     },
     true,
     {kMove, kMoveFrame, kNoFrame, kMovePosition, kPositionRead, kPositionRefused,
      "[SUCCESS] Window moved using AXMoveAction"},
     SimApp::kFrame},
    // Without a readable position, the point is read under the alternative name itself.
    {"MoveAlternativeNameReadWhenValuesAreOfOtherKinds",
     Op::Move,
     [](SimApp& app) {
         app.quirk(kTarget, "AXFrame").value = Value("not geometry");
         app.quirk(kTarget, "AXPosition").value = Value();  // success without a value
         app.quirk(kTarget, "Position").value = AXValue::create(Size{1.0, 1.0});
         answerPositionAs(app, "WindowPosition", {40.0, 50.0});
     },
     true,
     {kMove, kMoveFrame, "[DEBUG] Window doesn't support frame attribute: 0", kMovePosition,
      "[DEBUG] Window doesn't support position attribute: 0",
      "[SUCCESS] Window position set using alternative attribute: WindowPosition"},
     {60.0, 60.0, 800.0, 600.0}},
    {"MoveRefusedEverywhere",
     Op::Move,
     [](SimApp& app) { app.failReads(kTarget); },
     false,
     {kMove, kMoveFrame, kNoFrame, kMovePosition, kNoPosition, kNotPositionable, kNotPositionable,
      kNotPositionable,                                  // parent, main, focused
      kMoveFrame, kNoFrame, kMovePosition, kNoPosition,  // the application element
      "[WARNING] All window movement methods failed"},
     SimApp::kFrame},
    {"ResizeFrame",
     Op::Resize,
     [](SimApp&) {},
     true,
     {kResize, kResizeFrame, kFrameRead, "[SUCCESS] Window frame resized"},
     kResized},
    {"ResizeSizeAfterRefusedFrame",
     Op::Resize,
     [](SimApp& app) { app.quirk(kTarget, "AXFrame").write = kRefused; },
     true,
     {kResize, kResizeFrame, kFrameRead, kFrameRefused, kSizeRead, "[SUCCESS] Window size set"},
     kResized},
    {"ResizeSizeWhenFrameIsNoGeometry",
     Op::Resize,
     [](SimApp& app) { app.quirk(kTarget, "AXFrame").value = Value(42); },
     true,
     {kResize, kResizeFrame, "[DEBUG] Window doesn't support frame attribute: 0", kSizeRead,
      "[SUCCESS] Window size set"},
     kResized},
    // The main and focused windows are the positionable target itself: dropped without a line.
    {"ResizeRefusedEverywhere",
     Op::Resize,
     [](SimApp& app) {
         app.quirk(kTarget, "AXFrame").write = kRefused;
         app.quirk(kTarget, "AXSize").read = kUnsupported;
     },
     false,
     {kResize, kResizeFrame, kFrameRead, kFrameRefused, kNoSize, kNotPositionable, kResizeFrame,
      kNoFrame, kNoSize, "[WARNING] All window resizing methods failed"},
     SimApp::kFrame},
};

INSTANTIATE_TEST_SUITE_P(, Strategy, ::testing::ValuesIn(kCases),
                         [](const auto& row) { return std::string(row.param.name); });

class MoveAction : public ::testing::Test, public SimApp {};

// The application would perform "AXMove", but lists it only under other spellings.
TEST_F(MoveAction, IsPerformedOnlyWhenListedUnderItsExactName) {
    addWindow(kTarget);
    quirk(kTarget, "AXFrame").read = kUnsupported;
    quirk(kTarget, "AXPosition").write = kRefused;
    quirk(kTarget, "AXActions").value = Value(Value::Array{"axmove", "AXMoveTo"});
    quirk(kTarget, "AXActions").perform["AXMove"] = AXError::kAXErrorSuccess;

    EXPECT_FALSE(manipulate(*this, Op::Move, kTarget));
    ASSERT_GT(lines().size(), 6U);
    EXPECT_EQ(lines()[5], kPositionRefused);
    EXPECT_EQ(lines()[6], kNotPositionable);  // straight on to the fall-backs
}

struct Bound {
    Size before;
    double dx;
    double dy;
    Size after;
    friend void PrintTo(const Bound& b, std::ostream* out) {
        *out << b.before.width << "x" << b.before.height;
    }
};

// Through the frame strategy, and through the size strategy when the frame write is refused.
class MinimumSize : public ::testing::TestWithParam<std::tuple<Bound, bool>>, public SimApp {};

TEST_P(MinimumSize, BoundsEachDimensionSeparately) {
    const auto& [bound, frameRefused] = GetParam();
    addWindow(kTarget, kPid, {10.0, 20.0, bound.before.width, bound.before.height});
    if (frameRefused) quirk(kTarget, "AXFrame").write = kRefused;
    WindowResizer resizer(desktop.platform().accessibility, log, Element::window(kTarget), kPid);

    EXPECT_TRUE(resizer.manipulate(bound.dx, bound.dy));
    EXPECT_EQ(frameOf(kTarget), (Rect{10.0, 20.0, bound.after.width, bound.after.height}));
}

INSTANTIATE_TEST_SUITE_P(
    , MinimumSize,
    ::testing::Combine(
        ::testing::Values(Bound{{60.0, 60.0}, -30.0, 0.0, {50.0, 60.0}},
                          Bound{{400.0, 60.0}, 0.0, 40.0, {400.0, 50.0}},
                          Bound{{30.0, 20.0}, -5.0, 0.0, {50.0, 50.0}},  // snaps out at once
                          Bound{{49.5, 200.0}, 0.75, 0.0, {50.25, 200.0}}),
        ::testing::Bool()));

}  // namespace
}  // namespace tugworth
