// Rules of the X11 platform that need no X server: pending frames, the modifier map, process
// states, URL arguments and the session check.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "platform/Log.h"
#include "platform/x11/InputStream.h"
#include "platform/x11/PendingFrames.h"
#include "platform/x11/Processes.h"
#include "platform/x11/X11Desktop.h"
#include "platform/x11/X11DesktopServices.h"

namespace tugworth::x11 {
namespace {

using Clock = PendingFrames::Clock;

// A window manager that falls far behind a fast pointer: every frame it shows on the way is
// one we asked for, so reads answer the newest request until it lands; a frame it has passed,
// an adjusted one, or none for too long, is the server's answer.
TEST(PendingFrames, ReportsTheRequestUntilTheServerCatchesUpAdjustsOrIgnoresIt) {
    PendingFrames pending;
    const auto t0 = Clock::now();
    const auto step = [](int i) { return Rect{100.0 + 3.0 * i, 100.0, 50, 50}; };
    constexpr int kSteps = 300;
    for (int i = 1; i <= kSteps; ++i) pending.requested(7, step(0), step(i), {}, t0);
    for (int landed = 0; landed < kSteps; landed += 37) {
        ASSERT_EQ(pending.effective(7, step(landed), t0), step(kSteps)) << "after " << landed;
    }
    EXPECT_EQ(pending.effective(7, step(3), t0), step(3));  // passed: someone else moved it
    EXPECT_EQ(pending.effective(8, step(0), t0), step(0));  // other windows are untouched

    const Rect a{0, 0, 300, 200}, asked{0, 0, 305, 203}, adjusted{0, 0, 304, 197};
    pending.requested(1, a, asked, {}, t0);
    EXPECT_EQ(pending.effective(1, adjusted, t0), adjusted);  // size increments, constraints
    EXPECT_EQ(pending.effective(1, a, t0), a);
    pending.requested(2, a, asked, {}, t0);
    EXPECT_EQ(pending.effective(2, a, t0 + PendingFrames::kPatience + std::chrono::milliseconds(1)),
              a);
}

// A terminal resizes in whole cells: within a gesture its answer reads as the request, after
// it as what it is; a request left undone past its patience is refused.
TEST(PendingFrames, AnswersStandForTheRequestUntilTheGestureEndsAndIgnoredOnesAreRefused) {
    PendingFrames pending;
    const auto t0 = Clock::now();
    // xterm: cells of 6x13 over a base of 4x4, minimum 10x17, 2 px of border around.
    const std::vector<std::uint32_t> hints{0x150, 0,  0, 0, 0, 10, 17, 0, 0,
                                           6,     13, 0, 0, 0, 0,  4,  4, 1};
    const SizeRules rules = SizeRules::fromNormalHints(hints, {4, 4});
    const Rect start{0, 0, 488, 320}, asked{0, 0, 483, 315}, rounded{0, 0, 482, 307};
    pending.requested(1, start, asked, rules, t0);
    EXPECT_EQ(pending.effective(1, {0, 0, 476, 307}, t0), (Rect{0, 0, 476, 307}));  // a cell off
    pending.requested(1, start, asked, rules, t0);
    pending.forgetAnswers();
    EXPECT_EQ(pending.effective(1, rounded, t0), rounded);

    pending.requested(2, start, {10, 0, 488, 320}, rules, t0);
    EXPECT_FALSE(pending.refused(2, start, t0 + PendingFrames::kPatience));
    pending.requested(2, start, {10, 0, 488, 320}, rules, t0);
    EXPECT_TRUE(pending.refused(2, start, t0 + 2 * PendingFrames::kRefusalPatience));
}

TEST(ModifierMap, FindsSuperAndAltWhereverTheKeymapPutsThem) {
    // Eight modifiers, two keycodes each; keycodes from 8 with two keysyms each.
    constexpr std::uint8_t kMin = 8;
    std::vector<std::uint32_t> keysyms(2 * 20, 0);
    keysyms[2 * (10 - kMin)] = 0xffeb;      // Super_L on keycode 10
    keysyms[2 * (11 - kMin)] = 0xffe9;      // Alt_L on keycode 11
    keysyms[2 * (12 - kMin) + 1] = 0xffe7;  // Meta_L as the second keysym of keycode 12
    std::vector<std::uint8_t> mods(16, 0);
    mods[2 * 5] = 10;      // Super on Mod3
    mods[2 * 6] = 11;      // Alt on Mod4
    mods[2 * 7 + 1] = 12;  // Meta on Mod5
    const ModifierMap map = findModifierMap(mods, 2, kMin, keysyms, 2);
    EXPECT_EQ(map.command, 0x20);
    EXPECT_EQ(map.option, 0x40 | 0x80);
    EXPECT_EQ(modifierFlags(0x20 | 0x04, map), kModifierCommand | kModifierControl);
    EXPECT_EQ(modifierFlags(0x80 | 0x01 | 0x02, map),
              kModifierOption | kModifierShift | kModifierCapsLock);
    EXPECT_EQ(modifierFlags(0x10, map), 0U);  // Num Lock (Mod2 here) is not reported

    const ModifierMap fallback = findModifierMap({}, 0, kMin, {}, 0);
    EXPECT_EQ(fallback.command, 0x40);
    EXPECT_EQ(fallback.option, 0x08);
}

TEST(InputStream, ReportsChangesOnlyAndForgetsHeldButtonsWhenSeeded) {
    InputStream input;
    input.seed(0x100, 0x04);  // button 1 and Control held at start
    input.pointerMoved();     // a drag, not a move
    input.buttonReleased(1);
    input.buttonPressed(4);  // a wheel step is no held button
    input.pointerMoved();
    input.modifiersChanged(0x04 | 0x10);  // Num Lock toggled: same flags
    input.pointerMoved();
    input.buttonReleased(4);
    input.modifiersChanged(0x10);
    const auto events = input.take();
    ASSERT_EQ(events.size(), 2U);
    EXPECT_EQ(events[0].type, EventType::MouseMoved);
    EXPECT_EQ(events[0].modifierFlags, kModifierControl);
    EXPECT_EQ(events[1].type, EventType::FlagsChanged);
    EXPECT_EQ(events[1].modifierFlags, 0U);
    EXPECT_TRUE(input.take().empty());
}

TEST(Processes, ReadsTheStateAfterTheLastParenthesis) {
    EXPECT_EQ(parseProcessState("42 (xterm) S 1 42"), 'S');
    EXPECT_EQ(parseProcessState("42 (a) b) Z 1"), 'Z');
    EXPECT_EQ(parseProcessState("42 (broken"), std::nullopt);
    EXPECT_EQ(parseProcessState("42 (x)"), std::nullopt);
    EXPECT_TRUE(processIsRunning(static_cast<Pid>(::getpid())));
    EXPECT_FALSE(processIsRunning(0));
    EXPECT_FALSE(processIsRunning(-5));
}

TEST(UrlArguments, RefuseWhatAnOpenerWouldMisread) {
    EXPECT_TRUE(isSafeUrlArgument("https://example.org/a?b=c"));
    EXPECT_TRUE(isSafeUrlArgument(
        "x-apple.systempreferences:com.apple.preference.security?Privacy_Accessibility"));
    for (const char* bad : {"", "--help", "-x", "https://a\nb", "a\tb", "a\x7f"}) {
        EXPECT_FALSE(isSafeUrlArgument(bad)) << bad;
    }
}

struct Lines final : LogSink {
    std::vector<std::string> lines;
    void writeLine(std::string_view line) override { lines.emplace_back(line); }
};

TEST(SessionCheck, SaysWhatEachSessionAllows) {
    const struct {
        const char* display;
        const char* wayland;
        bool goesOn;
        const char* linePrefix;
    } cases[] = {
        {":0", nullptr, true, nullptr},
        {":0", "wayland-0", true, "[WARNING] This is a Wayland session with XWayland"},
        {nullptr, "wayland-0", false, "[ERROR] This is a Wayland session without X11"},
        {"", "", false, "[ERROR] No display is set"},
    };
    const auto set = [](const char* name, const char* value) {
        value ? ::setenv(name, value, 1) : ::unsetenv(name);
    };
    for (const auto& c : cases) {
        set("DISPLAY", c.display);
        set("WAYLAND_DISPLAY", c.wayland);
        Lines sink;
        Log log(sink);
        EXPECT_EQ(checkSessionSupport(log), c.goesOn);
        ASSERT_EQ(sink.lines.size(), c.linePrefix ? 1U : 0U);
        if (c.linePrefix) {
            EXPECT_EQ(sink.lines[0].rfind(c.linePrefix, 0), 0U) << sink.lines[0];
        }
    }
}

}  // namespace
}  // namespace tugworth::x11
