// Turns the raw X input stream (XInput 2 raw motion and buttons, XKB modifier state) into the
// events the monitors deliver: motion only while no button is held, queued motion coalesced,
// a flags-changed event only when the flags really change.
#pragma once

#include <bitset>
#include <cstdint>
#include <vector>

#include "platform/Events.h"

namespace tugworth::x11 {

// Which core modifier bits (Shift 0x01, Lock 0x02, Control 0x04, Mod1 0x08 ... Mod5 0x80)
// stand for Option and Command in the current keymap.
struct ModifierMap {
    std::uint8_t option = 0x08;   // Mod1: Alt
    std::uint8_t command = 0x40;  // Mod4: Super
};

// The bits of Events.h for a core modifier state.
std::uint64_t modifierFlags(std::uint8_t mods, const ModifierMap& map);

// Finds the modifiers holding Alt/Meta and Super from the core modifier mapping
// (`keycodesPerModifier` keycodes for each of the eight modifiers) and the keyboard mapping
// (`keysymsPerKeycode` keysyms for each keycode from `minKeycode` on). A modifier that holds
// none of those keys keeps the usual Mod1/Mod4 choice.
ModifierMap findModifierMap(const std::vector<std::uint8_t>& modifierKeycodes,
                            std::uint8_t keycodesPerModifier, std::uint8_t minKeycode,
                            const std::vector<std::uint32_t>& keysyms,
                            std::uint8_t keysymsPerKeycode);

class InputStream {
public:
    // A new keymap can give the keys held now other flags: that is a flags change too.
    void setModifierMap(const ModifierMap& map);
    // The state when monitoring starts: core button mask bits and modifier state.
    void seed(std::uint16_t coreButtonMask, std::uint8_t mods);

    void buttonPressed(std::uint32_t button);
    void buttonReleased(std::uint32_t button);
    void pointerMoved();
    void modifiersChanged(std::uint8_t mods);
    // The modifier state read afresh from the server, for when a change may have gone unseen
    // (a grab began or ended, a long quiet spell). A difference is reported before the motion
    // that waits, so that the motion is judged by the keys really held.
    void modifiersConfirmed(std::uint8_t mods);

    bool anyButtonHeld() const { return held_.any(); }
    // For when the server says no button is down although we saw no release.
    void forgetButtons() { held_.reset(); }
    std::uint64_t currentFlags() const { return flags_; }
    // Whether Shift, Control, Option or Command is held (Caps Lock does not count).
    bool holdsChordKeys() const;
    bool motionWaiting() const {
        return !out_.empty() && out_.back().type == EventType::MouseMoved;
    }

    // The events made since the last call, in order.
    std::vector<Event> take();

private:
    static bool isWheel(std::uint32_t button) { return button >= 4 && button <= 7; }

    ModifierMap map_;
    std::bitset<256> held_;
    std::uint8_t mods_ = 0;
    std::uint64_t flags_ = 0;
    std::vector<Event> out_;
};

}  // namespace tugworth::x11
