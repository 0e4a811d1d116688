// The narrow seam between the Wayland platform and one compositor's bridge (a GNOME Shell
// extension, a KWin script). A driver only carries reads, writes and events; every decision
// stays in the core.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/Element.h"
#include "platform/Geometry.h"

namespace tugworth::wayland {

using CompositorWindowId = std::uint64_t;

enum class CompositorWindowKind : std::uint8_t { Normal, Dialog, Utility, Desktop, Dock, Other };

// One window as the compositor sees it. Frames are in the compositor's global space: origin at
// the top-left of the primary monitor, y down, in logical pixels.
struct CompositorWindow {
    CompositorWindowId id = 0;
    Pid pid = 0;
    std::string applicationName;
    std::string title;
    Rect frame;
    bool minimized = false;
    bool maximized = false;
    bool fullscreen = false;
    CompositorWindowKind kind = CompositorWindowKind::Normal;
};

struct CompositorPointer {
    Point location;               // global space, as the frames
    std::uint64_t modifierFlags;  // ModifierFlag bits (platform/Events.h)
    // Motion with a button held is a drag of the compositor's own, not ours to follow.
    bool anyButtonHeld = false;
};

// What the bridge pushes; delivered on the program's event loop.
struct CompositorEvents {
    std::function<void(const CompositorPointer&)> pointerMoved;
    std::function<void(std::uint64_t modifierFlags)> modifiersChanged;
    // The bridge has gone (compositor quit, extension disabled, script unloaded): one sentence
    // for the user saying what happened and what to do.
    std::function<void(const std::string& reason)> bridgeLost;
};

enum class FrameWriteResult : std::uint8_t { Requested, NoSuchWindow, Refused, BridgeGone };

class CompositorDriver {
public:
    virtual ~CompositorDriver() = default;

    // "GNOME Shell", "KWin": for messages.
    virtual std::string compositorName() const = 0;
    // Whether the bridge answers now (the trust check).
    virtual bool bridgeAnswers() = 0;

    // Front-most first; nullopt when the bridge does not answer.
    virtual std::optional<std::vector<CompositorWindow>> windowsFrontToBack() = 0;
    virtual std::optional<CompositorPointer> pointer() = 0;
    // Monitor rectangles in global space, the primary first.
    virtual std::vector<Rect> monitors() = 0;
    // The part of each monitor not covered by panels, in the order of monitors(); a driver
    // that cannot tell answers the monitors themselves.
    virtual std::vector<Rect> workAreas() { return monitors(); }
    // Asks for `frame` with its top-left corner where given. Applied asynchronously: the
    // answer says only whether the request was accepted.
    virtual FrameWriteResult requestFrame(CompositorWindowId id, const Rect& frame) = 0;

    // Starts forwarding events; the bridge sends motion only while someone listens.
    virtual void watch(CompositorEvents events) = 0;

protected:
    CompositorDriver() = default;
    CompositorDriver(const CompositorDriver&) = delete;
    CompositorDriver& operator=(const CompositorDriver&) = delete;
};

}  // namespace tugworth::wayland
