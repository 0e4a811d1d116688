// The window server over X: the client windows front-most first, as window-list dictionaries.
#pragma once

#include "platform/WindowServer.h"
#include "platform/x11/X11Windows.h"

namespace tugworth::x11 {

// Stacking layers reported under "kCGWindowLayer" (informational only).
inline constexpr int kLayerDesktop = -20;
inline constexpr int kLayerBelow = -1;
inline constexpr int kLayerNormal = 0;
inline constexpr int kLayerAbove = 3;
inline constexpr int kLayerDock = 20;

class X11WindowServer final : public WindowServer {
public:
    X11WindowServer(XConnection& conn, X11Windows& windows) : conn_(conn), windows_(windows) {}

    Value copyWindowListInfo(std::uint32_t options, std::uint32_t relativeToWindow) override;

private:
    Value::Dictionary describe(const ClientWindow& window, const CoordinateSpace& space,
                               const std::vector<ClientWindow>& frontToBack);
    int layerOf(const ClientWindow& window) const;

    XConnection& conn_;
    X11Windows& windows_;
};

}  // namespace tugworth::x11
