// Element-level questions shared by the mover and the resizer.
#include "manipulation/WindowManipulator.h"

#include "platform/AXNames.h"
#include "platform/AttributeReads.h"

namespace tugworth {

namespace {

// The element under `attribute` of `element`, when the read succeeds with an element that can
// be positioned.
std::optional<Element> positionableElementAttribute(AccessibilityService& accessibility, Log& log,
                                                    const Element& element,
                                                    std::string_view attribute) {
    Value value;
    if (accessibility.copyAttributeValue(element, attribute, value) != AXError::kAXErrorSuccess) {
        return std::nullopt;
    }
    const Element* found = value.asElement();
    if (found == nullptr || !supportsPositioning(accessibility, log, *found)) return std::nullopt;
    return *found;
}

}  // namespace

bool supportsPositioning(AccessibilityService& accessibility, Log& log, const Element& element) {
    Value value;
    const AXError positionCode = accessibility.copyAttributeValue(element, ax::kPosition, value);
    if (positionCode == AXError::kAXErrorSuccess) return true;
    const AXError frameCode = accessibility.copyAttributeValue(element, ax::kFrame, value);
    if (frameCode == AXError::kAXErrorSuccess) return true;
    log.debug("Window doesn't support positioning: position=", positionCode, ", frame=", frameCode);
    return false;
}

WindowManipulator::WindowManipulator(AccessibilityService& accessibility, Log& log, Element element,
                                     Pid owner)
    : window(element), pid(owner), accessibility_(accessibility), log_(log) {}

WindowManipulator::WindowManipulator(const WindowManipulator& caller, Element substitute,
                                     Pid substitutePid)
    : window(substitute),
      pid(substitutePid),
      accessibility_(caller.accessibility_),
      log_(caller.log_),
      caller_(&caller) {}

bool WindowManipulator::validateWindow() {
    if (!accessibility_.isProcessTrusted()) {
        log_.error("Accessibility permissions not granted");
        return false;
    }
    Value role;
    const AXError code = accessibility_.copyAttributeValue(window, ax::kRole, role);
    if (code != AXError::kAXErrorSuccess) {
        log_.error("Window reference is no longer valid: ", code);
        return false;
    }
    return true;
}

std::optional<Element> WindowManipulator::parentWindow() {
    return positionableElementAttribute(accessibility_, log_, window, ax::kParent);
}

std::optional<Element> WindowManipulator::applicationMainWindow() {
    return applicationWindowAttribute(ax::kMainWindow);
}

std::optional<Element> WindowManipulator::applicationFocusedWindow() {
    return applicationWindowAttribute(ax::kFocusedWindow);
}

std::optional<Element> WindowManipulator::applicationWindowAttribute(std::string_view name) {
    const Element application = accessibility_.createApplication(pid);
    return positionableElementAttribute(accessibility_, log_, application, name);
}

std::optional<Element> WindowManipulator::findAlternativeWindow() {
    const Element application = accessibility_.createApplication(pid);
    if (const auto entries =
            elementArrayValue(readAttribute(accessibility_, application, ax::kWindows))) {
        log_.debug("Found ", static_cast<std::int64_t>(entries->size()), " windows in application");
        for (const Element& entry : *entries) {
            if (entry == window || !supportsPositioning(accessibility_, log_, entry)) continue;
            log_.debug("Found alternative window that supports positioning");
            return entry;
        }
    }
    if (auto main = applicationMainWindow(); main && *main != window) {
        log_.debug("Found main window");
        return main;
    }
    if (auto focused = applicationFocusedWindow(); focused && *focused != window) {
        log_.debug("Found focused window");
        return focused;
    }
    if (supportsPositioning(accessibility_, log_, application)) {
        log_.debug("Using application as fallback");
        return application;
    }
    log_.debug("No suitable alternative window found");
    return std::nullopt;
}

bool WindowManipulator::manipulate(double /*dx*/, double /*dy*/) {
    return false;
}

std::optional<AXValue> WindowManipulator::readGeometry(std::string_view attribute, AXError& code) {
    Value value;
    code = accessibility_.copyAttributeValue(window, attribute, value);
    const AXValue* boxed = value.asAXValue();
    if (code != AXError::kAXErrorSuccess || boxed == nullptr) return std::nullopt;
    return *boxed;
}

std::optional<Rect> WindowManipulator::readFrame() {
    AXError code{};
    const auto boxed = readGeometry(ax::kFrame, code);
    if (!boxed) {
        log_.debug("Window doesn't support frame attribute: ", code);
        return std::nullopt;
    }
    Rect frame;
    if (!boxed->getValue(frame)) return std::nullopt;
    log_.debug("Current window frame: ", frame);
    return frame;
}

bool WindowManipulator::isFreshSubstitute(const Element& candidate) const {
    for (const WindowManipulator* entered = this; entered != nullptr; entered = entered->caller_) {
        if (entered->window == candidate) return false;
    }
    return true;
}

WindowManipulator::Substitute WindowManipulator::substituteFor(const Element& element) {
    Pid owner = 0;
    (void)accessibility_.getPid(element, owner);  // a failed lookup leaves 0
    return {element, owner};
}

std::optional<WindowManipulator::Substitute> WindowManipulator::nextSubstitute() {
    if (auto parent = parentWindow(); parent && isFreshSubstitute(*parent)) {
        log_.debug("Trying parent element");
        return substituteFor(*parent);
    }
    if (auto main = applicationMainWindow(); main && isFreshSubstitute(*main)) {
        log_.debug("Trying application's main window");
        return substituteFor(*main);
    }
    if (auto focused = applicationFocusedWindow(); focused && isFreshSubstitute(*focused)) {
        log_.debug("Trying application's focused window");
        return substituteFor(*focused);
    }
    return std::nullopt;
}

}  // namespace tugworth
