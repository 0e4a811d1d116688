// The two coordinate spaces and the one flip height that converts between them.
// Accessibility space: origin top-left of the main screen, y down (AX positions, window-list
// bounds). Cocoa space: origin bottom-left of the main screen, y up (pointer, screens).
#pragma once

#include "platform/Geometry.h"
#include "platform/WindowServer.h"

namespace tugworth {

// Added on every side of a window's frame before testing it against the pointer.
inline constexpr double kHitMargin = 20.0;

// The main screen's height, read afresh; 0.0 without a display. Every conversion uses it,
// whatever display the window or the pointer is on.
inline double flipHeight(DesktopServices& desktop) {
    const auto main = desktop.mainScreen();
    return main ? main->frame.height : 0.0;
}

inline Rect toCocoaFrame(const Rect& axFrame, double flip) {
    return {axFrame.x, flip - axFrame.y - axFrame.height, axFrame.width, axFrame.height};
}

inline Point toAccessibilityPoint(Point cocoa, double flip) {
    return {cocoa.x, flip - cocoa.y};
}

// A pointer movement measured in Cocoa space, as applied to Accessibility positions.
inline Point toAccessibilityDelta(double dx, double dy) {
    return {dx, -dy};
}

// The frame grown by the hit margin on every side.
inline Rect hitFrame(const Rect& frame) {
    return rectInset(frame, -kHitMargin);
}

}  // namespace tugworth
