// The simulated desktop's state as plain records: processes, their windows, attribute quirks.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/AXError.h"
#include "platform/AXNames.h"
#include "platform/Element.h"
#include "platform/Geometry.h"
#include "platform/Value.h"

namespace tugworth::sim {

// How one attribute of one element departs from the simulated truth.
struct AttributeOverride {
    std::optional<AXError> read;   // every read fails with this code
    std::optional<Value> value;    // a read succeeds with this instead (None: success, no value)
    std::optional<AXError> write;  // every write answers this; non-zero changes nothing
    // Only meaningful on "AXActions": the answer of performing each named action.
    std::map<std::string, AXError, std::less<>> perform;
};

using AttributeOverrides = std::map<std::string, AttributeOverride, std::less<>>;

struct WindowModel {
    std::int64_t id = 0;  // the window number, and the id of its Element::window
    Pid pid = 0;          // owning process
    std::string title;
    Rect frame;  // Accessibility space
    bool minimized = false;
    bool hidden = false;
    bool onScreen = true;
    bool desktopElement = false;  // dropped by kCGWindowListExcludeDesktopElements
    std::int64_t layer = 0;
    std::string role{ax::kWindowRole};
    std::string subrole{ax::kStandardWindowSubrole};
    std::optional<std::int64_t> parent;  // a window id; none: the application element
    std::vector<std::string> actions{std::string(ax::kRaiseAction)};
    // kCGWindowName: the title unless listName is set; listNameOmitted leaves the key out.
    std::optional<std::string> listName;
    bool listNameOmitted = false;
    AttributeOverrides attributes;
};

struct ProcessModel {
    Pid pid = 0;
    // The running application's name; none: no running application answers for the pid.
    std::optional<std::string> name;
    AttributeOverrides app;             // overrides on the application element
    std::vector<std::int64_t> windows;  // declaration order (AXWindows); kept by Desktop
};

}  // namespace tugworth::sim
