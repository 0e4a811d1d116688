// The gesture state machine and pointer motion: which gesture a modifier change leaves, from
// any state, and what each motion event then does to the target.
#include <optional>
#include <ostream>

#include "app/SettingsKeys.h"
#include "support/SimDesk.h"

namespace tugworth::test {
namespace {

enum class State { Idle, Dragging, Resizing };

constexpr std::uint64_t kCmd = kModifierCommand;
constexpr std::uint64_t kCtrl = kModifierControl;
constexpr std::uint64_t kOpt = kModifierOption;
constexpr std::uint64_t kShift = kModifierShift;
constexpr Pid kApp = 501;
constexpr std::int64_t kWindow = 12;
constexpr std::int64_t kHeld = 13;  // a target from earlier, away from the pointer
constexpr Rect kFrame{100.0, 100.0, 800.0, 600.0};
constexpr Point kOverWindow{300.0, 700.0};

struct Gesture : ::testing::Test, SimDesk {
    Gesture() {
        addApp(kApp, "TextEdit", kWindow, kFrame);
        desktop.addWindow(kApp, kHeld, {1200, 100, 300, 200}, "Held");
        desktop.setPointer(kOverWindow);
    }
    void installMonitors() { delegate.setupEventMonitoring(); }
};

struct ChordCase {
    const char* name;
    State from;
    std::uint64_t flags;
    State expected;
    const char* dragChord = nullptr;
    const char* resizeChord = nullptr;
    bool dragEnabled = true;
    bool resizeEnabled = true;
    bool initialized = true;  // false: the stored switches are not consulted
    bool trusted = true;
    bool asks = false;
    friend void PrintTo(const ChordCase& row, std::ostream* out) { *out << row.name; }
};

constexpr State I = State::Idle, D = State::Dragging, R = State::Resizing;

// Chord choices with stored switches and trust as they come are owned by a golden scenario.
const ChordCase kChordCases[] = {
    {"WrongCaseNameIsTheDefault", I, kOpt | kCtrl, I, "option+control"},
    {"UnknownResizeNameIsTheDefault", I, kCmd | kCtrl | kShift, R, nullptr, "Shift"},
    {"SwitchesIgnoredUntilInitialized", I, kCmd | kCtrl | kShift, R, nullptr, nullptr, false, false,
     false},
    {"UntrustedAsksOnce", I, kCmd | kCtrl | kShift, I, nullptr, nullptr, true, false, true, false,
     true},
    {"UntrustedNoChordAsksNothing", I, kCtrl | kShift, I, nullptr, nullptr, true, true, true,
     false},
    {"PermissionWithdrawnMidDrag", D, kCmd | kCtrl | kOpt, I, nullptr, nullptr, true, true, true,
     false, true},
};

class ChordState : public Gesture, public ::testing::WithParamInterface<ChordCase> {};

TEST_P(ChordState, DecidesTheGestureAndKeepsOrDropsTheTarget) {
    const ChordCase& row = GetParam();
    if (row.dragChord) store(settings::kDragModifier, row.dragChord);
    if (row.resizeChord) store(settings::kResizeModifier, row.resizeChord);
    store(settings::kPreferencesInitialized, row.initialized);
    store(settings::kEnableDragging, row.dragEnabled);
    store(settings::kEnableResizing, row.resizeEnabled);
    desktop.setTrusted(row.trusted);
    installMonitors();
    delegate.isDragging = row.from == D;
    delegate.isResizing = row.from == R;
    delegate.targetWindow = Element::window(kHeld);
    delegate.hasAccessibilityPermissions = !row.trusted;

    desktop.sendFlagsChanged(row.flags);

    EXPECT_EQ(delegate.isDragging, row.expected == D);
    EXPECT_EQ(delegate.isResizing, row.expected == R);
    EXPECT_EQ(delegate.hasAccessibilityPermissions, row.trusted);
    EXPECT_EQ(delegate.lastPermissionCheckTime, services().now());
    // A gesture keeps the held target while it answers; Idle drops it.
    EXPECT_EQ(delegate.targetWindow,
              row.expected != I ? std::optional(Element::window(kHeld)) : std::nullopt);
    EXPECT_EQ(desktop.toolkit().alerts().size(), row.asks ? 1U : 0U);
}

INSTANTIATE_TEST_SUITE_P(Chords, ChordState, ::testing::ValuesIn(kChordCases),
                         [](const auto& row) { return std::string(row.param.name); });

// Deltas are y-up, the window's origin y-down; two points or less are discarded, not summed.
TEST_F(Gesture, MotionActsOnlyAboveTwoPointsAndNeverAccumulates) {
    installMonitors();
    desktop.sendFlagsChanged(kDragChord);
    const struct {
        double dx, dy;
        bool acts;
    } steps[] = {{1, 1, false}, {0, -2, false}, {2.5, 0, true}, {-1.5, -1.5, true}, {0, -10, true}};
    Rect expected = kFrame;
    for (const auto& s : steps) {
        moveBy(s.dx, s.dy);
        if (s.acts) expected = {expected.x + s.dx, expected.y - s.dy, 800, 600};
        EXPECT_EQ(frameOf(kWindow), expected) << s.dx << ", " << s.dy;
        EXPECT_EQ(delegate.initialLocation, desktop.pointer());
    }
    for (int step = 0; step < 20; ++step) moveBy(1.0, 0.0);
    EXPECT_EQ(frameOf(kWindow), expected);
    // Motion with a button held is not seen; the next event measures from the last one seen.
    desktop.setPointer({desktop.pointer().x + 30.0, desktop.pointer().y});
    EXPECT_EQ(frameOf(kWindow), expected);
    moveBy(1.0, 0.0);
    EXPECT_EQ(frameOf(kWindow).x, expected.x + 31.0);
}

// Local monitors see this program's own events and must hand them on unchanged.
TEST_F(Gesture, LocalMonitorsActAndHandEventsOn) {
    installMonitors();
    std::vector<Event> passedOn;
    const auto record = [&passedOn](const Event& event) -> const Event* {
        passedOn.push_back(event);
        return &event;
    };
    desktop.platform().monitors.addLocalMonitor(kEventMaskMouseMoved, record);
    desktop.platform().monitors.addLocalMonitor(kEventMaskFlagsChanged, record);
    desktop.sendFlagsChanged(kDragChord, true);
    desktop.movePointer({kOverWindow.x + 10.0, kOverWindow.y}, true);
    EXPECT_EQ(frameOf(kWindow).x, kFrame.x + 10.0);
    ASSERT_EQ(passedOn.size(), 2U);
    EXPECT_EQ(passedOn[0].modifierFlags, kDragChord);
    EXPECT_EQ(passedOn[1].type, EventType::MouseMoved);
}

// A run asks the platform to prompt once and shows its own alert once; "Later" does nothing.
TEST_F(Gesture, MissingPermissionPromptsAndShowsTheAlertOncePerRun) {
    desktop.setTrusted(false);
    desktop.toolkit().prepareAlertAnswer(kAlertFirstButtonReturn + 1);
    delegate.checkAccessibilityPermissions();
    EXPECT_FALSE(delegate.hasAccessibilityPermissions);
    EXPECT_TRUE(delegate.hasShownPermissionDialog);
    desktop.advanceClock(std::chrono::seconds(5));
    delegate.checkAccessibilityPermissions();
    EXPECT_EQ(desktop.trustPromptOptions(), (std::vector<bool>{true, false}));
    EXPECT_EQ(desktop.toolkit().alerts().size(), 1U);
    EXPECT_TRUE(desktop.openedURLs().empty());
    EXPECT_EQ(delegate.lastPermissionCheckTime, services().now());
}

}  // namespace
}  // namespace tugworth::test
