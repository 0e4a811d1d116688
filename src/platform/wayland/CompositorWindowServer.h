// The window server over a compositor's bridge: its windows front-most first, as window-list
// dictionaries.
#pragma once

#include "platform/WindowServer.h"
#include "platform/wayland/CompositorReads.h"

namespace tugworth::wayland {

// Stacking layers reported under "kCGWindowLayer" (informational only).
inline constexpr int kLayerDesktop = -20;
inline constexpr int kLayerNormal = 0;
inline constexpr int kLayerDock = 20;

class CompositorWindowServer final : public WindowServer {
public:
    explicit CompositorWindowServer(CompositorReads& reads) : reads_(reads) {}

    Value copyWindowListInfo(std::uint32_t options, std::uint32_t relativeToWindow) override;

private:
    CompositorReads& reads_;
};

}  // namespace tugworth::wayland
