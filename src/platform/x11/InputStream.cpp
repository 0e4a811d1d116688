// The raw input stream turned into mouse-moved and flags-changed events.
#include "platform/x11/InputStream.h"

#include <array>

namespace tugworth::x11 {
namespace {

constexpr std::uint8_t kShiftMask = 0x01;
constexpr std::uint8_t kLockMask = 0x02;
constexpr std::uint8_t kControlMask = 0x04;
constexpr std::uint8_t kFirstModN = 3;  // Mod1 is the fourth core modifier

constexpr std::array<std::uint32_t, 4> kOptionKeysyms{0xffe9, 0xffea, 0xffe7,
                                                      0xffe8};           // Alt_L/R, Meta_L/R
constexpr std::array<std::uint32_t, 2> kCommandKeysyms{0xffeb, 0xffec};  // Super_L/R

bool contains(const auto& list, std::uint32_t keysym) {
    for (auto k : list) {
        if (k == keysym) return true;
    }
    return false;
}

}  // namespace

std::uint64_t modifierFlags(std::uint8_t mods, const ModifierMap& map) {
    std::uint64_t flags = 0;
    if ((mods & kShiftMask) != 0) flags |= kModifierShift;
    if ((mods & kLockMask) != 0) flags |= kModifierCapsLock;
    if ((mods & kControlMask) != 0) flags |= kModifierControl;
    if ((mods & map.option) != 0) flags |= kModifierOption;
    if ((mods & map.command) != 0) flags |= kModifierCommand;
    return flags;
}

ModifierMap findModifierMap(const std::vector<std::uint8_t>& modifierKeycodes,
                            std::uint8_t keycodesPerModifier, std::uint8_t minKeycode,
                            const std::vector<std::uint32_t>& keysyms,
                            std::uint8_t keysymsPerKeycode) {
    std::uint8_t option = 0;
    std::uint8_t command = 0;
    for (std::uint8_t mod = kFirstModN; mod < 8; ++mod) {
        for (std::size_t k = 0; k < keycodesPerModifier; ++k) {
            const std::size_t index = std::size_t{mod} * keycodesPerModifier + k;
            if (index >= modifierKeycodes.size()) break;
            const std::uint8_t keycode = modifierKeycodes[index];
            if (keycode == 0 || keycode < minKeycode) continue;
            for (std::size_t s = 0; s < keysymsPerKeycode; ++s) {
                const std::size_t at = std::size_t(keycode - minKeycode) * keysymsPerKeycode + s;
                if (at >= keysyms.size()) break;
                const auto bit = static_cast<std::uint8_t>(1U << mod);
                if (contains(kOptionKeysyms, keysyms[at])) option |= bit;
                if (contains(kCommandKeysyms, keysyms[at])) command |= bit;
            }
        }
    }
    ModifierMap map;
    if (option != 0) map.option = option;
    if (command != 0) map.command = command;
    return map;
}

void InputStream::setModifierMap(const ModifierMap& map) {
    map_ = map;
    modifiersChanged(mods_);
}

void InputStream::seed(std::uint16_t coreButtonMask, std::uint8_t mods) {
    held_.reset();
    // Button1Mask is 0x100 ... Button5Mask 0x1000; 4 and 5 are wheel steps, never held.
    for (std::uint32_t button = 1; button <= 3; ++button) {
        if ((coreButtonMask & (0x80U << button)) != 0) held_.set(button);
    }
    mods_ = mods;
    flags_ = modifierFlags(mods, map_);
}

void InputStream::buttonPressed(std::uint32_t button) {
    if (button < held_.size() && !isWheel(button)) held_.set(button);
}

void InputStream::buttonReleased(std::uint32_t button) {
    if (button < held_.size()) held_.reset(button);
}

void InputStream::pointerMoved() {
    if (held_.any()) return;  // a drag, not a move
    // The handler reads the pointer itself, so one event stands for every motion queued
    // behind it until something else happens.
    if (!out_.empty() && out_.back().type == EventType::MouseMoved) {
        out_.back().modifierFlags = flags_;
        return;
    }
    out_.push_back({EventType::MouseMoved, flags_});
}

void InputStream::modifiersChanged(std::uint8_t mods) {
    mods_ = mods;
    const std::uint64_t flags = modifierFlags(mods, map_);
    if (flags == flags_) return;  // Num Lock, groups and the like are not ours to report
    flags_ = flags;
    out_.push_back({EventType::FlagsChanged, flags_});
}

void InputStream::modifiersConfirmed(std::uint8_t mods) {
    if (!motionWaiting()) {
        modifiersChanged(mods);
        return;
    }
    Event motion = out_.back();
    out_.pop_back();
    modifiersChanged(mods);
    motion.modifierFlags = flags_;
    out_.push_back(motion);
}

bool InputStream::holdsChordKeys() const {
    return (flags_ & (kModifierShift | kModifierControl | kModifierOption | kModifierCommand)) != 0;
}

std::vector<Event> InputStream::take() {
    std::vector<Event> events;
    events.swap(out_);
    return events;
}

}  // namespace tugworth::x11
