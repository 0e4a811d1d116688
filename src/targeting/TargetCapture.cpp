// Target capture: which window the current gesture acts on. Keeps the held target while it
// answers, else searches under the pointer and settles on a window that can be positioned.
#include <array>

#include "app/AppDelegate.h"
#include "manipulation/WindowManipulator.h"
#include "platform/AXNames.h"
#include "platform/AttributeReads.h"
#include "targeting/WindowInfo.h"

namespace tugworth {

namespace {

struct DescribedText {
    std::string_view attribute;
    std::string_view label;
};
// The text attributes a selected window is described by, in the order they are logged.
constexpr std::array<DescribedText, 3> kDescribedTexts{
    {{ax::kRole, "role"}, {ax::kSubrole, "subrole"}, {ax::kTitle, "title"}}};

constexpr std::uint32_t kDumpListOptions =
    kCGWindowListOptionOnScreenOnly | kCGWindowListExcludeDesktopElements;

void logScreens(Log& log, DesktopServices& desktop) {
    const std::vector<Screen> screens = desktop.screens();
    log.debug("Available screens: ", screens.size());
    for (std::size_t n = 0; n < screens.size(); ++n) {
        log.debug("Screen #", n, ": Frame: ", screens[n].frame,
                  ", Visible Frame: ", screens[n].visibleFrame);
    }
}

// Diagnostic only: the window server's entries whose bounds hold the pointer, compared as
// given, without converting between the two spaces.
void logWindowsAtCursor(Log& log, WindowServer& server, Point location) {
    log.debug("===== WINDOWS AT CURSOR LOCATION =====");
    const Value list = server.copyWindowListInfo(kDumpListOptions, kCGNullWindowID);
    const Value::Array& entries = windowListEntries(list);
    std::size_t count = 0;
    for (std::size_t n = 0; n < entries.size(); ++n) {
        const auto identity = readWindowListEntry(entries[n]);
        const auto bounds = readWindowBounds(entries[n]);
        if (!identity || !bounds || !rectContainsPoint(*bounds, location)) continue;
        log.debug("Window #", n, " at cursor: \"", identity->windowName, "\" from ",
                  identity->ownerName, " (PID: ", identity->pid, ")");
        ++count;
    }
    log.debug("Found ", count, " windows at cursor location");
}

}  // namespace

void AppDelegate::captureWindow() {
    AccessibilityService& ax = platform_.accessibility;
    DesktopServices& desktop = platform_.desktop;
    hasAccessibilityPermissions = ax.isProcessTrusted();
    lastPermissionCheckTime = desktop.now();
    if (!hasAccessibilityPermissions) {
        log_.error("Accessibility permissions not granted - skipping window capture");
        return;
    }
    initialLocation = desktop.mouseLocation();

    if (targetWindow) {
        if (readAttribute(ax, *targetWindow, ax::kRole).succeeded()) {
            log_.debug("Using existing target window");
            return;
        }
        log_.debug("Existing window reference is no longer valid, finding new window");
        targetWindow.reset();
    }

    initialLocation = desktop.mouseLocation();
    log_.debug("===== CAPTURE WINDOW START =====");
    log_.debug("Mouse location: ", initialLocation);
    logScreens(log_, desktop);
    logWindowsAtCursor(log_, platform_.windowServer, initialLocation);
    targetWindow.reset();

    const auto found = findWindowUnderPointer();
    if (!found) {
        log_.debug("No valid window found under cursor");
        log_.debug("===== CAPTURE WINDOW END =====");
        return;
    }
    log_.debug("Found window under cursor from ", found->ownerName, " (PID: ", found->pid, ")");

    if (supportsPositioning(ax, log_, found->window)) {
        log_.debug("Window supports positioning, setting as target");
        targetWindow = found->window;
        logWindowInfo(found->window);
        log_.debug("Selected window: \"", readTitle(ax, found->window), "\" from ",
                   found->ownerName, " (PID: ", found->pid, ")");
        log_.debug("===== CAPTURE WINDOW END =====");
        return;
    }

    log_.debug("Window does NOT support positioning, looking for alternative");
    const auto alternative =
        WindowManipulator(ax, log_, found->window, pidOrZero(ax, found->window))
            .findAlternativeWindow();
    if (alternative) {
        log_.debug("Using alternative window that supports positioning");
        targetWindow = *alternative;
        logWindowInfo(*alternative);
    } else {
        log_.debug("No alternative window found, no target set");
        log_.debug("No valid window found under cursor");
    }
    log_.debug("===== CAPTURE WINDOW END =====");
}

void AppDelegate::logWindowInfo(const Element& element) {
    AccessibilityService& ax = platform_.accessibility;
    const AttributeRead position = readAttribute(ax, element, ax::kPosition);
    if (position.hasValue()) log_.debug("Window position: ", readPointOrZero(position));
    const AttributeRead size = readAttribute(ax, element, ax::kSize);
    if (size.hasValue()) log_.debug("Window size: ", readSizeOrZero(size));
    for (const auto& [attribute, label] : kDescribedTexts) {
        const AttributeRead read = readAttribute(ax, element, attribute);
        if (!read.succeeded()) continue;
        const std::string* text = read.value.asString();
        log_.debug("Window ", label, ": ",
                   text != nullptr ? std::string_view(*text) : std::string_view("unknown"));
    }
}

}  // namespace tugworth
