// The mover and the resizer: which strategy or substitute takes the change, the minimum size,
// and chains of substitutes that lead back to each other and still end.
#include <functional>
#include <ostream>

#include "manipulation/WindowMover.h"
#include "manipulation/WindowResizer.h"
#include "support/SimDesk.h"

namespace tugworth::test {
namespace {

constexpr AXError kUnsupported = AXError::kAXErrorAttributeUnsupported;
constexpr AXError kRefused = AXError::kAXErrorCannotComplete;
constexpr Pid kPid = 501;
constexpr std::int64_t kTarget = 12;
constexpr Rect kFrame{100.0, 300.0, 800.0, 600.0};
constexpr double kDx = 20.0, kDy = -10.0;  // one motion: right by 20, down by 10
enum class Op { Move, Resize };

Rect changed(Op op, Rect f) {
    return op == Op::Move ? Rect{f.x + kDx, f.y - kDy, f.width, f.height}
                          : Rect{f.x, f.y, f.width + kDx, f.height - kDy};
}

struct App : SimDesk {
    App() { desktop.addProcess(kPid, "TextEdit"); }
    void addWindow(std::int64_t id, Pid pid = kPid, Rect frame = kFrame) {
        if (desktop.process(pid) == nullptr) desktop.addProcess(pid, "Helper");
        desktop.addWindow(pid, id, frame);
    }
    void quirk(std::int64_t id, const char* attribute, sim::AttributeOverride how) {
        bend(Element::window(id), attribute, std::move(how));
    }
    void appQuirk(Pid pid, const char* attribute, sim::AttributeOverride how) {
        bend(Element::application(pid), attribute, std::move(how));
    }
    // Positionable, but accepts no change of its geometry.
    void refuseWrites(std::int64_t id) {
        for (const char* name : {"AXFrame", "AXPosition", "AXSize"})
            quirk(id, name, refusesWrites(kRefused));
    }
    // Answers no geometry at all, so it cannot be positioned either.
    void failReads(std::int64_t id) {
        for (const char* name : {"AXFrame", "AXPosition", "AXSize"})
            quirk(id, name, failsWith(kUnsupported));
    }
    bool manipulate(Op op, std::int64_t id = kTarget) {
        if (op == Op::Move)
            return WindowMover(accessibility(), log, Element::window(id), kPid)
                .manipulate(kDx, kDy);
        return WindowResizer(accessibility(), log, Element::window(id), kPid).manipulate(kDx, kDy);
    }
};

struct StrategyCase {
    const char* name;
    Op op;
    std::function<void(App&)> quirks;
    bool succeeds;
    Rect frame;  // where the target ends up
    friend void PrintTo(const StrategyCase& row, std::ostream* out) { *out << row.name; }
};

class Strategy : public ::testing::TestWithParam<StrategyCase>, public App {};

TEST_P(Strategy, ChangesTheWindowOnceOrAdmitsFailure) {
    addWindow(kTarget);
    GetParam().quirks(*this);
    EXPECT_EQ(manipulate(GetParam().op), GetParam().succeeds);
    EXPECT_EQ(frameOf(kTarget), GetParam().frame);
}

sim::AttributeOverride point(Point p) {
    return reads(AXValue::create(p));
}

const StrategyCase kCases[] = {
    {"MoveFrame", Op::Move, [](App&) {}, true, changed(Op::Move, kFrame)},
    {"MovePositionAfterRefusedFrame", Op::Move,
     [](App& a) { a.quirk(kTarget, "AXFrame", refusesWrites(kRefused)); }, true,
     changed(Op::Move, kFrame)},
    {"MoveAlternativeNameAfterRefusedFrameAndPosition", Op::Move,
     [](App& a) {
         a.refuseWrites(kTarget);
         a.quirk(kTarget, "Position", point({0, 0}));
     },
     true, changed(Op::Move, kFrame)},
    {"MovePositionWhenFrameIsBoxedAsAPoint", Op::Move,
     [](App& a) {
         a.quirk(kTarget, "AXFrame", point({0, 0}));
     },
     true, changed(Op::Move, kFrame)},
    // Without a readable position the point is read under the alternative name itself.
    {"MoveAlternativeNameReadWhenValuesAreOfOtherKinds",
     Op::Move,
     [](App& a) {
         a.quirk(kTarget, "AXFrame", reads("not geometry"));
         a.quirk(kTarget, "AXPosition", reads(Value()));
         a.quirk(kTarget, "Position", reads(AXValue::create(Size{1.0, 1.0})));
         a.quirk(kTarget, "WindowPosition", point({40, 50}));
     },
     true,
     {60.0, 60.0, 800.0, 600.0}},
    // The action carries no delta: the application moves the window its own way.
    {"MoveAction", Op::Move,
     [](App& a) {
         a.quirk(kTarget, "AXFrame", failsWith(kUnsupported));
         a.quirk(kTarget, "AXPosition", refusesWrites(kRefused));
         a.desktop.window(kTarget)->actions = {"AXRaise", "AXMove"};
     },
     true, kFrame},
    {"MoveActionOnlyUnderItsExactName", Op::Move,
     [](App& a) {
         a.quirk(kTarget, "AXFrame", failsWith(kUnsupported));
         a.quirk(kTarget, "AXPosition", refusesWrites(kRefused));
         sim::AttributeOverride actions = reads(Value(Value::Array{"axmove", "AXMoveTo"}));
         actions.perform["AXMove"] = AXError::kAXErrorSuccess;
         a.quirk(kTarget, "AXActions", actions);
     },
     false, kFrame},
    {"MoveRefusedEverywhere", Op::Move, [](App& a) { a.failReads(kTarget); }, false, kFrame},
    {"ResizeFrame", Op::Resize, [](App&) {}, true, changed(Op::Resize, kFrame)},
    {"ResizeSizeAfterRefusedFrame", Op::Resize,
     [](App& a) { a.quirk(kTarget, "AXFrame", refusesWrites(kRefused)); }, true,
     changed(Op::Resize, kFrame)},
    {"ResizeSizeWhenFrameIsNoGeometry", Op::Resize,
     [](App& a) { a.quirk(kTarget, "AXFrame", reads(42)); }, true, changed(Op::Resize, kFrame)},
    {"ResizeRefusedEverywhere", Op::Resize,
     [](App& a) {
         a.quirk(kTarget, "AXFrame", refusesWrites(kRefused));
         a.quirk(kTarget, "AXSize", failsWith(kUnsupported));
     },
     false, kFrame},
};

INSTANTIATE_TEST_SUITE_P(, Strategy, ::testing::ValuesIn(kCases),
                         [](const auto& row) { return std::string(row.param.name); });

// Through the frame strategy, and through the size strategy when the frame write is refused.
TEST(MinimumSize, BoundsEachDimensionSeparately) {
    const struct {
        Size before;
        double dx, dy;
        Size after;
    } bounds[] = {{{60, 60}, -30, 0, {50, 60}},
                  {{400, 60}, 0, 40, {400, 50}},
                  {{30, 20}, -5, 0, {50, 50}},  // snaps out at once
                  {{49.5, 200}, 0.75, 0, {50.25, 200}}};
    for (const bool frameRefused : {false, true}) {
        for (const auto& b : bounds) {
            App app;
            app.addWindow(kTarget, kPid, {10, 20, b.before.width, b.before.height});
            if (frameRefused) app.quirk(kTarget, "AXFrame", refusesWrites(kRefused));
            WindowResizer resizer(app.accessibility(), app.log, Element::window(kTarget), kPid);
            EXPECT_TRUE(resizer.manipulate(b.dx, b.dy));
            EXPECT_EQ(app.frameOf(kTarget), (Rect{10, 20, b.after.width, b.after.height}))
                << b.before.width << "x" << b.before.height << (frameRefused ? " by size" : "");
        }
    }
}

struct Chain {
    const char* name;
    std::function<void(App&)> setup;  // windows 11 (main and focused unless told), 12, 13
    bool succeeds;
    std::int64_t changed = 0;  // the one window that ends up changed, if any
    friend void PrintTo(const Chain& row, std::ostream* out) { *out << row.name; }
};

class FallbackChain : public ::testing::TestWithParam<std::tuple<Op, Chain>>, public App {};

TEST_P(FallbackChain, HandsTheChangeToOneSubstituteAndEnds) {
    const auto& [op, row] = GetParam();
    for (std::int64_t id : {11, 12, 13}) addWindow(id);
    row.setup(*this);
    EXPECT_EQ(manipulate(op), row.succeeds);
    for (std::int64_t id : {11, 12, 13, 22, 32}) {
        if (desktop.window(id) == nullptr) continue;
        EXPECT_EQ(frameOf(id), id == row.changed ? changed(op, kFrame) : kFrame) << id;
    }
}

const Chain kChains[] = {
    {"Parent",
     [](App& a) {
         a.failReads(kTarget);
         a.desktop.window(kTarget)->parent = 13;
     },
     true, 13},
    {"MainWindow", [](App& a) { a.failReads(kTarget); }, true, 11},
    {"FocusedWindowWhenTheMainWindowIsTheTarget",
     [](App& a) {
         a.refuseWrites(kTarget);  // positionable: only equality drops it as main window
         a.appQuirk(kPid, "AXMainWindow", reads(Element::window(kTarget)));
         a.appQuirk(kPid, "AXFocusedWindow", reads(Element::window(13)));
     },
     true, 13},
    {"ApplicationElement",
     [](App& a) {
         a.failReads(kTarget);
         a.quirk(kTarget, "AXParent", failsWith(AXError::kAXErrorNoValue));
         a.appQuirk(kPid, "AXMainWindow", failsWith(AXError::kAXErrorNoValue));
         a.appQuirk(kPid, "AXFocusedWindow", failsWith(AXError::kAXErrorNoValue));
         sim::AttributeOverride frame = reads(AXValue::create(Rect{0, 0, 640, 480}));
         frame.write = AXError::kAXErrorSuccess;
         a.appQuirk(kPid, "AXFrame", frame);
     },
     true},
    // The parent fails its validation; the main window, which would accept, is not tried.
    {"ParentAloneDecides",
     [](App& a) {
         a.failReads(kTarget);
         a.desktop.window(kTarget)->parent = 13;
         a.quirk(13, "AXRole", failsWith(AXError::kAXErrorInvalidUIElement));
     },
     false},
    {"MainAndFocusedLeadingBackToEachOther",
     [](App& a) {
         a.refuseWrites(11);
         a.refuseWrites(kTarget);
         a.appQuirk(kPid, "AXFocusedWindow", reads(Element::window(kTarget)));
     },
     false},
    {"ParentsNamingEachOther",
     [](App& a) {
         a.refuseWrites(kTarget);
         a.refuseWrites(13);
         a.desktop.window(kTarget)->parent = 13;
         a.desktop.window(13)->parent = kTarget;
         a.appQuirk(kPid, "AXMainWindow", reads(Element::window(13)));
         a.appQuirk(kPid, "AXFocusedWindow", reads(Element::window(kTarget)));
     },
     false},
    // Three applications, each naming a window of the next as its main or focused window.
    {"ThreeWindowsNamingTheNext",
     [](App& a) {
         a.addWindow(22, 502);
         a.addWindow(32, 503);
         for (std::int64_t id : {kTarget, std::int64_t{22}, std::int64_t{32}}) a.refuseWrites(id);
         a.appQuirk(kPid, "AXMainWindow", reads(Element::window(kTarget)));
         a.appQuirk(kPid, "AXFocusedWindow", reads(Element::window(22)));
         a.appQuirk(502, "AXMainWindow", reads(Element::window(32)));
         a.appQuirk(503, "AXMainWindow", reads(Element::window(kTarget)));
         a.appQuirk(503, "AXFocusedWindow", reads(Element::window(22)));
     },
     false},
    // Not trusted, or the target gone: the chain ends before any substitute is asked.
    {"Untrusted", [](App& a) { a.desktop.setTrusted(false); }, false},
    {"TargetClosed", [](App& a) { a.desktop.closeWindow(kTarget); }, false},
};

INSTANTIATE_TEST_SUITE_P(, FallbackChain,
                         ::testing::Combine(::testing::Values(Op::Move, Op::Resize),
                                            ::testing::ValuesIn(kChains)),
                         [](const auto& row) {
                             return (std::get<0>(row.param) == Op::Move ? "Move" : "Resize") +
                                    std::string(std::get<1>(row.param).name);
                         });

// What was tried belongs to one call: the next motion event may use the same substitute.
TEST(Manipulator, ServesSeveralEvents) {
    App a;
    a.addWindow(11);
    a.addWindow(kTarget);
    a.failReads(kTarget);
    WindowMover mover(a.accessibility(), a.log, Element::window(kTarget), kPid);
    EXPECT_TRUE(mover.manipulate(kDx, kDy));
    EXPECT_TRUE(mover.manipulate(kDx, kDy));
    EXPECT_EQ(a.frameOf(11), changed(Op::Move, changed(Op::Move, kFrame)));
}

TEST(ElementAccess, PositioningNeedsOnlyASuccessfulPositionOrFrameRead) {
    App a;
    for (std::int64_t id : {11, 12, 13, 14}) a.addWindow(id);
    a.quirk(11, "AXFrame", failsWith(kUnsupported));     // the position alone will do
    a.quirk(12, "AXPosition", failsWith(kUnsupported));  // and so will the frame alone
    a.quirk(13, "AXPosition", failsWith(kUnsupported));
    a.quirk(13, "AXFrame", failsWith(AXError::kAXErrorNoValue));
    a.quirk(14, "AXPosition", reads("somewhere"));  // the kind is not looked at
    for (std::int64_t id : {11, 12, 13, 14})
        EXPECT_EQ(supportsPositioning(a.accessibility(), a.log, Element::window(id)), id != 13);
}

// The stand-in for a target that cannot be positioned: the first match wins.
TEST(ElementAccess, AlternativeSearchTakesTheFirstMatch) {
    const struct {
        const char* name;
        std::function<void(App&)> setup;
        std::optional<Element> found;
    } searches[] = {
        {"OtherPositionableWindow",
         [](App& a) {
             a.addWindow(13);
             a.addWindow(14);
             a.failReads(13);
         },
         Element::window(14)},
        {"MainWindow",
         [](App& a) {
             a.addWindow(40, 777);
             a.appQuirk(kPid, "AXMainWindow", reads(Element::window(40)));
         },
         Element::window(40)},
        {"FocusedWindowWhenTheMainWindowIsTheTarget",
         [](App& a) {
             a.addWindow(40, 777);
             a.appQuirk(kPid, "AXFocusedWindow", reads(Element::window(40)));
         },
         Element::window(40)},
        {"Application",
         [](App& a) {
             a.appQuirk(kPid, "AXFrame", reads(AXValue::create(Rect{0.0, 0.0, 10.0, 10.0})));
         },
         Element::application(kPid)},
        {"NothingBesidesTheTarget", [](App&) {}, std::nullopt},
        {"WindowListOfMixedKinds",
         [](App& a) {
             a.addWindow(13);
             a.appQuirk(kPid, "AXWindows", reads(Value::Array{Element::window(13), "x"}));
             a.appQuirk(kPid, "AXMainWindow", failsWith(AXError::kAXErrorNoValue));
             a.appQuirk(kPid, "AXFocusedWindow", failsWith(AXError::kAXErrorNoValue));
         },
         std::nullopt},
    };
    for (const auto& s : searches) {
        App a;
        a.addWindow(kTarget);
        s.setup(a);
        WindowManipulator manipulator(a.accessibility(), a.log, Element::window(kTarget), kPid);
        EXPECT_EQ(manipulator.findAlternativeWindow(), s.found) << s.name;
    }
}

}  // namespace
}  // namespace tugworth::test
