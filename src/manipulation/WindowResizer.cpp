// The resize chain: frame, size, then a substitute element, then the application element.
#include "manipulation/WindowResizer.h"

#include <algorithm>

#include "platform/AXNames.h"
#include "platform/Coordinates.h"

namespace tugworth {

namespace {

// Moving the pointer down (dy < 0) makes the window taller.
Size resizedSize(Size size, double dx, double dy) {
    const Point delta = toAccessibilityDelta(dx, dy);
    return {std::max(size.width + delta.x, WindowResizer::minimumWindowSize),
            std::max(size.height + delta.y, WindowResizer::minimumWindowSize)};
}

}  // namespace

bool WindowResizer::manipulate(double dx, double dy) {
    log_.info("Resizing window by dx: ", dx, ", dy: ", dy);
    return validateWindow() &&
           (resizeUsingFrame(dx, dy) || resizeUsingSize(dx, dy) || resizeUsingFallbacks(dx, dy));
}

bool WindowResizer::resizeUsingFrame(double dx, double dy) {
    log_.debug("Resizing using frame - dx: ", dx, ", dy: ", dy);
    const auto frame = readFrame();
    if (!frame) return false;
    const Size size = resizedSize(frame->size(), dx, dy);
    const Rect resized{frame->x, frame->y, size.width, size.height};
    const AXError code =
        accessibility_.setAttributeValue(window, ax::kFrame, AXValue::create(resized));
    if (code == AXError::kAXErrorSuccess) {
        log_.success("Window frame resized");
        return true;
    }
    log_.error("Failed to set window frame: ", code);
    return false;
}

bool WindowResizer::resizeUsingSize(double dx, double dy) {
    AXError readCode{};
    const auto boxed = readGeometry(ax::kSize, readCode);
    if (!boxed) {
        log_.error("Failed to read window size: ", readCode);
        return false;
    }
    Size size;
    if (!boxed->getValue(size)) return false;
    log_.debug("Current window size: ", size, ", adjusting by dx: ", dx, ", dy: ", dy);

    const AXError code = accessibility_.setAttributeValue(
        window, ax::kSize, AXValue::create(resizedSize(size, dx, dy)));
    if (code == AXError::kAXErrorSuccess) {
        log_.success("Window size set");
        return true;
    }
    log_.error("Failed to set window size: ", code);
    return false;
}

bool WindowResizer::resizeUsingFallbacks(double dx, double dy) {
    return handOver<WindowResizer>(
        dx, dy,
        [&](WindowResizer& application) {
            return application.resizeUsingFrame(dx, dy) || application.resizeUsingSize(dx, dy);
        },
        "Resized application window directly", "All window resizing methods failed");
}

}  // namespace tugworth
