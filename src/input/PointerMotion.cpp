// Pointer motion during a gesture: each handled event turns the pointer's movement since the
// previous one into one move or resize step on the target window.
#include <cmath>

#include "app/AppDelegate.h"

namespace tugworth {

namespace {

// Smaller motions (|dx| + |dy| up to and including this) are discarded, not accumulated.
constexpr double kMotionThreshold = 2.0;

bool exceedsThreshold(double dx, double dy) {
    return std::abs(dx) + std::abs(dy) > kMotionThreshold;
}

}  // namespace

void AppDelegate::handleMouseMove(const Event& /*event*/) {
    // Runs for every pointer motion on the desktop: when idle, two field reads and out.
    if (!(isDragging || isResizing) || !hasAccessibilityPermissions) return;

    if (!targetWindow) {
        captureWindow();
        if (!targetWindow) return;
    }
    // A copy: the step below may replace targetWindow with an alternative window.
    const Element target = *targetWindow;

    const Point location = platform_.desktop.mouseLocation();
    const double dx = location.x - initialLocation.x;
    const double dy = location.y - initialLocation.y;
    if (isDragging && exceedsThreshold(dx, dy)) {
        log_.debug("Moving window by dx: ", dx, ", dy: ", dy);
        moveTargetWindow(dx, dy, target);
    } else if (isResizing && exceedsThreshold(dx, dy)) {
        log_.debug("Resizing window by dx: ", dx, ", dy: ", dy);
        resizeTargetWindow(dx, dy, target);
    }
    initialLocation = location;
}

}  // namespace tugworth
