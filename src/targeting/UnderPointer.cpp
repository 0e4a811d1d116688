// Whether a window element lies under the pointer, tested in both coordinate spaces with a
// margin around the window so that a pointer just off its edge still counts.
#include "app/AppDelegate.h"
#include "platform/AXNames.h"
#include "platform/AttributeReads.h"
#include "platform/Coordinates.h"
#include "targeting/FinderRules.h"

namespace tugworth {

namespace {

// Whether a read of "AXPosition" or "AXSize" (`what`: position, size) gave a boxed value;
// logs why not.
bool isBoxedRead(Log& log, const AttributeRead& read, std::string_view what) {
    if (!read.hasValue()) {
        log.debug("Failed to get window ", what, ": ", read.code);
        return false;
    }
    if (read.value.asAXValue() == nullptr) {
        log.debug("Invalid ", what, " reference type");
        return false;
    }
    return true;
}

}  // namespace

bool AppDelegate::isWindowUnderMouse(const Element& element, Point location) {
    AccessibilityService& ax = platform_.accessibility;
    const Pid pid = pidOrZero(ax, element);
    log_.debug("Checking window under mouse for process: ", processName(pid), " (PID: ", pid, ")");
    if (readIsTrue(ax, element, ax::kMinimized)) {
        log_.debug("Window is minimized, skipping");
        return false;
    }
    if (readIsTrue(ax, element, ax::kHidden)) {
        log_.debug("Window is hidden, skipping");
        return false;
    }

    const AttributeRead positionRead = readAttribute(ax, element, ax::kPosition);
    if (!isBoxedRead(log_, positionRead, "position")) return false;
    const AttributeRead sizeRead = readAttribute(ax, element, ax::kSize);
    if (!isBoxedRead(log_, sizeRead, "size")) return false;
    const Point position = readPointOrZero(positionRead);
    const Size size = readSizeOrZero(sizeRead);
    if (isTinyWindow(size)) {
        log_.debug("Window has invalid dimensions: ", size);
        return false;
    }
    const std::string title = readTitle(ax, element);

    const double flip = flipHeight(platform_.desktop);
    const Rect axFrame{position.x, position.y, size.width, size.height};
    const Rect screenFrame = toCocoaFrame(axFrame, flip);
    const Point axPointer = toAccessibilityPoint(location, flip);
    // Both tests, always: they differ on the horizontal edges of the grown frame.
    const bool axHit = rectContainsPoint(hitFrame(axFrame), axPointer);
    const bool screenHit = rectContainsPoint(hitFrame(screenFrame), location);
    const bool underPointer = axHit || screenHit;

    log_.debug("Window title: \"", title, "\"");
    log_.debug("AX Window frame: ", axFrame);
    log_.debug("Screen Window frame: ", screenFrame);
    log_.debug("Screen mouse location: ", location);
    log_.debug("AX mouse Y-coordinate: ", axPointer.y);
    log_.debug("Is under mouse (AX coords): ", axHit);
    log_.debug("Is under mouse (Screen coords): ", screenHit);
    log_.debug("Is under mouse (Combined): ", underPointer);
    if (!underPointer) return false;

    const Pid ownerPid = pidOrZero(ax, element);
    log_.debug("Window under mouse: \"", title, "\" (PID: ", ownerPid, ")");
    return true;
}

}  // namespace tugworth
