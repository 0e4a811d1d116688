// The input stream when the modifier state is learnt other than by a state notification: a
// new keymap under held keys, and the state read afresh after a grab or a quiet spell.
#include <gtest/gtest.h>

#include <vector>

#include "platform/x11/InputStream.h"

namespace tugworth::x11 {
namespace {

constexpr std::uint8_t kControl = 0x04, kMod3 = 0x20, kMod4 = 0x40, kLock = 0x02;
constexpr std::uint64_t kCommandControl = kModifierCommand | kModifierControl;

struct Seen {
    EventType type;
    std::uint64_t flags;
    bool operator==(const Seen&) const = default;
};

std::vector<Seen> taken(InputStream& input) {
    std::vector<Seen> seen;
    for (const Event& e : input.take()) seen.push_back({e.type, e.modifierFlags});
    return seen;
}

TEST(ModifierResync, AKeymapChangeUnderHeldKeysIsAFlagsChange) {
    InputStream input;
    input.seed(0, kControl | kMod4);  // Control and Super (Mod4) held
    ModifierMap superOnMod3;
    superOnMod3.command = kMod3;
    input.setModifierMap(superOnMod3);  // the held Mod4 is no Command any more
    input.setModifierMap(superOnMod3);  // nothing new
    input.setModifierMap(ModifierMap{});
    EXPECT_EQ(taken(input), (std::vector<Seen>{{EventType::FlagsChanged, kModifierControl},
                                               {EventType::FlagsChanged, kCommandControl}}));
}

TEST(ModifierResync, AReleaseFoundByRereadingComesBeforeTheWaitingMotion) {
    InputStream input;
    input.seed(0, kControl | kMod4);
    input.pointerMoved();
    ASSERT_TRUE(input.motionWaiting());
    input.modifiersConfirmed(0);  // the chord went up while someone else held the keyboard
    EXPECT_EQ(taken(input),
              (std::vector<Seen>{{EventType::FlagsChanged, 0}, {EventType::MouseMoved, 0}}));
}

TEST(ModifierResync, RereadingTheSameStateReportsNothing) {
    InputStream input;
    input.seed(0, kControl | kMod4);
    input.pointerMoved();
    input.modifiersConfirmed(kControl | kMod4);
    input.modifiersConfirmed(kControl | kMod4 | 0x10);  // Num Lock is not ours to report
    EXPECT_EQ(taken(input), (std::vector<Seen>{{EventType::MouseMoved, kCommandControl}}));
    input.modifiersConfirmed(kControl);  // with no motion waiting: in order
    EXPECT_EQ(taken(input), (std::vector<Seen>{{EventType::FlagsChanged, kModifierControl}}));
}

TEST(ModifierResync, OnlyChordKeysCountAsHeld) {
    const struct {
        std::uint8_t mods;
        bool held;
    } rows[] = {{0, false},       {kLock, false}, {0x10, false},
                {kControl, true}, {0x01, true},   {kMod4, true}};
    for (const auto& row : rows) {
        InputStream input;
        input.seed(0, row.mods);
        EXPECT_EQ(input.holdsChordKeys(), row.held) << int(row.mods);
    }
}

}  // namespace
}  // namespace tugworth::x11
