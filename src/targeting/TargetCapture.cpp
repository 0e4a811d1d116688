// Target capture: which window the current gesture acts on. Keeps the held target while it
// answers, else searches under the pointer and settles on a window that can be positioned.
#include <array>

#include "manipulation/WindowManipulator.h"
#include "platform/AXNames.h"
#include "platform/AttributeReads.h"
#include "targeting/Targeting.h"
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

void captureWindow(TargetingContext& context, CaptureState state) {
    AccessibilityService& ax = context.accessibility;
    DesktopServices& desktop = context.desktop;
    state.hasAccessibilityPermissions = ax.isProcessTrusted();
    state.lastPermissionCheckTime = desktop.now();
    if (!state.hasAccessibilityPermissions) {
        context.log.error("Accessibility permissions not granted - skipping window capture");
        return;
    }
    state.initialLocation = desktop.mouseLocation();

    if (state.targetWindow) {
        if (readAttribute(ax, *state.targetWindow, ax::kRole).succeeded()) {
            context.log.debug("Using existing target window");
            return;
        }
        context.log.debug("Existing window reference is no longer valid, finding new window");
        state.targetWindow.reset();
    }

    state.initialLocation = desktop.mouseLocation();
    context.log.debug("===== CAPTURE WINDOW START =====");
    context.log.debug("Mouse location: ", state.initialLocation);
    logScreens(context.log, desktop);
    logWindowsAtCursor(context.log, context.windowServer, state.initialLocation);
    state.targetWindow.reset();

    const auto found = findWindowUnderPointer(context);
    if (!found) {
        context.log.debug("No valid window found under cursor");
        context.log.debug("===== CAPTURE WINDOW END =====");
        return;
    }
    context.log.debug("Found window under cursor from ", found->ownerName, " (PID: ", found->pid,
                      ")");

    if (supportsPositioning(ax, context.log, found->window)) {
        context.log.debug("Window supports positioning, setting as target");
        state.targetWindow = found->window;
        logWindowInfo(context, found->window);
        context.log.debug("Selected window: \"", readTitle(ax, found->window), "\" from ",
                          found->ownerName, " (PID: ", found->pid, ")");
        context.log.debug("===== CAPTURE WINDOW END =====");
        return;
    }

    context.log.debug("Window does NOT support positioning, looking for alternative");
    const auto alternative =
        WindowManipulator(ax, context.log, found->window, pidOrZero(ax, found->window))
            .findAlternativeWindow();
    if (alternative) {
        context.log.debug("Using alternative window that supports positioning");
        state.targetWindow = *alternative;
        logWindowInfo(context, *alternative);
    } else {
        context.log.debug("No alternative window found, no target set");
        context.log.debug("No valid window found under cursor");
    }
    context.log.debug("===== CAPTURE WINDOW END =====");
}

void logWindowInfo(TargetingContext& context, const Element& element) {
    AccessibilityService& ax = context.accessibility;
    const AttributeRead position = readAttribute(ax, element, ax::kPosition);
    if (position.hasValue()) context.log.debug("Window position: ", readPointOrZero(position));
    const AttributeRead size = readAttribute(ax, element, ax::kSize);
    if (size.hasValue()) context.log.debug("Window size: ", readSizeOrZero(size));
    for (const auto& [attribute, label] : kDescribedTexts) {
        const AttributeRead read = readAttribute(ax, element, attribute);
        if (!read.succeeded()) continue;
        const std::string* text = read.value.asString();
        context.log.debug("Window ", label, ": ",
                          text != nullptr ? std::string_view(*text) : std::string_view("unknown"));
    }
}

}  // namespace tugworth
