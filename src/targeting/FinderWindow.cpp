// Finder window selection: the first eligible Finder window under the pointer, else the
// nearest one, else Finder's focused window.
#include "targeting/FinderWindow.h"

#include <algorithm>
#include <cmath>

#include "manipulation/WindowManipulator.h"
#include "platform/AXNames.h"
#include "platform/AttributeReads.h"
#include "platform/Coordinates.h"
#include "targeting/FinderRules.h"
#include "targeting/Targeting.h"

namespace tugworth {

std::optional<FinderCandidate> closestFinderCandidate(std::vector<FinderCandidate> candidates) {
    if (candidates.empty()) return std::nullopt;
    std::stable_sort(
        candidates.begin(), candidates.end(),
        [](const FinderCandidate& a, const FinderCandidate& b) { return a.distance < b.distance; });
    return candidates.front();
}

namespace {

struct FinderExamination {
    FinderCandidate candidate;
    bool underPointer = false;
};

// One entry of Finder's window list: nothing when a rule leaves it out.
std::optional<FinderExamination> examineFinderWindow(TargetingContext& context,
                                                     const Element& window, std::size_t index,
                                                     Point pointer) {
    AccessibilityService& ax = context.accessibility;
    DesktopServices& desktop = context.desktop;
    Log& log = context.log;
    if (!supportsPositioning(ax, log, window)) return std::nullopt;
    const std::string title = readTitle(ax, window);
    log.debug("Finder window #", index, " title: ", title);
    if (isFinderDesktopTitle(title)) {
        log.debug("Skipping Finder window with title: \"", title, "\"");
        return std::nullopt;
    }
    const Point position = readPointOrZero(readAttribute(ax, window, ax::kPosition));
    const Size size = readSizeOrZero(readAttribute(ax, window, ax::kSize));
    if (isLargeWindow(size, largeWindowReference(desktop))) {
        log.debug("Skipping large Finder window (likely desktop): ", size.width, "x", size.height);
        return std::nullopt;
    }
    if (isAtScreenEdge(position)) {
        log.debug("Skipping Finder window at screen edge (likely desktop)");
        return std::nullopt;
    }

    const Rect axFrame{position.x, position.y, size.width, size.height};
    const Rect screenFrame = toCocoaFrame(axFrame, flipHeight(desktop));
    const double distance =
        std::hypot(pointer.x - screenFrame.midX(), pointer.y - screenFrame.midY());
    // Only the Cocoa-space test here: the pointer is in that space already.
    const bool under = rectContainsPoint(hitFrame(screenFrame), pointer);
    log.debug("Window #", index, " AX frame: ", axFrame, ", Screen frame: ", screenFrame,
              ", distance: ", distance, ", under mouse: ", under);
    return FinderExamination{{window, distance}, under};
}

}  // namespace

std::optional<Element> getFinderWindow(TargetingContext& context, Pid pid) {
    context.log.debug("Getting Finder window for PID: ", pid);
    AccessibilityService& ax = context.accessibility;
    const Element app = ax.createApplication(pid);
    const Point pointer = context.desktop.mouseLocation();

    const AttributeRead windowsRead = readAttribute(ax, app, ax::kWindows);
    if (const auto windows = elementArrayValue(windowsRead)) {
        context.log.debug("Found ", windows->size(), " Finder windows");
        std::vector<FinderCandidate> candidates;
        for (std::size_t i = 0; i < windows->size(); ++i) {
            const auto examined = examineFinderWindow(context, (*windows)[i], i, pointer);
            if (!examined) continue;
            candidates.push_back(examined->candidate);
            if (examined->underPointer) {
                context.log.debug("Finder window #", i, " is directly under mouse cursor");
                return examined->candidate.window;
            }
        }
        if (const auto closest = closestFinderCandidate(std::move(candidates))) {
            context.log.debug("Using closest Finder window, distance: ", closest->distance);
            return closest->window;
        }
    } else {
        context.log.debug("Failed to get Finder windows list: ", windowsRead.code);
    }

    // Last resort: the focused window, unless it is the desktop itself.
    const auto focused = elementValue(readAttribute(ax, app, ax::kFocusedWindow));
    if (!focused) return std::nullopt;
    const std::string title = readTitle(ax, *focused);
    if (isFinderDesktopTitle(title)) {
        context.log.debug("Focused Finder window is desktop/system window, skipping");
        return std::nullopt;
    }
    context.log.debug("Using focused Finder window: \"", title, "\"");
    return focused;
}

}  // namespace tugworth
