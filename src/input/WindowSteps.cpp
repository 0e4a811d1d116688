// One move or resize step on the target window, with one retry on an alternative window of
// the same application, which then becomes the target for the rest of the gesture. A target
// that has gone, with no alternative, is dropped so that the next motion event recaptures.
#include <string_view>

#include "app/AppDelegate.h"
#include "manipulation/WindowMover.h"
#include "manipulation/WindowResizer.h"
#include "platform/AXNames.h"
#include "platform/Value.h"

namespace tugworth {

namespace {

// The owning process as the element reports it; 0 when the lookup fails.
Pid ownerOf(AccessibilityService& accessibility, const Element& element) {
    Pid pid = 0;
    accessibility.getPid(element, pid);
    return pid;
}

// Whether the element's window or process has gone for good (not merely refusing a write).
bool isGone(AccessibilityService& accessibility, const Element& element) {
    Value role;
    return accessibility.copyAttributeValue(element, ax::kRole, role) ==
           AXError::kAXErrorInvalidUIElement;
}

// Both steps share this: a fresh manipulator per step, since none caches geometry.
template <class Manipulator>
void stepWithRetry(AppDelegate& delegate, double dx, double dy, const Element& element,
                   std::string_view alternativeLine) {
    AccessibilityService& accessibility = delegate.platform().accessibility;
    Manipulator first(accessibility, delegate.log(), element, ownerOf(accessibility, element));
    if (first.manipulate(dx, dy)) return;
    const std::optional<Element> alternative = first.findAlternativeWindow();
    if (!alternative) {
        // A target that has gone would fail every later step of this gesture: let the next
        // motion event capture whatever lies under the pointer instead.
        if (isGone(accessibility, element)) {
            delegate.log().debug("Target window has gone, dropping it");
            delegate.targetWindow.reset();
        }
        return;
    }
    delegate.log().debug(alternativeLine);
    // The alternative stays the target even if this retry fails too.
    delegate.targetWindow = *alternative;
    Manipulator retry(accessibility, delegate.log(), *alternative,
                      ownerOf(accessibility, *alternative));
    retry.manipulate(dx, dy);
}

}  // namespace

void AppDelegate::moveTargetWindow(double dx, double dy, const Element& element) {
    stepWithRetry<WindowMover>(*this, dx, dy, element, "Using alternative window for moving");
}

void AppDelegate::resizeTargetWindow(double dx, double dy, const Element& element) {
    stepWithRetry<WindowResizer>(*this, dx, dy, element, "Using alternative window for resizing");
}

}  // namespace tugworth
