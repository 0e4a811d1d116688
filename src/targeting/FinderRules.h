// How Finder's desktop-like windows are recognised, for the window-list search and the Finder
// selection alike, and the size under which no window is worth targeting.
#pragma once

#include <string_view>

#include "platform/Geometry.h"
#include "platform/WindowServer.h"
#include "targeting/FixedLists.h"

namespace tugworth {

inline constexpr double kLargeWindowFraction = 0.9;
inline constexpr Size kDefaultScreenSize{1920.0, 1080.0};
inline constexpr double kScreenEdgeLimit = 10.0;
inline constexpr double kMinimumWindowSize = 10.0;

inline bool isFinderDesktopTitle(std::string_view title) {
    return listContains(finderDesktopTitles, title);
}

// The size the large-window rule compares with: the main screen's, or a common default
// without a display.
inline Size largeWindowReference(DesktopServices& desktop) {
    const auto main = desktop.mainScreen();
    return main ? main->frame.size() : kDefaultScreenSize;
}

// A window that covers most of the screen in both directions is Finder's desktop.
inline bool isLargeWindow(Size window, Size screen) {
    return window.width >= kLargeWindowFraction * screen.width &&
           window.height >= kLargeWindowFraction * screen.height;
}

// A window whose top-left corner sits in the screen's top-left corner is Finder's desktop.
inline bool isAtScreenEdge(Point axOrigin) {
    return axOrigin.x <= kScreenEdgeLimit && axOrigin.y <= kScreenEdgeLimit;
}

inline bool isTinyWindow(Size size) {
    return size.width < kMinimumWindowSize || size.height < kMinimumWindowSize;
}

}  // namespace tugworth
