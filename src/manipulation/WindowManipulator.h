// Acting on one window element of another application: is it alive, can it be positioned, and
// which element of the same application can stand in for it.
#pragma once

#include <optional>
#include <string_view>

#include "platform/AccessibilityService.h"
#include "platform/Element.h"
#include "platform/Log.h"

namespace tugworth {

// Whether `element` can be the target of a move or a resize: a read of "AXPosition" or of
// "AXFrame" succeeds. Logs both result codes when neither does.
bool supportsPositioning(AccessibilityService& accessibility, Log& log, const Element& element);

// Built on one element for one operation and dropped afterwards; it caches no geometry.
class WindowManipulator {
public:
    // Makes no Accessibility call. `owner` is the process of `element` (0 when its lookup failed).
    WindowManipulator(AccessibilityService& accessibility, Log& log, Element element, Pid owner);
    virtual ~WindowManipulator() = default;
    WindowManipulator(const WindowManipulator&) = delete;
    WindowManipulator& operator=(const WindowManipulator&) = delete;

    // False, with the reason logged, when permission is missing or the element no longer answers.
    bool validateWindow();
    // The element's parent, when it can be positioned.
    std::optional<Element> parentWindow();
    // The application's main or focused window, when it can be positioned. May be `window` itself.
    std::optional<Element> applicationMainWindow();
    std::optional<Element> applicationFocusedWindow();
    // Another positionable element of the same application, else the application element.
    std::optional<Element> findAlternativeWindow();
    // Applies a pointer delta (dx, dy), y growing upwards; true when some strategy succeeded.
    // A plain manipulator knows no strategy and answers false.
    virtual bool manipulate(double dx, double dy);

    const Element window;
    const Pid pid;

protected:
    // A stand-in built by a fall-back of `caller`, living only for the caller's call. The chain
    // of callers is the list of elements already entered in the outermost manipulate call.
    WindowManipulator(const WindowManipulator& caller, Element substitute, Pid substitutePid);

    // The fall-back stage of both chains: hand the whole operation to a substitute element, or
    // else try the application element of `pid` with `direct` only (no validation, no further
    // fall-backs) and log which way that went.
    template <class Self, class Direct>
    bool handOver(double dx, double dy, Direct direct, std::string_view directSuccessLine,
                  std::string_view failureLine) {
        if (const auto substitute = nextSubstitute()) {
            Self standIn(*this, substitute->element, substitute->pid);
            return standIn.manipulate(dx, dy);
        }
        Self application(*this, accessibility_.createApplication(pid), pid);
        if (direct(application)) {
            log_.debug(directSuccessLine);
            return true;
        }
        log_.warning(failureLine);
        return false;
    }

    // The boxed geometry under `attribute` of `window`. `code` is the read's result; it stays 0
    // when the read succeeded without a value or with a value of another kind.
    std::optional<AXValue> readGeometry(std::string_view attribute, AXError& code);
    // The frame of `window`, logged; logs the result code when the frame cannot be read.
    std::optional<Rect> readFrame();

    AccessibilityService& accessibility_;
    Log& log_;

private:
    struct Substitute {
        Element element;
        Pid pid = 0;
    };
    // The element the fall-backs hand the operation to: the parent, else the main window, else
    // the focused window, each dropped when it is `window` or one of the callers' elements, so
    // that substitutes leading back to each other end. Logs which one is tried.
    std::optional<Substitute> nextSubstitute();

    std::optional<Element> applicationWindowAttribute(std::string_view name);
    bool isFreshSubstitute(const Element& candidate) const;
    Substitute substituteFor(const Element& element);

    const WindowManipulator* caller_ = nullptr;  // null for the outermost manipulator
};

}  // namespace tugworth
