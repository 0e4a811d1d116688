// The move chain: frame, separate position, position (and its alternative names and the
// "AXMove" action), then a substitute element, then the application element itself.
#include "manipulation/WindowMover.h"

#include <algorithm>

#include "platform/AXNames.h"
#include "platform/Coordinates.h"

namespace tugworth {

namespace {

Point movedOrigin(Point origin, double dx, double dy) {
    const Point delta = toAccessibilityDelta(dx, dy);
    return {origin.x + delta.x, origin.y + delta.y};
}

// Whether `value` is an array of strings only, one of them exactly `name`.
bool stringListContains(const Value& value, std::string_view name) {
    const Value::Array* array = value.asArray();
    if (array == nullptr) return false;
    const bool allStrings = std::all_of(array->begin(), array->end(), [](const Value& entry) {
        return entry.asString() != nullptr;
    });
    return allStrings && std::any_of(array->begin(), array->end(),
                                     [&](const Value& entry) { return *entry.asString() == name; });
}

}  // namespace

bool WindowMover::manipulate(double dx, double dy) {
    log_.info("Moving window by dx: ", dx, ", dy: ", dy);
    return validateWindow() &&
           (moveUsingFrame(dx, dy) || moveUsingPosition(dx, dy) || moveUsingFallbacks(dx, dy));
}

bool WindowMover::moveUsingFrame(double dx, double dy) {
    log_.debug("Moving using frame - dx: ", dx, ", dy: ", dy);
    const auto frame = readFrame();
    if (!frame) return false;
    const Point origin = movedOrigin(frame->origin(), dx, dy);
    const Rect moved{origin.x, origin.y, frame->width, frame->height};
    const AXError code =
        accessibility_.setAttributeValue(window, ax::kFrame, AXValue::create(moved));
    if (code == AXError::kAXErrorSuccess) {
        log_.success("Window frame set");
        return true;
    }
    log_.error("Failed to set window frame: ", code);
    return setPositionSeparately(frame->x, frame->y, dx, dy);
}

bool WindowMover::setPositionSeparately(double x, double y, double dx, double dy) {
    const Value boxedPoint = AXValue::create(movedOrigin({x, y}, dx, dy));
    const AXError code = accessibility_.setAttributeValue(window, ax::kPosition, boxedPoint);
    if (code == AXError::kAXErrorSuccess) {
        log_.success("Window position set separately");
        return true;
    }
    log_.error("Failed to set window position separately: ", code);
    return writeAlternativePositions(boxedPoint);
}

bool WindowMover::moveUsingPosition(double dx, double dy) {
    log_.debug("Moving using position: dx: ", dx, ", dy: ", dy);
    AXError readCode{};
    const auto boxed = readGeometry(ax::kPosition, readCode);
    if (!boxed) {
        log_.debug("Window doesn't support position attribute: ", readCode);
        return moveUsingAlternativeAttributes(dx, dy);
    }
    Point position;
    if (!boxed->getValue(position)) return false;
    log_.debug("Current window position: ", position);

    const Value boxedPoint = AXValue::create(movedOrigin(position, dx, dy));
    const AXError code = accessibility_.setAttributeValue(window, ax::kPosition, boxedPoint);
    if (code == AXError::kAXErrorSuccess) {
        log_.success("Window position set");
        return true;
    }
    log_.error("Failed to set window position: ", code);
    return writeAlternativePositions(boxedPoint) || performMoveAction();
}

bool WindowMover::writeAlternativePositions(const Value& boxedPoint) {
    for (const std::string_view name : alternativePositionAttributes) {
        if (accessibility_.setAttributeValue(window, name, boxedPoint) ==
            AXError::kAXErrorSuccess) {
            log_.success("Window position set using alternative attribute: ", name);
            return true;
        }
    }
    return false;
}

// The action carries no delta: that the application accepts it is all we learn.
bool WindowMover::performMoveAction() {
    Value actions;
    if (accessibility_.copyAttributeValue(window, ax::kActions, actions) !=
            AXError::kAXErrorSuccess ||
        !stringListContains(actions, ax::kMoveAction)) {
        return false;
    }
    if (accessibility_.performAction(window, ax::kMoveAction) != AXError::kAXErrorSuccess)
        return false;
    log_.success("Window moved using AXMoveAction");
    return true;
}

// For elements without a readable "AXPosition": each name is read and written back shifted.
bool WindowMover::moveUsingAlternativeAttributes(double dx, double dy) {
    for (const std::string_view name : alternativePositionAttributes) {
        AXError readCode{};
        const auto boxed = readGeometry(name, readCode);
        Point position;
        if (!boxed || !boxed->getValue(position)) continue;
        const Value boxedPoint = AXValue::create(movedOrigin(position, dx, dy));
        if (accessibility_.setAttributeValue(window, name, boxedPoint) ==
            AXError::kAXErrorSuccess) {
            log_.success("Window position set using alternative attribute: ", name);
            return true;
        }
    }
    return false;
}

bool WindowMover::moveUsingFallbacks(double dx, double dy) {
    return handOver<WindowMover>(
        dx, dy,
        [&](WindowMover& application) {
            return application.moveUsingFrame(dx, dy) || application.moveUsingPosition(dx, dy);
        },
        "Moved application window directly", "All window movement methods failed");
}

}  // namespace tugworth
