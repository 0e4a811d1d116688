// Accessibility answers of the simulated desktop. Geometry reads and writes allocate nothing:
// benchmarks of the gesture path run on them.
#include <algorithm>

#include "platform/AXNames.h"
#include "platform/sim/Desktop.h"
#include "platform/sim/SimServices.h"

namespace tugworth::sim {

namespace {

constexpr AXError kSuccess = AXError::kAXErrorSuccess;
constexpr AXError kUnsupported = AXError::kAXErrorAttributeUnsupported;
constexpr AXError kIllegalArgument = AXError::kAXErrorIllegalArgument;

const AttributeOverride* findOverride(const AttributeOverrides& overrides,
                                      std::string_view attribute) {
    auto it = overrides.find(attribute);
    return it == overrides.end() ? nullptr : &it->second;
}

bool isPositionAlias(std::string_view attribute) {
    return attribute == "Position" || attribute == "WindowPosition";
}

}  // namespace

bool SimAccessibility::isProcessTrusted() {
    desktop_.counter_.count();
    return desktop_.readTrusted();
}

bool SimAccessibility::isProcessTrustedWithOptions(bool prompt) {
    desktop_.counter_.count();
    desktop_.trustPromptOptions_.push_back(prompt);
    return desktop_.readTrusted();
}

Element SimAccessibility::createApplication(Pid pid) {
    desktop_.counter_.count();
    return Element::application(pid);
}

AXError SimAccessibility::getPid(const Element& element, Pid& pid) {
    desktop_.counter_.count();
    if (!desktop_.isAlive(element)) return AXError::kAXErrorInvalidUIElement;
    pid = element.isApplication() ? static_cast<Pid>(element.id())
                                  : desktop_.window(element.id())->pid;
    return kSuccess;
}

AXError SimAccessibility::copyAttributeValue(const Element& element, std::string_view attribute,
                                             Value& value) {
    desktop_.counter_.count();
    value = Value();
    if (!desktop_.isAlive(element)) return AXError::kAXErrorInvalidUIElement;
    const WindowModel* window = element.isApplication() ? nullptr : desktop_.window(element.id());
    const Pid pid = window != nullptr ? window->pid : static_cast<Pid>(element.id());
    const AttributeOverrides& overrides =
        window != nullptr ? window->attributes : desktop_.process(pid)->app;
    if (const AttributeOverride* override = findOverride(overrides, attribute)) {
        if (override->read) return *override->read;
        if (override->value) {
            value = *override->value;
            return kSuccess;
        }
    }
    return window != nullptr ? readWindow(*window, attribute, value)
                             : readApplication(pid, attribute, value);
}

AXError SimAccessibility::readWindow(const WindowModel& window, std::string_view attribute,
                                     Value& value) {
    if (attribute == ax::kPosition) {
        value = AXValue::create(window.frame.origin());
    } else if (attribute == ax::kSize) {
        value = AXValue::create(window.frame.size());
    } else if (attribute == ax::kFrame) {
        value = AXValue::create(window.frame);
    } else if (attribute == ax::kRole) {
        value = window.role;
    } else if (attribute == ax::kSubrole) {
        value = window.subrole;
    } else if (attribute == ax::kTitle) {
        value = window.title;
    } else if (attribute == ax::kMinimized) {
        value = window.minimized;
    } else if (attribute == ax::kHidden) {
        value = window.hidden;
    } else if (attribute == ax::kParent) {
        value = window.parent ? Element::window(*window.parent) : Element::application(window.pid);
    } else if (attribute == ax::kActions) {
        Value::Array actions(window.actions.begin(), window.actions.end());
        value = std::move(actions);
    } else {
        return kUnsupported;  // also Position and WindowPosition, unless given a value
    }
    return kSuccess;
}

AXError SimAccessibility::readApplication(Pid pid, std::string_view attribute, Value& value) {
    const ProcessModel& process = *desktop_.process(pid);
    if (attribute == ax::kRole) {
        value = ax::kApplicationRole;
    } else if (attribute == ax::kTitle) {
        if (!process.name) return AXError::kAXErrorNoValue;
        value = *process.name;
    } else if (attribute == ax::kWindows) {
        Value::Array windows;
        windows.reserve(process.windows.size());
        for (std::int64_t id : process.windows) windows.emplace_back(Element::window(id));
        value = std::move(windows);
    } else if (attribute == ax::kFocusedWindow || attribute == ax::kMainWindow) {
        if (process.windows.empty()) return AXError::kAXErrorNoValue;
        value = Element::window(process.windows.front());
    } else {
        return kUnsupported;
    }
    return kSuccess;
}

AXError SimAccessibility::setAttributeValue(const Element& element, std::string_view attribute,
                                            const Value& value) {
    desktop_.counter_.count();
    if (!desktop_.isAlive(element)) return AXError::kAXErrorInvalidUIElement;
    WindowModel* window = element.isApplication() ? nullptr : desktop_.window(element.id());
    const AttributeOverrides& overrides =
        window != nullptr ? window->attributes
                          : desktop_.process(static_cast<Pid>(element.id()))->app;
    const AttributeOverride* override = findOverride(overrides, attribute);
    const bool aliasSupported = override != nullptr && override->value.has_value();
    if (override != nullptr && override->write) {
        if (*override->write != kSuccess) return *override->write;
        // Accepted: the write takes effect where it can, and answers success regardless.
        if (window != nullptr) writeWindow(*window, attribute, value, aliasSupported);
        return kSuccess;
    }
    if (window == nullptr) return kUnsupported;
    return writeWindow(*window, attribute, value, aliasSupported);
}

AXError SimAccessibility::writeWindow(WindowModel& window, std::string_view attribute,
                                      const Value& value, bool positionAliasSupported) {
    const AXValue* box = value.asAXValue();
    if (attribute == ax::kPosition || (isPositionAlias(attribute) && positionAliasSupported)) {
        Point p;
        if (box == nullptr || !box->getValue(p)) return kIllegalArgument;
        window.frame.x = p.x;
        window.frame.y = p.y;
    } else if (attribute == ax::kSize) {
        Size s;
        if (box == nullptr || !box->getValue(s)) return kIllegalArgument;
        window.frame.width = s.width;
        window.frame.height = s.height;
    } else if (attribute == ax::kFrame) {
        Rect r;
        if (box == nullptr || !box->getValue(r)) return kIllegalArgument;
        window.frame = r;
    } else {
        return kUnsupported;
    }
    return kSuccess;
}

AXError SimAccessibility::performAction(const Element& element, std::string_view action) {
    desktop_.counter_.count();
    if (!desktop_.isAlive(element)) return AXError::kAXErrorInvalidUIElement;
    const WindowModel* window = element.isApplication() ? nullptr : desktop_.window(element.id());
    const AttributeOverrides& overrides =
        window != nullptr ? window->attributes
                          : desktop_.process(static_cast<Pid>(element.id()))->app;
    if (const AttributeOverride* override = findOverride(overrides, ax::kActions)) {
        auto answer = override->perform.find(action);
        if (answer != override->perform.end()) return answer->second;
    }
    if (window != nullptr &&
        std::find(window->actions.begin(), window->actions.end(), action) != window->actions.end())
        return kSuccess;
    return AXError::kAXErrorActionUnsupported;
}

}  // namespace tugworth::sim
