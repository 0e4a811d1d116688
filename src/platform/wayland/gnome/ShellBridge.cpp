// Clutter's modifier masks and Mutter's window types, read as the platform's values.
#include "platform/wayland/gnome/ShellBridge.h"

#include "platform/Events.h"

namespace tugworth::wayland::gnome {
namespace {

// ClutterModifierType bits.
constexpr std::uint32_t kShift = 1U << 0;
constexpr std::uint32_t kLock = 1U << 1;
constexpr std::uint32_t kControl = 1U << 2;
constexpr std::uint32_t kMod1 = 1U << 3;  // Alt
constexpr std::uint32_t kMod4 = 1U << 6;  // Super, as the keymap binds it
constexpr std::uint32_t kButtons = 0x1fU << 8;
constexpr std::uint32_t kSuper = 1U << 26;
constexpr std::uint32_t kMeta = 1U << 28;

// MetaWindowType values.
enum : std::uint32_t {
    kNormal = 0,
    kDesktop = 1,
    kDock = 2,
    kDialog = 3,
    kModalDialog = 4,
    kToolbar = 5,
    kMenu = 6,
    kUtility = 7,
};

}  // namespace

std::uint64_t modifierFlagsOfMask(std::uint32_t mask) {
    std::uint64_t flags = 0;
    if ((mask & kShift) != 0) flags |= kModifierShift;
    if ((mask & kLock) != 0) flags |= kModifierCapsLock;
    if ((mask & kControl) != 0) flags |= kModifierControl;
    if ((mask & (kMod1 | kMeta)) != 0) flags |= kModifierOption;
    if ((mask & (kMod4 | kSuper)) != 0) flags |= kModifierCommand;
    return flags;
}

bool maskHoldsButton(std::uint32_t mask) {
    return (mask & kButtons) != 0;
}

CompositorWindowKind kindOfWindowType(std::uint32_t type) {
    switch (type) {
        case kNormal:
            return CompositorWindowKind::Normal;
        case kDesktop:
            return CompositorWindowKind::Desktop;
        case kDock:
            return CompositorWindowKind::Dock;
        case kDialog:
        case kModalDialog:
            return CompositorWindowKind::Dialog;
        case kToolbar:
        case kMenu:
        case kUtility:
            return CompositorWindowKind::Utility;
        default:
            return CompositorWindowKind::Other;
    }
}

FrameWriteResult frameWriteResultOf(std::uint32_t answer) {
    switch (answer) {
        case kFrameRequested:
            return FrameWriteResult::Requested;
        case kFrameNoSuchWindow:
            return FrameWriteResult::NoSuchWindow;
        default:
            return FrameWriteResult::Refused;
    }
}

}  // namespace tugworth::wayland::gnome
