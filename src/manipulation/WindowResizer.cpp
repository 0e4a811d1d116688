// The resize chain: frame, size, then a substitute element, then the application element.
#include "manipulation/WindowResizer.h"

#include <algorithm>

namespace tugworth {

namespace {

// The pointer delta has y growing upwards: moving it down (dy < 0) makes the window taller.
Size resizedSize(Size size, double dx, double dy) {
    return {std::max(size.width + dx, WindowResizer::minimumWindowSize),
            std::max(size.height - dy, WindowResizer::minimumWindowSize)};
}

}  // namespace

bool WindowResizer::manipulate(double dx, double dy) {
    log_.info("Resizing window by dx: ", dx, ", dy: ", dy);
    const EntryScope entry(*this);
    if (!validateWindow()) return false;
    if (resizeUsingFrame(dx, dy)) return true;
    if (resizeUsingSize(dx, dy)) return true;
    return resizeUsingFallbacks(dx, dy);
}

bool WindowResizer::resizeUsingFrame(double dx, double dy) {
    log_.debug("Resizing using frame - dx: ", dx, ", dy: ", dy);
    Value value;
    const AXError readCode = accessibility_.copyAttributeValue(window, "AXFrame", value);
    const AXValue* boxed = value.asAXValue();
    if (readCode != AXError::kAXErrorSuccess || boxed == nullptr) {
        log_.debug("Window doesn't support frame attribute: ", readCode);
        return false;
    }
    Rect frame;
    if (!boxed->getValue(frame)) return false;
    log_.debug("Current window frame: ", frame);

    const Size size = resizedSize(frame.size(), dx, dy);
    const Rect resized{frame.x, frame.y, size.width, size.height};
    const AXError writeCode =
        accessibility_.setAttributeValue(window, "AXFrame", AXValue::create(resized));
    if (writeCode == AXError::kAXErrorSuccess) {
        log_.success("Window frame resized");
        return true;
    }
    log_.error("Failed to set window frame: ", writeCode);
    return false;
}

bool WindowResizer::resizeUsingSize(double dx, double dy) {
    Value value;
    const AXError readCode = accessibility_.copyAttributeValue(window, "AXSize", value);
    const AXValue* boxed = value.asAXValue();
    if (readCode != AXError::kAXErrorSuccess || boxed == nullptr) {
        log_.error("Failed to read window size: ", readCode);
        return false;
    }
    Size size;
    if (!boxed->getValue(size)) return false;
    log_.debug("Current window size: ", size, ", adjusting by dx: ", dx, ", dy: ", dy);

    const AXError writeCode = accessibility_.setAttributeValue(
        window, "AXSize", AXValue::create(resizedSize(size, dx, dy)));
    if (writeCode == AXError::kAXErrorSuccess) {
        log_.success("Window size set");
        return true;
    }
    log_.error("Failed to set window size: ", writeCode);
    return false;
}

bool WindowResizer::resizeUsingFallbacks(double dx, double dy) {
    if (const auto substitute = nextSubstitute()) {
        WindowResizer resizer(*this, substitute->element, substitute->pid);
        return resizer.manipulate(dx, dy);
    }
    WindowResizer application(*this, accessibility_.createApplication(pid), pid);
    if (application.resizeUsingFrame(dx, dy) || application.resizeUsingSize(dx, dy)) {
        log_.debug("Resized application window directly");
        return true;
    }
    log_.warning("All window resizing methods failed");
    return false;
}

}  // namespace tugworth
