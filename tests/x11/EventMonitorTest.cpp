// Monitor events from XTEST input: modifier flags from XKB, pointer motion from XInput 2.
#include <unistd.h>

#include "XServerFixture.h"

namespace tugworth::x11::testing {
namespace {

constexpr std::uint32_t kSuperL = 0xffeb, kControlL = 0xffe3, kShiftL = 0xffe1, kAltL = 0xffe9;

struct Seen {
    EventType type;
    std::uint64_t flags;
    Point pointer;  // read by the handler, as the program does
    bool local;
};

class EventMonitoring : public DesktopFixture<false> {
protected:
    static void SetUpTestSuite() {
        DesktopFixture::SetUpTestSuite();
        if (!desktop_) return;
        const auto record = [](const Event& e, bool local) {
            seen_.push_back({e.type, e.modifierFlags, desktop().desktop().mouseLocation(), local});
        };
        for (auto mask : {kEventMaskMouseMoved, kEventMaskFlagsChanged}) {
            desktop().monitors().addGlobalMonitor(mask, [=](const Event& e) { record(e, false); });
            desktop().monitors().addLocalMonitor(mask, [=](const Event& e) -> const Event* {
                record(e, true);
                return &e;
            });
        }
    }
    void SetUp() override {
        DesktopFixture::SetUp();
        drain();
    }

    // Delivers everything already sent, then forgets it.
    void drain() {
        server().sync();
        desktop().dispatchPendingEvents();
        seen_.clear();
    }

    // Presses or releases a key and waits for the flags event it causes.
    bool keyAndWait(std::uint32_t keysym, bool press) {
        const std::size_t before = flagsEvents();
        server().key(keysym, press);
        return dispatchUntil(desktop(), [&] { return flagsEvents() > before; });
    }
    static std::size_t flagsEvents() {
        return static_cast<std::size_t>(
            std::count_if(seen_.begin(), seen_.end(),
                          [](const Seen& s) { return s.type == EventType::FlagsChanged; }));
    }
    static std::size_t motionEvents() { return seen_.size() - flagsEvents(); }
    static bool waitForMotion() {
        return dispatchUntil(desktop(), [] { return motionEvents() > 0; });
    }

    static inline std::vector<Seen> seen_;
};

// A chord builds up one flags event per key, and comes apart the same way.
TEST_F(EventMonitoring, ModifierKeysGiveTheirFlags) {
    const std::pair<std::uint32_t, std::uint64_t> keys[] = {{kSuperL, kModifierCommand},
                                                            {kControlL, kModifierControl},
                                                            {kShiftL, kModifierShift},
                                                            {kAltL, kModifierOption}};
    std::uint64_t held = 0;
    for (const auto& [keysym, flag] : keys) {
        ASSERT_TRUE(keyAndWait(keysym, true)) << std::hex << keysym;
        EXPECT_EQ(seen_.back().flags, held |= flag);
    }
    for (int i = 3; i >= 0; --i) {
        ASSERT_TRUE(keyAndWait(keys[i].first, false));
        EXPECT_EQ(seen_.back().flags, held &= ~keys[i].second);
    }
    EXPECT_EQ(seen_.size(), 8U);
    EXPECT_FALSE(seen_.back().local);
}

// Queued motion comes as one event at the newest place, and none comes while a button is held.
TEST_F(EventMonitoring, MotionIsCoalescedAndNotReportedWhileAButtonIsHeld) {
    constexpr int kMoves = 30;
    for (int i = 0; i < kMoves; ++i) server().movePointer(100 + 10 * i, 100 + 5 * i);
    // Events arrive in order: once the marker's flags event is here, the motion has been seen.
    ASSERT_TRUE(keyAndWait(kControlL, true));
    ASSERT_GE(motionEvents(), 1U);
    EXPECT_LT(motionEvents(), static_cast<std::size_t>(kMoves));
    EXPECT_EQ(seen_[seen_.size() - 2].pointer, (Point{390.0, 800.0 - 245.0}));
    ASSERT_TRUE(keyAndWait(kControlL, false));

    seen_.clear();
    server().button(1, true);
    for (int i = 1; i <= 5; ++i) server().movePointer(300 + 10 * i, 300);
    ASSERT_TRUE(keyAndWait(kShiftL, true));
    EXPECT_EQ(motionEvents(), 0U) << "a drag was reported as motion";
    server().button(1, false);
    ASSERT_TRUE(keyAndWait(kShiftL, false));
    server().movePointer(400, 320);
    ASSERT_TRUE(waitForMotion());
    EXPECT_EQ(seen_.back().pointer, (Point{400.0, 480.0}));
    EXPECT_EQ(seen_.back().flags, 0U);
}

TEST_F(EventMonitoring, EventsOfOurOwnWindowsGoToTheLocalHandlersOnly) {
    const xcb_window_t own =
        server().makeWindow(server().root(), {600, 400, 200, 150}, "_NET_WM_PID", XCB_ATOM_CARDINAL,
                            static_cast<std::uint32_t>(::getpid()));
    server().sync();
    drain();

    server().movePointer(700, 450);
    ASSERT_TRUE(waitForMotion());
    EXPECT_TRUE(seen_.back().local);
    xcb_set_input_focus(server().conn(), XCB_INPUT_FOCUS_POINTER_ROOT, own, XCB_CURRENT_TIME);
    ASSERT_TRUE(keyAndWait(kAltL, true));
    EXPECT_TRUE(seen_.back().local);
    ASSERT_TRUE(keyAndWait(kAltL, false));
    EXPECT_EQ(seen_.size(), 3U) << "each event must reach the handlers exactly once";

    xcb_destroy_window(server().conn(), own);
    server().sync();
    seen_.clear();
    server().movePointer(50, 50);
    ASSERT_TRUE(waitForMotion());
    EXPECT_FALSE(seen_.back().local);
}

}  // namespace
}  // namespace tugworth::x11::testing
