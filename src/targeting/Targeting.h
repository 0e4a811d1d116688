// Finding the window to act on. Targeting needs only the Accessibility service, the desktop,
// the window server and the log: it takes those, not the application delegate, so that it sits
// below the delegate and above manipulation.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/AccessibilityService.h"
#include "platform/Geometry.h"
#include "platform/Log.h"
#include "platform/WindowServer.h"
#include "targeting/WindowSearchResult.h"

namespace tugworth {

struct TargetingContext {
    AccessibilityService& accessibility;
    DesktopServices& desktop;
    WindowServer& windowServer;
    Log& log;
};

// What a capture reads and settles: the delegate's permission flag and the time it was read,
// the pointer's location at the capture, and the target.
struct CaptureState {
    bool& hasAccessibilityPermissions;
    std::optional<std::chrono::system_clock::time_point>& lastPermissionCheckTime;
    Point& initialLocation;
    std::optional<Element>& targetWindow;
};

void captureWindow(TargetingContext& context, CaptureState state);
void logWindowInfo(TargetingContext& context, const Element& element);
std::optional<WindowSearchResult> findWindowUnderPointer(TargetingContext& context);
std::vector<Element> getAllAccessibleWindows(TargetingContext& context, Pid pid);
std::string processName(TargetingContext& context, Pid pid);
void logWindowFrames(TargetingContext& context, const Element& element, std::int64_t index);
bool isWindowUnderMouse(TargetingContext& context, const Element& element, Point location);
std::optional<Element> getFinderWindow(TargetingContext& context, Pid pid);

}  // namespace tugworth
