// Where the KDE driver learns which modifier keys are held: KWin scripts cannot see them, so
// they come from elsewhere (the keystate protocol; a test double in tests).
#pragma once

#include <cstdint>
#include <functional>

namespace tugworth::wayland::kde {

class ModifierSource {
public:
    virtual ~ModifierSource() = default;
    // ModifierFlag bits (platform/Events.h) held now.
    virtual std::uint64_t modifierFlags() const = 0;
    // `changed` runs on the program's event loop with the new flags after each change.
    virtual void watch(std::function<void(std::uint64_t)> changed) = 0;
};

}  // namespace tugworth::wayland::kde
