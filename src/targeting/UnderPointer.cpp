// Whether a window element lies under the pointer, tested in both coordinate spaces with a
// margin around the window so that a pointer just off its edge still counts.
#include "platform/AXNames.h"
#include "platform/AttributeReads.h"
#include "platform/Coordinates.h"
#include "targeting/FinderRules.h"
#include "targeting/Targeting.h"

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

bool isWindowUnderMouse(TargetingContext& context, const Element& element, Point location) {
    AccessibilityService& ax = context.accessibility;
    const Pid pid = pidOrZero(ax, element);
    context.log.debug("Checking window under mouse for process: ", processName(context, pid),
                      " (PID: ", pid, ")");
    if (readIsTrue(ax, element, ax::kMinimized)) {
        context.log.debug("Window is minimized, skipping");
        return false;
    }
    if (readIsTrue(ax, element, ax::kHidden)) {
        context.log.debug("Window is hidden, skipping");
        return false;
    }

    const AttributeRead positionRead = readAttribute(ax, element, ax::kPosition);
    if (!isBoxedRead(context.log, positionRead, "position")) return false;
    const AttributeRead sizeRead = readAttribute(ax, element, ax::kSize);
    if (!isBoxedRead(context.log, sizeRead, "size")) return false;
    const Point position = readPointOrZero(positionRead);
    const Size size = readSizeOrZero(sizeRead);
    if (isTinyWindow(size)) {
        context.log.debug("Window has invalid dimensions: ", size);
        return false;
    }
    const std::string title = readTitle(ax, element);

    const double flip = flipHeight(context.desktop);
    const Rect axFrame{position.x, position.y, size.width, size.height};
    const Rect screenFrame = toCocoaFrame(axFrame, flip);
    const Point axPointer = toAccessibilityPoint(location, flip);
    // Both tests, always: they differ on the horizontal edges of the grown frame.
    const bool axHit = rectContainsPoint(hitFrame(axFrame), axPointer);
    const bool screenHit = rectContainsPoint(hitFrame(screenFrame), location);
    const bool underPointer = axHit || screenHit;

    context.log.debug("Window title: \"", title, "\"");
    context.log.debug("AX Window frame: ", axFrame);
    context.log.debug("Screen Window frame: ", screenFrame);
    context.log.debug("Screen mouse location: ", location);
    context.log.debug("AX mouse Y-coordinate: ", axPointer.y);
    context.log.debug("Is under mouse (AX coords): ", axHit);
    context.log.debug("Is under mouse (Screen coords): ", screenHit);
    context.log.debug("Is under mouse (Combined): ", underPointer);
    if (!underPointer) return false;

    const Pid ownerPid = pidOrZero(ax, element);
    context.log.debug("Window under mouse: \"", title, "\" (PID: ", ownerPid, ")");
    return true;
}

}  // namespace tugworth
