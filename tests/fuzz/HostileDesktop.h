// A simulated desktop decoded from fuzz bytes: window-list entries of any shape and kind,
// processes whose Accessibility attributes fail or answer values of the wrong kind, odd
// screens and pointers. runHostileDesktop() searches it and plays one whole gesture on it.
// Shared by the window_list fuzz target and the unit test that replays its corpus.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <string_view>

#include "ByteReader.h"
#include "OneLineSink.h"
#include "app/AppDelegate.h"
#include "platform/sim/Desktop.h"
#include "targeting/FixedLists.h"

namespace tugworth::fuzz {

namespace hostile {

inline constexpr std::array<std::string_view, 11> kOwnerNames{
    {"Finder", "Dock", "SystemUIServer", "Tugworth", "WindowServer", "Control Center", "TextEdit",
     "Wispr Flow", "Window Server", "Notification Center", ""}};
inline constexpr std::array<std::string_view, 7> kTitles{
    "Desktop", "", "Trash (Full)", "Trash (Empty)", "Trash", "Untitled", "Notes"};
inline constexpr std::array<Pid, 8> kPids{100, 101, 4242, 0, 1, 420, -1, 102};
inline constexpr std::array<std::int64_t, 6> kWindowIds{1, 2, 3, 4, 5, 6};
inline constexpr std::array<std::string_view, 14> kAttributes{
    "AXPosition",      "AXSize",       "AXFrame",   "AXRole",    "AXTitle",
    "AXSubrole",       "AXParent",     "AXHidden",  "AXWindows", "AXMinimized",
    "AXFocusedWindow", "AXMainWindow", "AXActions", "Position"};
// The window-list keys, and one key of the bounds so that stray dictionaries may carry it.
inline constexpr std::array<std::string_view, 8> kEntryKeys{
    "kCGWindowOwnerName", "kCGWindowOwnerPID", "kCGWindowNumber",     "kCGWindowName",
    "kCGWindowLayer",     "kCGWindowBounds",   "kCGWindowIsOnscreen", "X"};
inline constexpr std::array<AXError, 6> kCodes{
    AXError::kAXErrorSuccess,          AXError::kAXErrorFailure,
    AXError::kAXErrorInvalidUIElement, AXError::kAXErrorAttributeUnsupported,
    AXError::kAXErrorNoValue,          AXError::kAXErrorCannotComplete};

inline std::string ownerName(ByteReader& in) {
    return in.byte() % 8 == 0 ? in.text() : std::string(in.pick(kOwnerNames));
}

inline std::string title(ByteReader& in) {
    return in.byte() % 4 == 0 ? in.text() : std::string(in.pick(kTitles));
}

inline Rect rect(ByteReader& in) {
    return {in.real(), in.real(), in.real(), in.real()};
}

// Any value at all, nested at most `depth` levels.
inline Value anyValue(ByteReader& in, int depth) {
    const std::size_t kind = in.below(depth > 0 ? 11 : 8);
    if (kind == 0) return Value();
    if (kind == 1) return Value(in.byte() % 2 == 1);
    if (kind == 2) return Value(in.integer());
    if (kind == 3) return Value(in.real());
    if (kind == 4) return Value(title(in));
    if (kind == 5) {
        return in.byte() % 2 == 0 ? Value(Element::window(in.pick(kWindowIds)))
                                  : Value(Element::application(in.pick(kPids)));
    }
    if (kind == 6) return Value(AXValue::create(Point{in.real(), in.real()}));
    if (kind == 7) {
        return in.byte() % 2 == 0 ? Value(AXValue::create(Size{in.real(), in.real()}))
                                  : Value(AXValue::create(rect(in)));
    }
    if (kind == 8) {
        Value::Array items;
        for (std::size_t n = in.below(5); n > 0; --n) items.push_back(anyValue(in, depth - 1));
        return Value(std::move(items));
    }
    Value::Dictionary entries;
    for (std::size_t n = in.below(5); n > 0; --n)
        entries[std::string(in.pick(kEntryKeys))] = anyValue(in, depth - 1);
    return Value(std::move(entries));
}

// Each value of the right kind most of the time, so that entries get past the checks.
inline Value boundsValue(ByteReader& in) {
    if (in.byte() % 8 == 0) return anyValue(in, 2);
    Value::Dictionary bounds;
    for (std::string_view key : {"X", "Y", "Width", "Height"}) {
        const std::uint8_t choice = in.byte() % 16;
        if (choice == 0) continue;  // missing
        bounds[std::string(key)] = choice == 1 ? anyValue(in, 1) : Value(in.real());
    }
    return Value(std::move(bounds));
}

inline Value entryValue(ByteReader& in, std::string_view key) {
    if (in.byte() % 8 == 0) return anyValue(in, 2);
    if (key == windowkeys::kOwnerName) return Value(ownerName(in));
    if (key == windowkeys::kOwnerPID) {
        return in.byte() % 4 == 0 ? Value(in.integer()) : Value(in.pick(kPids));
    }
    if (key == windowkeys::kNumber || key == windowkeys::kLayer) return Value(in.integer());
    if (key == windowkeys::kName) return Value(title(in));
    if (key == windowkeys::kIsOnscreen) return Value(in.byte() % 2 == 1);
    return boundsValue(in);
}

inline Value windowListEntry(ByteReader& in) {
    if (in.byte() % 16 == 0) return anyValue(in, 3);
    Value::Dictionary entry;
    for (std::string_view key : kEntryKeys) {
        if (key == "X" || in.byte() % 16 == 0) continue;  // a key left out
        entry[std::string(key)] = entryValue(in, key);
    }
    return Value(std::move(entry));
}

inline void addOverrides(ByteReader& in, sim::AttributeOverrides& overrides) {
    for (std::size_t n = in.below(4); n > 0; --n) {
        sim::AttributeOverride& o = overrides[std::string(in.pick(kAttributes))];
        const std::size_t which = in.below(3);
        if (which == 0) o.read = in.pick(kCodes);
        if (which == 1) o.value = anyValue(in, 2);
        if (which == 2) o.write = in.pick(kCodes);
    }
}

inline void buildDesktop(ByteReader& in, sim::Desktop& desktop) {
    std::vector<Screen> screens;
    for (std::size_t n = in.below(3); n > 0; --n) screens.push_back({rect(in), rect(in)});
    if (in.byte() % 4 != 0)
        screens.insert(screens.begin(), Screen{{0, 0, 1920, 1080}, {0, 0, 1920, 1055}});
    desktop.setScreens(std::move(screens));
    desktop.setPointer({in.real(), in.real()});
    desktop.setTrusted(in.byte() % 16 != 0);

    std::set<std::int64_t> usedIds;
    for (std::size_t p = in.below(5); p > 0; --p) {
        const Pid pid = in.pick(kPids);
        if (desktop.process(pid) != nullptr) continue;
        std::optional<std::string> name;
        if (in.byte() % 8 != 0) name = ownerName(in);
        addOverrides(in, desktop.addProcess(pid, name).app);
        for (std::size_t w = in.below(4); w > 0; --w) {
            const std::int64_t id = in.pick(kWindowIds);
            if (!usedIds.insert(id).second) continue;
            // Read apart: the order of a call's arguments differs between compilers, and the
            // corpus must decode alike under each.
            const Rect frame = rect(in);
            sim::WindowModel& window = desktop.addWindow(pid, id, frame, title(in));
            window.minimized = in.byte() % 8 == 0;
            window.layer = in.integer();
            addOverrides(in, window.attributes);
        }
    }
    // Half the time the list the windows make, half the time one the bytes make.
    if (in.byte() % 2 == 0) {
        if (in.byte() % 16 == 0) {
            desktop.setWindowList(anyValue(in, 2));
        } else {
            Value::Array entries;
            for (std::size_t n = in.below(9); n > 0; --n) entries.push_back(windowListEntry(in));
            desktop.setWindowList(Value(std::move(entries)));
        }
    }
}

// One thing that happens during a gesture: mostly a pointer motion, sometimes a window that
// closes or an application that quits under it.
inline void gestureEvent(ByteReader& in, sim::Desktop& desktop) {
    const std::size_t what = in.below(8);
    if (what == 0) return desktop.closeWindow(in.pick(kWindowIds));
    if (what == 1) return desktop.quit(in.pick(kPids));
    if (what == 2) return desktop.movePointer({in.real(), in.real()});
    const Point from = desktop.pointer();
    desktop.movePointer({from.x + static_cast<double>(static_cast<std::int8_t>(in.byte())),
                         from.y + static_cast<double>(static_cast<std::int8_t>(in.byte()))});
}

}  // namespace hostile

// Searches the decoded desktop, then drags and resizes on it. Answers what went wrong, if
// anything: a diagnostic that is not one line, a system process chosen as the target, or a
// gesture that outlived its chord. Crashes and hangs are the caller's to notice.
inline std::optional<std::string> runHostileDesktop(const std::uint8_t* data, std::size_t size) {
    ByteReader in(data, size);
    OneLineSink sink;
    sim::Desktop desktop(sink);
    hostile::buildDesktop(in, desktop);
    UserDefaults defaults(desktop.storage());
    AppDelegate delegate(defaults, desktop.platform());
    delegate.setupEventMonitoring();

    if (const auto found = delegate.findWindowUnderPointer()) {
        if (listContains(systemProcessIDs, found->pid) ||
            listContains(systemProcessNames, found->ownerName)) {
            return "the search chose a system process: " + escapeForLog(found->ownerName);
        }
    }

    desktop.sendFlagsChanged(kModifierCommand | kModifierControl);
    for (std::size_t n = in.below(6); n > 0; --n) hostile::gestureEvent(in, desktop);
    desktop.sendFlagsChanged(kModifierCommand | kModifierControl | kModifierShift);
    for (std::size_t n = in.below(6); n > 0; --n) hostile::gestureEvent(in, desktop);
    desktop.sendFlagsChanged(0);
    if (delegate.isDragging || delegate.isResizing || delegate.targetWindow) {
        return std::string("the gesture outlived its chord");
    }
    if (sink.badLine) return "diagnostic is not one clean line: " + *sink.badLine;
    return std::nullopt;
}

}  // namespace tugworth::fuzz
