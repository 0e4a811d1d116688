// The mover and the resizer: the strategies the gesture scenarios cannot reach, and chains of
// substitutes that lead back to each other and still end.
#include <ostream>

#include "manipulation/WindowMover.h"
#include "manipulation/WindowResizer.h"
#include "support/SimDesk.h"

namespace tugworth::test {
namespace {

constexpr AXError kUnsupported = AXError::kAXErrorAttributeUnsupported;
constexpr AXError kRefused = AXError::kAXErrorCannotComplete;
constexpr AXError kNoValue = AXError::kAXErrorNoValue;
constexpr Pid kPid = 501;
constexpr std::int64_t kTarget = 12;
constexpr Rect kFrame{100.0, 300.0, 800.0, 600.0};
constexpr double kDx = 20.0, kDy = -10.0;  // one motion: right by 20, down by 10
enum class Op { Move, Resize };

Rect changed(Op op, Rect f) {
    return op == Op::Move ? Rect{f.x + kDx, f.y - kDy, f.width, f.height}
                          : Rect{f.x, f.y, f.width + kDx, f.height - kDy};
}

// One bent answer of a window or an application; no attribute bends all three geometry ones.
struct Bend {
    Element element;
    const char* attribute;
    sim::AttributeOverride how;
};
Bend W(std::int64_t id, const char* attribute, sim::AttributeOverride how) {
    return {Element::window(id), attribute, std::move(how)};
}
Bend A(Pid pid, const char* attribute, sim::AttributeOverride how) {
    return {Element::application(pid), attribute, std::move(how)};
}
Bend refused(std::int64_t id) {
    return W(id, nullptr, refusesWrites(kRefused));
}
Bend unreadable(std::int64_t id) {
    return W(id, nullptr, failsWith(kUnsupported));
}
sim::AttributeOverride readsWindow(std::int64_t id) {
    return reads(Element::window(id));
}

// Windows 11, 12 (the target) and 13 of TextEdit, 22 and 32 of two other applications.
struct App : SimDesk {
    App() {
        desktop.addProcess(kPid, "TextEdit");
        for (std::int64_t id : {11, 12, 13}) desktop.addWindow(kPid, id, kFrame);
        desktop.addProcess(502, "Helper");
        desktop.addWindow(502, 22, kFrame);
        desktop.addProcess(503, "Other");
        desktop.addWindow(503, 32, kFrame);
    }
    void apply(const std::vector<Bend>& bends) {
        for (const Bend& b : bends) {
            if (b.attribute != nullptr) {
                bend(b.element, b.attribute, b.how);
                continue;
            }
            for (const char* name : {"AXFrame", "AXPosition", "AXSize"})
                bend(b.element, name, b.how);
        }
    }
    bool manipulate(Op op) {
        const Element target = Element::window(kTarget);
        if (op == Op::Move)
            return WindowMover(accessibility(), log, target, kPid).manipulate(kDx, kDy);
        return WindowResizer(accessibility(), log, target, kPid).manipulate(kDx, kDy);
    }
};

struct Row {
    const char* name;
    std::vector<Bend> bends;
    bool succeeds;
    std::int64_t changed = 0;  // the one window that ends up changed, if any
    Rect frame{};              // where it ends up, if not simply moved or resized
    friend void PrintTo(const Row& row, std::ostream* out) { *out << row.name; }
};

void expectOutcome(App& app, Op op, const Row& row) {
    EXPECT_EQ(app.manipulate(op), row.succeeds);
    for (std::int64_t id : {11, 12, 13, 22, 32}) {
        if (app.desktop.window(id) == nullptr) continue;
        const Rect expected = row.frame.width > 0 ? row.frame : changed(op, kFrame);
        EXPECT_EQ(app.frameOf(id), id == row.changed ? expected : kFrame) << id;
    }
}

// The strategies the gesture scenarios cannot reach: their capture reads the position and the
// size that these targets do not answer.
TEST(Strategy, MoveReadsThePointUnderTheAlternativeNameWhenValuesAreOfOtherKinds) {
    App a;
    a.apply({W(kTarget, "AXFrame", reads("not geometry")), W(kTarget, "AXPosition", reads(Value())),
             W(kTarget, "Position", reads(AXValue::create(Size{1.0, 1.0}))),
             W(kTarget, "WindowPosition", reads(AXValue::create(Point{40, 50})))});
    expectOutcome(a, Op::Move, {"", {}, true, kTarget, {60.0, 60.0, 800.0, 600.0}});
}

// When the target takes no change, one substitute does, or none, and the search ends.
class FallbackChain : public ::testing::TestWithParam<std::tuple<Op, Row>>, public App {};

TEST_P(FallbackChain, HandsTheChangeToOneSubstituteAndEnds) {
    const auto& [op, row] = GetParam();
    apply(row.bends);
    expectOutcome(*this, op, row);
}

const Row kChains[] = {
    {"Parent", {unreadable(kTarget), W(kTarget, "AXParent", readsWindow(13))}, true, 13},
    {"MainWindow", {unreadable(kTarget)}, true, 11},
    // The target is positionable: only equality drops it as the main window.
    {"FocusedWindowWhenTheMainWindowIsTheTarget",
     {refused(kTarget), A(kPid, "AXMainWindow", readsWindow(kTarget)),
      A(kPid, "AXFocusedWindow", readsWindow(13))},
     true,
     13},
    {"ApplicationElement",
     {unreadable(kTarget), W(kTarget, "AXParent", failsWith(kNoValue)),
      A(kPid, "AXMainWindow", failsWith(kNoValue)), A(kPid, "AXFocusedWindow", failsWith(kNoValue)),
      A(kPid, "AXFrame",
        [] {
            sim::AttributeOverride frame = reads(AXValue::create(Rect{0, 0, 640, 480}));
            frame.write = AXError::kAXErrorSuccess;
            return frame;
        }())},
     true},
    // The parent fails its validation; the main window, which would accept, is not tried.
    {"ParentAloneDecides",
     {unreadable(kTarget), W(kTarget, "AXParent", readsWindow(13)),
      W(13, "AXRole", failsWith(AXError::kAXErrorInvalidUIElement))},
     false},
    {"MainAndFocusedLeadingBackToEachOther",
     {refused(11), refused(kTarget), A(kPid, "AXFocusedWindow", readsWindow(kTarget))},
     false},
    {"ParentsNamingEachOther",
     {refused(kTarget), refused(13), W(kTarget, "AXParent", readsWindow(13)),
      W(13, "AXParent", readsWindow(kTarget)), A(kPid, "AXMainWindow", readsWindow(13)),
      A(kPid, "AXFocusedWindow", readsWindow(kTarget))},
     false},
    // Three applications, each naming a window of the next as its main or focused window.
    {"ThreeWindowsNamingTheNext",
     {refused(kTarget), refused(22), refused(32), A(kPid, "AXMainWindow", readsWindow(kTarget)),
      A(kPid, "AXFocusedWindow", readsWindow(22)), A(502, "AXMainWindow", readsWindow(32)),
      A(503, "AXMainWindow", readsWindow(kTarget)), A(503, "AXFocusedWindow", readsWindow(22))},
     false},
};

INSTANTIATE_TEST_SUITE_P(, FallbackChain,
                         ::testing::Combine(::testing::Values(Op::Move, Op::Resize),
                                            ::testing::ValuesIn(kChains)),
                         [](const auto& row) {
                             return (std::get<0>(row.param) == Op::Move ? "Move" : "Resize") +
                                    std::string(std::get<1>(row.param).name);
                         });

TEST(ElementAccess, PositioningNeedsOnlyASuccessfulPositionOrFrameRead) {
    App a;
    a.apply({W(11, "AXFrame", failsWith(kUnsupported)),     // the position alone will do
             W(12, "AXPosition", failsWith(kUnsupported)),  // and so will the frame alone
             W(13, "AXPosition", failsWith(kUnsupported)), W(13, "AXFrame", failsWith(kNoValue)),
             W(22, "AXPosition", reads("somewhere"))});  // the kind is not looked at
    for (std::int64_t id : {11, 12, 13, 22})
        EXPECT_EQ(supportsPositioning(a.accessibility(), a.log, Element::window(id)), id != 13);
}

// The stand-in for a target that cannot be positioned: the first match wins.
TEST(ElementAccess, AlternativeSearchTakesTheFirstMatch) {
    const auto only = [](Value::Array windows) {
        return A(kPid, "AXWindows", reads(Value(std::move(windows))));
    };
    const Value target = Element::window(kTarget);
    const struct {
        std::vector<Bend> bends;
        std::optional<Element> found;
    } searches[] = {
        {{unreadable(11)}, Element::window(13)},  // another positionable window of its own
        {{only({target}), A(kPid, "AXMainWindow", readsWindow(22))}, Element::window(22)},
        {{only({target}), A(kPid, "AXMainWindow", readsWindow(kTarget)),
          A(kPid, "AXFocusedWindow", readsWindow(22))},
         Element::window(22)},
        {{only({target}), A(kPid, "AXMainWindow", readsWindow(kTarget)),
          A(kPid, "AXFocusedWindow", readsWindow(kTarget)),
          A(kPid, "AXFrame", reads(AXValue::create(Rect{0.0, 0.0, 10.0, 10.0})))},
         Element::application(kPid)},
        {{only({target}), A(kPid, "AXMainWindow", readsWindow(kTarget)),
          A(kPid, "AXFocusedWindow", readsWindow(kTarget))},
         std::nullopt},
        // A list holding anything but elements is no list at all.
        {{only({Element::window(13), "x"}), A(kPid, "AXMainWindow", failsWith(kNoValue)),
          A(kPid, "AXFocusedWindow", failsWith(kNoValue))},
         std::nullopt},
    };
    for (const auto& s : searches) {
        App a;
        a.apply(s.bends);
        WindowManipulator manipulator(a.accessibility(), a.log, Element::window(kTarget), kPid);
        EXPECT_EQ(manipulator.findAlternativeWindow(), s.found) << &s - searches;
    }
}

}  // namespace
}  // namespace tugworth::test
