// Window and application elements over the compositor's window list; frames written through
// the bridge and reported as requested until they land.
#include "platform/wayland/CompositorAccessibility.h"

#include <algorithm>
#include <cmath>

#include "platform/AXNames.h"
#include "platform/FrameLimits.h"

namespace tugworth::wayland {
namespace {

// Beyond this the compositor's 32-bit coordinates and any sane desktop end.
constexpr double kMaxCoordinate = 1'000'000.0;

Rect rounded(const Rect& r) {
    return {std::round(r.x), std::round(r.y), std::max(1.0, std::round(r.width)),
            std::max(1.0, std::round(r.height))};
}

AXError codeOf(FrameWriteResult result) {
    switch (result) {
        case FrameWriteResult::Requested:
            return AXError::kAXErrorSuccess;
        case FrameWriteResult::NoSuchWindow:
            return AXError::kAXErrorInvalidUIElement;
        case FrameWriteResult::Refused:
            return AXError::kAXErrorCannotComplete;
        case FrameWriteResult::BridgeGone:
            return AXError::kAXErrorAPIDisabled;
    }
    return AXError::kAXErrorFailure;
}

}  // namespace

std::string_view subroleOf(CompositorWindowKind kind) {
    switch (kind) {
        case CompositorWindowKind::Normal:
            return ax::kStandardWindowSubrole;
        case CompositorWindowKind::Dialog:
            return ax::kDialogSubrole;
        case CompositorWindowKind::Utility:
            return ax::kFloatingWindowSubrole;
        case CompositorWindowKind::Desktop:
        case CompositorWindowKind::Dock:
        case CompositorWindowKind::Other:
            return ax::kUnknownSubrole;
    }
    return ax::kUnknownSubrole;
}

bool CompositorAccessibility::isProcessTrusted() {
    return reads_.driver().bridgeAnswers();
}

bool CompositorAccessibility::isProcessTrustedWithOptions(bool /*prompt: nothing to ask*/) {
    return isProcessTrusted();
}

Element CompositorAccessibility::createApplication(Pid pid) {
    return Element::application(pid);
}

AXError CompositorAccessibility::find(const Element& element,
                                      std::optional<CompositorWindow>& window) {
    if (element.isApplication() || element.id() <= 0) return AXError::kAXErrorInvalidUIElement;
    if (!reads_.windows()) return AXError::kAXErrorAPIDisabled;
    window = reads_.window(static_cast<CompositorWindowId>(element.id()));
    return window ? AXError::kAXErrorSuccess : AXError::kAXErrorInvalidUIElement;
}

AXError CompositorAccessibility::getPid(const Element& element, Pid& pid) {
    if (element.isApplication()) {
        pid = static_cast<Pid>(element.id());
        return AXError::kAXErrorSuccess;
    }
    std::optional<CompositorWindow> window;
    if (const AXError code = find(element, window); code != AXError::kAXErrorSuccess) return code;
    if (window->pid <= 0) return AXError::kAXErrorFailure;
    pid = window->pid;
    return AXError::kAXErrorSuccess;
}

AXError CompositorAccessibility::copyAttributeValue(const Element& element,
                                                    std::string_view attribute, Value& value) {
    value = Value();
    if (element.isApplication()) {
        return readApplication(static_cast<Pid>(element.id()), attribute, value);
    }
    std::optional<CompositorWindow> window;
    if (const AXError code = find(element, window); code != AXError::kAXErrorSuccess) return code;
    return readWindow(*window, attribute, value);
}

AXError CompositorAccessibility::readWindow(const CompositorWindow& window,
                                            std::string_view attribute, Value& value) {
    if (attribute == ax::kRole) {
        value = ax::kWindowRole;
    } else if (attribute == ax::kSubrole) {
        value = subroleOf(window.kind);
    } else if (attribute == ax::kTitle) {
        value = window.title;
    } else if (attribute == ax::kPosition) {
        value = AXValue::create(window.frame.origin());
    } else if (attribute == ax::kSize) {
        value = AXValue::create(window.frame.size());
    } else if (attribute == ax::kFrame) {
        value = AXValue::create(window.frame);
    } else if (attribute == ax::kMinimized) {
        value = window.minimized;
    } else if (attribute == ax::kHidden) {
        value = false;  // the bridge lists only the windows of the workspace shown
    } else if (attribute == ax::kParent) {
        if (window.pid <= 0) return AXError::kAXErrorNoValue;
        value = Element::application(window.pid);
    } else if (attribute == ax::kActions) {
        value = Value::Array{};
    } else {
        return AXError::kAXErrorAttributeUnsupported;
    }
    return AXError::kAXErrorSuccess;
}

AXError CompositorAccessibility::readApplication(Pid pid, std::string_view attribute,
                                                 Value& value) {
    const auto& windows = reads_.windows();
    if (!windows) return AXError::kAXErrorAPIDisabled;
    Value::Array elements;
    const CompositorWindow* front = nullptr;
    for (const auto& w : *windows) {
        if (w.pid != pid) continue;
        if (front == nullptr) front = &w;
        elements.emplace_back(Element::window(static_cast<std::int64_t>(w.id)));
    }
    // Only processes with windows are known to the compositor.
    if (front == nullptr) return AXError::kAXErrorInvalidUIElement;
    if (attribute == ax::kRole) {
        value = ax::kApplicationRole;
    } else if (attribute == ax::kTitle) {
        if (front->applicationName.empty()) return AXError::kAXErrorNoValue;
        value = front->applicationName;
    } else if (attribute == ax::kWindows) {
        value = std::move(elements);
    } else if (attribute == ax::kFocusedWindow || attribute == ax::kMainWindow) {
        // The compositor raises the window it focuses: the front-most one stands for it.
        value = Element::window(static_cast<std::int64_t>(front->id));
    } else {
        return AXError::kAXErrorAttributeUnsupported;
    }
    return AXError::kAXErrorSuccess;
}

AXError CompositorAccessibility::setAttributeValue(const Element& element,
                                                   std::string_view attribute, const Value& value) {
    if (element.isApplication()) {
        Value ignored;
        const AXError code = readApplication(static_cast<Pid>(element.id()), ax::kRole, ignored);
        return code == AXError::kAXErrorSuccess ? AXError::kAXErrorAttributeUnsupported : code;
    }
    std::optional<CompositorWindow> window;
    if (const AXError code = find(element, window); code != AXError::kAXErrorSuccess) return code;
    if (attribute != ax::kPosition && attribute != ax::kSize && attribute != ax::kFrame) {
        return AXError::kAXErrorAttributeUnsupported;
    }
    const AXValue* box = value.asAXValue();
    if (box == nullptr) return AXError::kAXErrorIllegalArgument;
    const auto change = frameChangeFor(attribute, *box, kMaxCoordinate);
    // A box of another kind, or out of range.
    if (!change) return AXError::kAXErrorIllegalArgument;
    return codeOf(reads_.requestFrame(*window, rounded(change->appliedTo(window->frame))));
}

AXError CompositorAccessibility::performAction(const Element& element, std::string_view) {
    if (element.isApplication()) return AXError::kAXErrorActionUnsupported;
    std::optional<CompositorWindow> window;
    if (const AXError code = find(element, window); code != AXError::kAXErrorSuccess) return code;
    return AXError::kAXErrorActionUnsupported;
}

}  // namespace tugworth::wayland
