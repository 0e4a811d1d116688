// Which gesture a modifier change starts, for every chord name, switch and permission state.
#include <optional>
#include <ostream>

#include "GestureFixture.h"
#include "app/SettingsKeys.h"

namespace tugworth::test {
namespace {

enum class State { Idle, Dragging, Resizing };

constexpr std::uint64_t kCmd = kModifierCommand;
constexpr std::uint64_t kCtrl = kModifierControl;
constexpr std::uint64_t kOpt = kModifierOption;
constexpr std::uint64_t kShift = kModifierShift;
constexpr std::uint64_t kUnexamined =
    kModifierCapsLock | kModifierNumericPad | kModifierHelp | kModifierFunction;

struct ChordCase {
    const char* name;
    std::uint64_t flags;
    State expected;
    std::optional<const char*> dragModifier = std::nullopt;
    std::optional<const char*> resizeModifier = std::nullopt;
    bool dragEnabled = true;
    bool resizeEnabled = true;
    bool switchesInitialized = true;  // false: the stored switches are not consulted
    bool trusted = true;
    bool asksPermission = false;
    friend void PrintTo(const ChordCase& row, std::ostream* out) { *out << row.name; }
};

const ChordCase kChordCases[] = {
    // Default chords.
    {"DragChord", kCmd | kCtrl, State::Dragging},
    {"OptionNotExaminedForDrag", kCmd | kCtrl | kOpt, State::Dragging},
    {"ResizeChord", kCmd | kCtrl | kShift, State::Resizing},
    {"ResizeAllowsMore", kCmd | kCtrl | kShift | kOpt, State::Resizing},
    {"ControlAlone", kCtrl, State::Idle},
    {"CommandAlone", kCmd, State::Idle},
    {"CommandShift", kCmd | kShift, State::Idle},
    {"NothingHeld", 0, State::Idle},
    {"CapsLockAndOthersIgnoredForDrag", kCmd | kCtrl | kUnexamined, State::Dragging},
    {"CapsLockAndOthersIgnoredForResize", kCmd | kCtrl | kShift | kUnexamined, State::Resizing},
    {"CapsLockAloneIsNoChord", kModifierCapsLock | kCtrl, State::Idle},
    // Other listed chord names.
    {"OptionControlDrag", kOpt | kCtrl, State::Dragging, "Option+Control"},
    {"OptionControlIgnoresCommand", kOpt | kCtrl | kCmd, State::Dragging, "Option+Control"},
    {"OptionControlRefusesDefaultKeys", kCmd | kCtrl, State::Idle, "Option+Control"},
    {"CommandOptionIgnoresControl", kCmd | kOpt | kCtrl, State::Dragging, "Command+Option"},
    {"CommandOptionShiftIsNoDrag", kCmd | kOpt | kShift, State::Idle, "Command+Option"},
    {"CommandOptionShiftResize", kCmd | kOpt | kShift, State::Resizing, "Command+Option",
     "Command+Option+Shift"},
    {"OptionControlShiftContainment",
     kOpt | kCtrl | kShift | kCmd,
     State::Resizing,
     {},
     "Option+Control+Shift"},
    {"OptionControlShiftRefusesDefaultKeys",
     kCmd | kCtrl | kShift,
     State::Idle,
     {},
     "Option+Control+Shift"},
    // Unlisted names behave as the defaults; comparison is exact.
    {"EmptyDragName", kCmd | kCtrl, State::Dragging, ""},
    {"WrongCaseDragName", kOpt | kCtrl, State::Idle, "option+control"},
    {"WrongCaseDragNameIsDefault", kCmd | kCtrl, State::Dragging, "option+control"},
    {"UnknownResizeName", kCmd | kCtrl | kShift, State::Resizing, {}, "Shift"},
    // Switches.
    {"ResizingOff", kCmd | kCtrl | kShift, State::Idle, {}, {}, true, false},
    {"ResizingOffStillDrags", kCmd | kCtrl, State::Dragging, {}, {}, true, false},
    {"DraggingOff", kCmd | kCtrl, State::Idle, {}, {}, false, true},
    {"DraggingOffStillResizes", kCmd | kCtrl | kShift, State::Resizing, {}, {}, false, true},
    {"SwitchesIgnoredUntilInitialized",
     kCmd | kCtrl | kShift,
     State::Resizing,
     {},
     {},
     false,
     false,
     false},
    // Permission missing: refused, and a held chord asks once whatever the switches say.
    {"UntrustedDrag", kCmd | kCtrl, State::Idle, {}, {}, true, true, true, false, true},
    {"UntrustedResize", kCmd | kCtrl | kShift, State::Idle, {}, {}, true, true, true, false, true},
    {"UntrustedResizeWhileOff",
     kCmd | kCtrl | kShift,
     State::Idle,
     {},
     {},
     true,
     false,
     true,
     false,
     true},
    {"UntrustedDragWhileOff", kCmd | kCtrl, State::Idle, {}, {}, false, true, true, false, true},
    {"UntrustedNoChord", kCtrl | kShift, State::Idle, {}, {}, true, true, true, false, false},
};

class ChordState : public GestureTest, public ::testing::WithParamInterface<ChordCase> {};

TEST_P(ChordState, DecidesTheGestureAndItsTarget) {
    const ChordCase& row = GetParam();
    if (row.dragModifier) store(settings::kDragModifier, *row.dragModifier);
    if (row.resizeModifier) store(settings::kResizeModifier, *row.resizeModifier);
    store(settings::kPreferencesInitialized, row.switchesInitialized);
    store(settings::kEnableDragging, row.dragEnabled);
    store(settings::kEnableResizing, row.resizeEnabled);
    desktop.setTrusted(row.trusted);
    installMonitors();
    // A target from an earlier press: kept by a gesture, dropped by Idle.
    delegate.targetWindow = Element::window(kWindow);
    delegate.hasAccessibilityPermissions = !row.trusted;

    desktop.sendFlagsChanged(row.flags);

    EXPECT_EQ(delegate.isDragging, row.expected == State::Dragging);
    EXPECT_EQ(delegate.isResizing, row.expected == State::Resizing);
    EXPECT_EQ(delegate.hasAccessibilityPermissions, row.trusted);
    EXPECT_EQ(delegate.lastPermissionCheckTime, desktop.platform().desktop.now());
    const bool gesture = row.expected != State::Idle;
    EXPECT_EQ(delegate.targetWindow,
              gesture ? std::optional(Element::window(kWindow)) : std::nullopt);
    const auto stateLines = linesWith("Modifier state:");
    if (gesture) {
        ASSERT_EQ(stateLines.size(), 1U);
        EXPECT_EQ(stateLines[0], row.expected == State::Dragging
                                     ? "[DEBUG] Modifier state: Dragging"
                                     : "[DEBUG] Modifier state: Resizing");
    } else {
        EXPECT_TRUE(stateLines.empty());
    }
    const auto asked = linesWith("Modifiers pressed but no permissions - showing dialog once");
    EXPECT_EQ(asked.size(), row.asksPermission ? 1U : 0U);
    EXPECT_EQ(desktop.toolkit().alerts().size(), row.asksPermission ? 1U : 0U);
}

INSTANTIATE_TEST_SUITE_P(Chords, ChordState, ::testing::ValuesIn(kChordCases),
                         [](const auto& row) { return std::string(row.param.name); });

}  // namespace
}  // namespace tugworth::test
