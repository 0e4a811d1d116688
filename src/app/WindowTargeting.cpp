// The delegate's targeting operations: the targeting functions over the delegate's platform,
// log and capture state.
#include "app/AppDelegate.h"

namespace tugworth {

TargetingContext AppDelegate::targeting() {
    return {platform_.accessibility, platform_.desktop, platform_.windowServer, log_};
}

void AppDelegate::captureWindow() {
    TargetingContext context = targeting();
    tugworth::captureWindow(context, {hasAccessibilityPermissions, lastPermissionCheckTime,
                                      initialLocation, targetWindow});
}

void AppDelegate::logWindowInfo(const Element& element) {
    TargetingContext context = targeting();
    tugworth::logWindowInfo(context, element);
}

std::optional<WindowSearchResult> AppDelegate::findWindowUnderPointer() {
    TargetingContext context = targeting();
    return tugworth::findWindowUnderPointer(context);
}

std::vector<Element> AppDelegate::getAllAccessibleWindows(Pid pid) {
    TargetingContext context = targeting();
    return tugworth::getAllAccessibleWindows(context, pid);
}

std::string AppDelegate::processName(Pid pid) {
    TargetingContext context = targeting();
    return tugworth::processName(context, pid);
}

void AppDelegate::logWindowFrames(const Element& element, std::int64_t index) {
    TargetingContext context = targeting();
    tugworth::logWindowFrames(context, element, index);
}

bool AppDelegate::isWindowUnderMouse(const Element& element, Point location) {
    TargetingContext context = targeting();
    return tugworth::isWindowUnderMouse(context, element, location);
}

std::optional<Element> AppDelegate::getFinderWindow(Pid pid) {
    TargetingContext context = targeting();
    return tugworth::getFinderWindow(context, pid);
}

}  // namespace tugworth
