// The window server's list entries as the search reads them, and the record it keeps for each
// entry that survives its filters.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/Element.h"
#include "platform/Geometry.h"
#include "platform/Value.h"

namespace tugworth {

// One window the search nominates; its application, not the window itself, is what counts.
struct WindowInfo {
    std::int64_t zIndex = 0;  // position in the window list, 0 front-most
    Pid pid = 0;
    std::string ownerName;
    std::int64_t windowNumber = 0;
    std::string windowName;
};

// The identifying values of a window-list entry, each tested for its kind.
struct WindowListEntry {
    std::string ownerName;
    Pid pid = 0;
    std::int64_t windowNumber = 0;
    std::string windowName;  // "Untitled" when absent or not a string
};

// Nothing unless `entry` is a dictionary with a string owner name, an integer owner pid that
// fits 32 bits (a larger one would otherwise be truncated into another process's id) and an
// integer window number.
std::optional<WindowListEntry> readWindowListEntry(const Value& entry);
// "kCGWindowBounds" as (X, Y, Width, Height): nothing unless all four are numbers.
std::optional<Rect> readWindowBounds(const Value& entry);
// The entries of a window list: none when the server gave no list or not an array.
const Value::Array& windowListEntries(const Value& list);

WindowInfo makeWindowInfo(std::int64_t zIndex, WindowListEntry entry);

// Front-most first; stable, so equal indices keep their order.
void orderByZIndex(std::vector<WindowInfo>& records);

}  // namespace tugworth
