// What Tugworth's GNOME Shell extension answers on the session bus, and how its values read.
#pragma once

#include <cstdint>

#include "platform/wayland/CompositorDriver.h"

namespace tugworth::wayland::gnome {

inline constexpr char kShellBusName[] = "org.gnome.Shell";
inline constexpr char kBridgePath[] = "/org/tugworth/ShellBridge";
inline constexpr char kBridgeInterface[] = "org.tugworth.ShellBridge1";
inline constexpr char kExtensionUuid[] = "tugworth@tugworth.org";

// SetFrame's answers.
inline constexpr std::uint32_t kFrameRequested = 0;
inline constexpr std::uint32_t kFrameNoSuchWindow = 1;
inline constexpr std::uint32_t kFrameRefused = 2;

// Window flags in Windows().
inline constexpr std::uint32_t kFlagMinimized = 1;
inline constexpr std::uint32_t kFlagMaximized = 2;
inline constexpr std::uint32_t kFlagFullscreen = 4;

// The ModifierFlag bits (platform/Events.h) of a Clutter modifier mask.
std::uint64_t modifierFlagsOfMask(std::uint32_t mask);
// Whether a Clutter modifier mask holds a pointer button.
bool maskHoldsButton(std::uint32_t mask);
// The kind of a Mutter window type (MetaWindowType).
CompositorWindowKind kindOfWindowType(std::uint32_t type);
FrameWriteResult frameWriteResultOf(std::uint32_t answer);

}  // namespace tugworth::wayland::gnome
