// The window server's list of windows, and the desktop around it: pointer, screens,
// running applications, this process, the workspace.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Element.h"
#include "platform/Geometry.h"
#include "platform/Value.h"

namespace tugworth {

// Option bits of the window-list request.
enum WindowListOption : std::uint32_t {
    kCGWindowListOptionOnScreenOnly = 1U << 0,
    kCGWindowListOptionOnScreenAboveWindow = 1U << 1,
    kCGWindowListExcludeDesktopElements = 1U << 4,
};

inline constexpr std::uint32_t kCGNullWindowID = 0;

// Keys of a window-list dictionary.
namespace windowkeys {
inline constexpr std::string_view kOwnerName = "kCGWindowOwnerName";
inline constexpr std::string_view kOwnerPID = "kCGWindowOwnerPID";
inline constexpr std::string_view kNumber = "kCGWindowNumber";
inline constexpr std::string_view kName = "kCGWindowName";
inline constexpr std::string_view kLayer = "kCGWindowLayer";
inline constexpr std::string_view kIsOnscreen = "kCGWindowIsOnscreen";
inline constexpr std::string_view kBounds = "kCGWindowBounds";
}  // namespace windowkeys

class WindowServer {
public:
    virtual ~WindowServer() = default;

    // An Array of Dictionaries, front-most window first, with the keys above (bounds in the
    // Accessibility space: origin top-left of the main screen, y down). None when the server
    // gives no list. Entries may be malformed: readers test every value's kind.
    virtual Value copyWindowListInfo(std::uint32_t options, std::uint32_t relativeToWindow) = 0;

protected:
    WindowServer() = default;
    WindowServer(const WindowServer&) = delete;
    WindowServer& operator=(const WindowServer&) = delete;
};

struct Screen {
    Rect frame;         // Cocoa space: origin bottom-left of the main screen, y up
    Rect visibleFrame;  // the part not covered by menu bars, docks and panels
};

class DesktopServices {
public:
    virtual ~DesktopServices() = default;

    // The pointer, in Cocoa space.
    virtual Point mouseLocation() = 0;
    // Every display, the main one first; empty when there is none.
    virtual std::vector<Screen> screens() = 0;
    // The first screen, if any. A platform that can answer it alone more cheaply does.
    virtual std::optional<Screen> mainScreen() {
        auto all = screens();
        if (all.empty()) return std::nullopt;
        return all.front();
    }

    // The display name of the running application with this process id: nullopt when no
    // running application answers for it, or it has no name.
    virtual std::optional<std::string> runningApplicationName(Pid pid) = 0;

    virtual Pid ownProcessId() = 0;
    virtual bool environmentContains(std::string_view variable) = 0;

    // Opens the URL in the system; the answer says whether it was handed on.
    virtual bool openURL(std::string_view url) = 0;

    virtual std::chrono::system_clock::time_point now() = 0;

protected:
    DesktopServices() = default;
    DesktopServices(const DesktopServices&) = delete;
    DesktopServices& operator=(const DesktopServices&) = delete;
};

}  // namespace tugworth
