// The window-list search: the window server nominates the applications near the pointer,
// front-most first, and each nominated application's own Accessibility windows decide.
#include <set>

#include "manipulation/WindowManipulator.h"
#include "platform/Coordinates.h"
#include "targeting/FinderRules.h"
#include "targeting/Targeting.h"
#include "targeting/WindowInfo.h"

namespace tugworth {

namespace {

constexpr std::uint32_t kSearchListOptions = kCGWindowListOptionOnScreenOnly |
                                             kCGWindowListOptionOnScreenAboveWindow |
                                             kCGWindowListExcludeDesktopElements;

void logWindowOwners(Log& log, const Value::Array& entries) {
    log.debug("===== ALL WINDOW OWNERS =====");
    // UTF-8 byte order is code-point order, so upper case sorts before lower case.
    std::set<std::string, std::less<>> owners;
    for (const Value& entry : entries) {
        const Value* owner = entry.find(windowkeys::kOwnerName);
        if (owner != nullptr && owner->asString() != nullptr) owners.insert(*owner->asString());
    }
    std::string joined;
    const char* separator = "";
    for (const std::string& owner : owners) {
        joined.append(separator).append(owner);
        separator = ", ";
    }
    log.debug("Window owners: ", joined);
    log.debug("=============================");
}

enum class FinderDesktopRule { None, Title, Large, ScreenEdge };

// Which rule, if any, marks a Finder entry as one of its desktop-like windows.
FinderDesktopRule finderDesktopRule(DesktopServices& desktop, const std::string& name,
                                    const Rect& bounds) {
    if (isFinderDesktopTitle(name)) return FinderDesktopRule::Title;
    if (isLargeWindow(bounds.size(), largeWindowReference(desktop))) {
        return FinderDesktopRule::Large;
    }
    if (isAtScreenEdge(bounds.origin())) return FinderDesktopRule::ScreenEdge;
    return FinderDesktopRule::None;
}

void logFinderSkip(Log& log, FinderDesktopRule rule, std::size_t i, const std::string& name,
                   const Rect& bounds) {
    switch (rule) {
        case FinderDesktopRule::Title:
            log.debug("Window #", i, ": Skipping Finder desktop/system window: \"", name, "\"");
            break;
        case FinderDesktopRule::Large:
            log.debug("Window #", i,
                      ": Skipping large Finder window (likely desktop): ", bounds.width, "x",
                      bounds.height);
            break;
        case FinderDesktopRule::ScreenEdge:
            log.debug("Window #", i, ": Skipping Finder window at screen edge (likely desktop)");
            break;
        case FinderDesktopRule::None:
            break;
    }
}

// The first pass over one entry: a record when the entry survives every rule and its widened
// bounds hold the pointer.
std::optional<WindowInfo> firstPassRecord(Log& log, DesktopServices& desktop, const Value& entry,
                                          std::size_t i, Point location) {
    auto identity = readWindowListEntry(entry);
    const auto bounds = readWindowBounds(entry);
    if (!identity || !bounds) {
        log.debug("Window #", i, ": Missing required info");
        return std::nullopt;
    }
    const Value* layerValue = entry.find(windowkeys::kLayer);
    const Value* onScreenValue = entry.find(windowkeys::kIsOnscreen);
    const std::int64_t* layer = layerValue != nullptr ? layerValue->asInteger() : nullptr;
    const bool* onScreen = onScreenValue != nullptr ? onScreenValue->asBool() : nullptr;
    log.debug("Window #", i, ": \"", identity->windowName, "\" from ", identity->ownerName,
              " (PID: ", identity->pid, ", ID: ", identity->windowNumber,
              "), Layer: ", layer != nullptr ? *layer : std::int64_t{0}, ", Frame: ", *bounds,
              ", OnScreen: ", onScreen != nullptr && *onScreen);

    if (listContains(firstPassSkipNames, identity->ownerName)) {
        log.debug("Window #", i, ": Skipping system window or our own app");
        return std::nullopt;
    }
    if (identity->ownerName == kFinderOwnerName) {
        const FinderDesktopRule rule = finderDesktopRule(desktop, identity->windowName, *bounds);
        if (rule != FinderDesktopRule::None) {
            logFinderSkip(log, rule, i, identity->windowName, *bounds);
            return std::nullopt;
        }
    }
    if (isTinyWindow(bounds->size())) {
        log.debug("Window #", i, ": Skipping tiny window");
        return std::nullopt;
    }
    // The bounds are in Accessibility space and the pointer in Cocoa space: the unconverted
    // test catches windows near the middle of the screen, the flipped one the rest.
    if (rectContainsPoint(hitFrame(*bounds), location)) {
        log.debug("Window #", i, ": Contains mouse cursor!");
    } else if (rectContainsPoint(hitFrame(toCocoaFrame(*bounds, flipHeight(desktop))), location)) {
        log.debug("Window #", i, ": Contains mouse cursor (using flipped coordinates)!");
    } else {
        return std::nullopt;
    }
    return makeWindowInfo(static_cast<std::int64_t>(i), std::move(*identity));
}

std::vector<WindowInfo> firstPass(Log& log, DesktopServices& desktop, const Value::Array& entries,
                                  Point location) {
    std::vector<WindowInfo> records;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (auto record = firstPassRecord(log, desktop, entries[i], i, location)) {
            records.push_back(std::move(*record));
        }
    }
    return records;
}

// Every other application's eligible windows, without a pointer test; rules drop silently.
std::vector<WindowInfo> fallbackPass(DesktopServices& desktop, const Value::Array& entries) {
    const Pid ownPid = desktop.ownProcessId();
    std::vector<WindowInfo> records;
    for (std::size_t j = 0; j < entries.size(); ++j) {
        auto identity = readWindowListEntry(entries[j]);
        if (!identity || listContains(systemProcessNames, identity->ownerName)) continue;
        if (identity->ownerName == kFinderOwnerName) {
            const auto bounds = readWindowBounds(entries[j]);
            if (!bounds || finderDesktopRule(desktop, identity->windowName, *bounds) !=
                               FinderDesktopRule::None) {
                continue;
            }
        }
        if (identity->pid == ownPid) continue;
        records.push_back(makeWindowInfo(static_cast<std::int64_t>(j), std::move(*identity)));
    }
    return records;
}

// The user sees the front-most window whose frame holds the pointer. When that is one of ours,
// a window behind it is hidden from them and must not be taken. Ours gives both our process id
// and our name: another program's window may claim our process id.
bool ownWindowInFront(DesktopServices& desktop, const Value::Array& entries, Point location) {
    const double flip = flipHeight(desktop);
    for (const Value& entry : entries) {
        const auto identity = readWindowListEntry(entry);
        const auto bounds = readWindowBounds(entry);
        if (!identity || !bounds || !rectContainsPoint(toCocoaFrame(*bounds, flip), location)) {
            continue;
        }
        return identity->pid == desktop.ownProcessId() &&
               identity->ownerName == kOwnApplicationName;
    }
    return false;
}

void logRecords(Log& log, const std::vector<WindowInfo>& records, std::string_view banner,
                std::string_view separator, std::string_view footer) {
    log.debug(banner);
    for (std::size_t n = 0; n < records.size(); ++n) {
        const WindowInfo& r = records[n];
        log.debug("Window #", n, separator, "\"", r.windowName, "\" from \"", r.ownerName,
                  "\" (PID: ", r.pid, ", z-index: ", r.zIndex, ")");
    }
    log.debug(footer);
}

// The nominated records in order: those under the pointer, else every eligible window.
std::vector<WindowInfo> nominate(Log& log, DesktopServices& desktop, const Value::Array& entries,
                                 Point location) {
    std::vector<WindowInfo> records = firstPass(log, desktop, entries, location);
    if (!records.empty()) {
        orderByZIndex(records);
        logRecords(log, records, "===== WINDOWS UNDER CURSOR =====", " under cursor: ",
                   "================================");
        return records;
    }
    log.debug("No windows found under cursor, considering all windows");
    records = fallbackPass(desktop, entries);
    orderByZIndex(records);
    logRecords(log, records, "===== ALL WINDOWS =====", ": ", "=====================");
    return records;
}

// The Accessibility stage for one record: the first of its application's windows that lies
// under the pointer and can be positioned (or Finder's own choice).
std::optional<WindowSearchResult> searchRecord(TargetingContext& context, const WindowInfo& record,
                                               Point location) {
    Log& log = context.log;
    const std::string& owner = record.ownerName;
    if (listContains(systemProcessIDs, record.pid) || listContains(systemProcessNames, owner)) {
        log.debug("Skipping system process: ", owner, " (PID: ", record.pid, ")");
        return std::nullopt;
    }
    log.debug("Checking windows for ", owner, " (PID: ", record.pid, ")");
    if (owner == kFinderOwnerName) {
        log.debug("Found Finder window, using specialized handling");
        if (auto finderWindow = getFinderWindow(context, record.pid)) {
            log.debug("Successfully got Finder window");
            return WindowSearchResult{*finderWindow, record.pid, owner};
        }
    }
    const std::vector<Element> windows = getAllAccessibleWindows(context, record.pid);
    if (windows.empty()) {
        log.debug("No accessible windows found for ", owner, " (PID: ", record.pid, ")");
        return std::nullopt;
    }
    AccessibilityService& ax = context.accessibility;
    for (std::size_t k = 0; k < windows.size(); ++k) {
        if (!isWindowUnderMouse(context, windows[k], location)) continue;
        log.debug("App window #", k, " from ", owner, " (PID: ", record.pid,
                  ") is directly under mouse cursor");
        if (supportsPositioning(ax, log, windows[k])) {
            log.debug("Selected window from ", owner, " (PID: ", record.pid,
                      ") - directly under cursor");
            return WindowSearchResult{windows[k], record.pid, owner};
        }
    }
    return std::nullopt;
}

}  // namespace

std::optional<WindowSearchResult> findWindowUnderPointer(TargetingContext& context) {
    const Value list = context.windowServer.copyWindowListInfo(kSearchListOptions, kCGNullWindowID);
    const Value::Array& entries = windowListEntries(list);
    const Point location = context.desktop.mouseLocation();
    context.log.debug("Mouse location: ", location);
    context.log.debug("Found ", entries.size(), " windows on screen");
    logWindowOwners(context.log, entries);
    if (ownWindowInFront(context.desktop, entries, location)) {
        context.log.debug(
            "A Tugworth window is in front under the cursor; taking no window behind it");
        return std::nullopt;
    }

    // Records of one application are not merged: each is examined in its own turn.
    for (const WindowInfo& record : nominate(context.log, context.desktop, entries, location)) {
        if (auto found = searchRecord(context, record, location)) return found;
    }
    context.log.debug("No suitable window found under cursor");
    return std::nullopt;
}

}  // namespace tugworth
