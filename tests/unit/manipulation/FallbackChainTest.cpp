// What the mover and the resizer share: validation ends the chain, the fall-backs hand the
// operation to one substitute, and substitutes that lead back to each other still end.
#include <functional>

#include "SimApp.h"

namespace tugworth {
namespace {

constexpr std::int64_t kTarget = SimApp::kTarget;
constexpr Pid kPid = SimApp::kPid;
const std::string kParent = "[DEBUG] Trying parent element";
const std::string kMain = "[DEBUG] Trying application's main window";
const std::string kFocused = "[DEBUG] Trying application's focused window";

std::string info(Op op) {
    return op == Op::Move ? "[INFO] Moving window by dx: 20.0, dy: -10.0"
                          : "[INFO] Resizing window by dx: 20.0, dy: -10.0";
}
std::string direct(Op op) {
    return op == Op::Move ? "[DEBUG] Moved application window directly"
                          : "[DEBUG] Resized application window directly";
}
std::string warning(Op op) {
    return op == Op::Move ? "[WARNING] All window movement methods failed"
                          : "[WARNING] All window resizing methods failed";
}
Rect changed(Op op, Rect f) {
    return op == Op::Move ? Rect{f.x + kDx, f.y - kDy, f.width, f.height}
                          : Rect{f.x, f.y, f.width + kDx, f.height - kDy};
}

// The entries into manipulate, the hand-overs between them and how the chain ended.
Lines outline(const Lines& lines) {
    Lines kept;
    for (const std::string& line : lines) {
        if (line.starts_with("[INFO]") || line.starts_with("[DEBUG] Trying") ||
            line.starts_with("[WARNING]") || line.ends_with("window directly")) {
            kept.push_back(line);
        }
    }
    return kept;
}

// How a chain ends: a window changed, the application element took the change, every way was
// refused, or a substitute failed its validation.
enum class End { Changed, Direct, Warned, Invalid };

struct Chain {
    const char* name;
    std::function<void(SimApp&)> setup;  // the target is window 12
    End end;
    Lines handOvers;           // in order; one entry into manipulate follows each
    std::int64_t changed = 0;  // the one window that ends up changed, if any
    friend void PrintTo(const Chain& row, std::ostream* out) { *out << row.name; }
};

class FallbackChain : public ::testing::TestWithParam<std::tuple<Op, Chain>>, public SimApp {};

TEST_P(FallbackChain, HandsOverInOrderAndEnds) {
    const auto& [op, row] = GetParam();
    addWindow(11);  // the first window: main and focused window unless told otherwise
    addWindow(kTarget);
    addWindow(13);
    row.setup(*this);

    EXPECT_EQ(manipulate(*this, op, kTarget), row.end == End::Changed || row.end == End::Direct);
    Lines expected{info(op)};
    for (const std::string& handOver : row.handOvers) {
        expected.push_back(handOver);
        expected.push_back(info(op));
    }
    if (row.end == End::Warned) expected.push_back(warning(op));
    if (row.end == End::Direct) expected.push_back(direct(op));
    EXPECT_EQ(outline(lines()), expected);
    for (std::int64_t id : {11, 12, 13, 22, 32}) {
        if (desktop.window(id) == nullptr) continue;
        EXPECT_EQ(frameOf(id), id == row.changed ? changed(op, kFrame) : kFrame) << id;
    }
}

const Chain kChains[] = {
    {"Parent",
     [](SimApp& app) {
         app.failReads(kTarget);
         app.desktop.window(kTarget)->parent = 13;
     },
     End::Changed,
     {kParent},
     13},
    {"MainWindow", [](SimApp& app) { app.failReads(kTarget); }, End::Changed, {kMain}, 11},
    {"FocusedWindowWhenTheMainWindowIsTheTarget",
     [](SimApp& app) {
         app.refuseWrites(kTarget);  // positionable: only equality drops it as main window
         app.appQuirk(kPid, "AXMainWindow").value = Element::window(kTarget);
         app.appQuirk(kPid, "AXFocusedWindow").value = Element::window(13);
     },
     End::Changed,
     {kFocused},
     13},
    {"ApplicationElement",
     [](SimApp& app) {
         app.failReads(kTarget);
         app.quirk(kTarget, "AXParent").read = AXError::kAXErrorNoValue;
         app.appQuirk(kPid, "AXMainWindow").read = AXError::kAXErrorNoValue;
         app.appQuirk(kPid, "AXFocusedWindow").read = AXError::kAXErrorNoValue;
         app.appQuirk(kPid, "AXFrame").value = AXValue::create(Rect{0.0, 0.0, 640.0, 480.0});
         app.appQuirk(kPid, "AXFrame").write = AXError::kAXErrorSuccess;
     },
     End::Direct,
     {}},
    // The parent fails its validation; the main window, which would accept, is not tried.
    {"ParentAloneDecides",
     [](SimApp& app) {
         app.failReads(kTarget);
         app.desktop.window(kTarget)->parent = 13;
         app.quirk(13, "AXRole").read = AXError::kAXErrorInvalidUIElement;
     },
     End::Invalid,
     {kParent}},
    // The target is the focused window, window 11 the main window; neither accepts anything.
    {"MainAndFocusedLeadingBackToEachOther",
     [](SimApp& app) {
         app.refuseWrites(11);
         app.refuseWrites(kTarget);
         app.appQuirk(kPid, "AXFocusedWindow").value = Element::window(kTarget);
     },
     End::Warned,
     {kMain}},
    {"ParentsNamingEachOther",
     [](SimApp& app) {
         app.refuseWrites(kTarget);
         app.refuseWrites(13);
         app.desktop.window(kTarget)->parent = 13;
         app.desktop.window(13)->parent = kTarget;
         app.appQuirk(kPid, "AXMainWindow").value = Element::window(13);
         app.appQuirk(kPid, "AXFocusedWindow").value = Element::window(kTarget);
     },
     End::Warned,
     {kParent}},
    // Three applications, each naming a window of the next as its main or focused window.
    {"ThreeWindowsNamingTheNext",
     [](SimApp& app) {
         app.addWindow(22, 502);
         app.addWindow(32, 503);
         for (std::int64_t id : {kTarget, std::int64_t{22}, std::int64_t{32}}) app.refuseWrites(id);
         app.appQuirk(kPid, "AXMainWindow").value = Element::window(kTarget);
         app.appQuirk(kPid, "AXFocusedWindow").value = Element::window(22);
         app.appQuirk(502, "AXMainWindow").value = Element::window(32);
         app.appQuirk(503, "AXMainWindow").value = Element::window(kTarget);
         app.appQuirk(503, "AXFocusedWindow").value = Element::window(22);
     },
     End::Warned,
     {kFocused, kMain}},
};

std::string chainName(const ::testing::TestParamInfo<std::tuple<Op, Chain>>& row) {
    const Op op = std::get<0>(row.param);
    return (op == Op::Move ? "Move" : "Resize") + std::string(std::get<1>(row.param).name);
}

INSTANTIATE_TEST_SUITE_P(, FallbackChain,
                         ::testing::Combine(::testing::Values(Op::Move, Op::Resize),
                                            ::testing::ValuesIn(kChains)),
                         chainName);

class Validation : public ::testing::TestWithParam<Op>, public SimApp {};

TEST_P(Validation, FailureEndsTheChainWithoutFallingBack) {
    addWindow(11);  // the main window, which would accept anything
    addWindow(kTarget);
    desktop.setTrusted(false);
    EXPECT_FALSE(manipulate(*this, GetParam(), kTarget));
    desktop.setTrusted(true);
    desktop.closeWindow(kTarget);
    EXPECT_FALSE(manipulate(*this, GetParam(), kTarget));

    EXPECT_EQ(lines(),
              (Lines{info(GetParam()), "[ERROR] Accessibility permissions not granted",
                     info(GetParam()), "[ERROR] Window reference is no longer valid: -25202"}));
    EXPECT_EQ(frameOf(11), kFrame);
}

// What was tried belongs to one call: the next motion event may use the same substitute.
TEST_P(Validation, ManipulatorServesSeveralEvents) {
    addWindow(11);
    addWindow(kTarget);
    failReads(kTarget);
    auto& ax = desktop.platform().accessibility;
    WindowMover mover(ax, log, Element::window(kTarget), kPid);
    WindowResizer resizer(ax, log, Element::window(kTarget), kPid);
    WindowManipulator& manipulator = GetParam() == Op::Move
                                         ? static_cast<WindowManipulator&>(mover)
                                         : static_cast<WindowManipulator&>(resizer);
    EXPECT_TRUE(manipulator.manipulate(kDx, kDy));
    EXPECT_TRUE(manipulator.manipulate(kDx, kDy));
    EXPECT_EQ(frameOf(11), changed(GetParam(), changed(GetParam(), kFrame)));
}

INSTANTIATE_TEST_SUITE_P(, Validation, ::testing::Values(Op::Move, Op::Resize),
                         [](const auto& row) { return row.param == Op::Move ? "Move" : "Resize"; });

}  // namespace
}  // namespace tugworth
