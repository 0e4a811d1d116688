// Per-application window enumeration: an application's own window elements in Accessibility
// order, with the focused-window, main-window and application fall-backs.
#include "platform/AXNames.h"
#include "platform/AttributeReads.h"
#include "platform/Coordinates.h"
#include "targeting/FixedLists.h"
#include "targeting/Targeting.h"

namespace tugworth {

namespace {
constexpr std::string_view kUnknownName = "Unknown";
}  // namespace

std::string processName(TargetingContext& context, Pid pid) {
    DesktopServices& desktop = context.desktop;
    if (pid == desktop.ownProcessId()) return std::string(kOwnApplicationName);
    return desktop.runningApplicationName(pid).value_or(std::string(kUnknownName));
}

std::vector<Element> getAllAccessibleWindows(TargetingContext& context, Pid pid) {
    context.log.debug("Getting all accessible windows for PID: ", pid);
    context.log.debug("Process name: ", processName(context, pid));
    if (listContains(systemProcessIDs, pid)) {
        context.log.debug("Skipping system process with PID: ", pid);
        return {};
    }

    AccessibilityService& ax = context.accessibility;
    const Element app = ax.createApplication(pid);
    const AttributeRead windowsRead = readAttribute(ax, app, ax::kWindows);
    if (const auto windows = elementArrayValue(windowsRead)) {
        context.log.debug("Found ", windows->size(), " windows in application");
        std::vector<Element> result;
        for (std::size_t i = 0; i < windows->size(); ++i) {
            const Element& window = (*windows)[i];
            const bool minimized = readIsTrue(ax, window, ax::kMinimized);
            const bool hidden = readIsTrue(ax, window, ax::kHidden);
            const std::string title = readTitle(ax, window);
            if (minimized || hidden) {
                context.log.debug("Skipping window #", i, ": \"", title,
                                  "\" - minimized: ", minimized, ", hidden: ", hidden);
                continue;
            }
            context.log.debug("Including window #", i, ": \"", title, "\"");
            logWindowFrames(context, window, static_cast<std::int64_t>(i));
            result.push_back(window);
        }
        return result;  // possibly empty: every window minimized or hidden
    }

    context.log.debug("Failed to get windows list: ", windowsRead.code);
    // A value of another kind than an element counts as a failed read.
    const AttributeRead focusedRead = readAttribute(ax, app, ax::kFocusedWindow);
    if (const auto focused = elementValue(focusedRead)) {
        context.log.debug("Using focused window from application");
        return {*focused};
    }
    context.log.debug("Failed to get focused window: ", focusedRead.code);
    const AttributeRead mainRead = readAttribute(ax, app, ax::kMainWindow);
    if (const auto main = elementValue(mainRead)) {
        context.log.debug("Using main window from application");
        return {*main};
    }
    context.log.debug("Failed to get main window: ", mainRead.code);
    context.log.debug("Using application as fallback");
    return {app};
}

void logWindowFrames(TargetingContext& context, const Element& element, std::int64_t index) {
    AccessibilityService& ax = context.accessibility;
    const AttributeRead positionRead = readAttribute(ax, element, ax::kPosition);
    const AttributeRead sizeRead = readAttribute(ax, element, ax::kSize);
    const std::string title = readTitle(ax, element);
    const std::string subrole = readString(ax, element, ax::kSubrole, "unknown");
    const Point position = readPointOrZero(positionRead);
    const Size size = readSizeOrZero(sizeRead);

    // Diagnostics only: the height of the screen that holds the position, where the real
    // conversions always use the main screen's.
    DesktopServices& desktop = context.desktop;
    double flip = flipHeight(desktop);
    for (const Screen& screen : desktop.screens()) {
        if (rectContainsPoint(screen.frame, position)) {
            flip = screen.frame.height;
            break;
        }
    }
    const Rect axFrame{position.x, position.y, size.width, size.height};
    context.log.debug("Window #", index, ": \"", title, "\", Subrole: ", subrole,
                      ", AX Position: ", position, ", Size: ", size);
    context.log.debug("AX Frame: ", axFrame, ", Screen Frame: ", toCocoaFrame(axFrame, flip));
    context.log.debug("Position result: ", positionRead.code, ", Size result: ", sizeRead.code);
}

}  // namespace tugworth
