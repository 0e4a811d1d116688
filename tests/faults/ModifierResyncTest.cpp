// The input stream when the modifier state is learnt other than by a state notification: a
// new keymap under held keys, and the state read afresh after a grab or a quiet spell.
#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "platform/x11/InputStream.h"

namespace tugworth::x11 {
namespace {

constexpr std::uint8_t kControl = 0x04, kMod3 = 0x20, kMod4 = 0x40, kLock = 0x02, kNumLock = 0x10;
constexpr std::uint64_t kCommandControl = kModifierCommand | kModifierControl;

using Seen = std::vector<std::pair<EventType, std::uint64_t>>;

Seen taken(InputStream& input) {
    Seen seen;
    for (const Event& e : input.take()) seen.emplace_back(e.type, e.modifierFlags);
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
    EXPECT_EQ(taken(input), (Seen{{EventType::FlagsChanged, kModifierControl},
                                  {EventType::FlagsChanged, kCommandControl}}));
}

TEST(ModifierResync, ARereadReportsOnlyAChangeAndBeforeTheWaitingMotion) {
    InputStream input;
    input.seed(0, kControl | kMod4);
    EXPECT_TRUE(input.holdsChordKeys());
    input.pointerMoved();
    input.modifiersConfirmed(kControl | kMod4 | kNumLock);  // Num Lock is not ours to report
    EXPECT_EQ(taken(input), (Seen{{EventType::MouseMoved, kCommandControl}}));
    input.pointerMoved();
    input.modifiersConfirmed(0);  // the chord went up while someone else held the keyboard
    EXPECT_EQ(taken(input), (Seen{{EventType::FlagsChanged, 0}, {EventType::MouseMoved, 0}}));
    input.modifiersConfirmed(kControl);  // with no motion waiting: in order
    EXPECT_EQ(taken(input), (Seen{{EventType::FlagsChanged, kModifierControl}}));
    // Locks are no chord keys: they must not keep the state in doubt.
    input.seed(0, kLock | kNumLock);
    EXPECT_FALSE(input.holdsChordKeys());
}

}  // namespace
}  // namespace tugworth::x11
