// Client windows as the window manager (or, without one, the root) presents them: the stacking
// list, each window's outer frame and EWMH/ICCCM properties, read in batches.
#pragma once

#include <xcb/xcb.h>

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/Element.h"
#include "platform/Geometry.h"
#include "platform/x11/XConnection.h"

namespace tugworth::x11 {

// Converts between root coordinates (pixels, origin top-left of the root window) and the two
// spaces of the core: top-left-origin of the main monitor (y down) and bottom-left-origin of
// the main monitor (y up), whose flip height is the main monitor's height.
struct CoordinateSpace {
    Point mainOrigin;         // the main monitor's top-left corner in root coordinates
    double flipHeight = 0.0;  // the main monitor's height

    static CoordinateSpace fromMonitors(const std::vector<Monitor>& monitors);

    Rect rootToTopLeft(Rect r) const {
        return {r.x - mainOrigin.x, r.y - mainOrigin.y, r.width, r.height};
    }
    Point topLeftToRoot(Point p) const { return {p.x + mainOrigin.x, p.y + mainOrigin.y}; }
    Point rootToBottomLeft(Point p) const {
        return {p.x - mainOrigin.x, flipHeight - (p.y - mainOrigin.y)};
    }
    Rect rootToBottomLeft(Rect r) const {
        return {r.x - mainOrigin.x, flipHeight - (r.y - mainOrigin.y) - r.height, r.width,
                r.height};
    }
};

struct FrameExtents {
    std::uint32_t left = 0;
    std::uint32_t right = 0;
    std::uint32_t top = 0;
    std::uint32_t bottom = 0;
};

// What one client window looked like when it was read.
struct ClientWindow {
    xcb_window_t id = XCB_NONE;
    bool viewable = false;
    Rect frame;  // the outer frame (decorations and border included), root coordinates
    FrameExtents extents;
    std::uint32_t borderWidth = 0;
    Size clientSize;  // inside the border
    std::optional<Pid> pid;
    std::optional<std::string> title;
    std::optional<std::string> className;  // the second string of WM_CLASS
    std::vector<std::uint32_t> windowTypes;
    std::vector<std::uint32_t> states;
    std::optional<std::uint32_t> wmState;  // ICCCM WM_STATE: 0 withdrawn, 1 normal, 3 iconic
    xcb_window_t transientFor = XCB_NONE;

    bool hasType(xcb_atom_t atom) const;
    bool hasState(xcb_atom_t atom) const;
};

class X11Windows {
public:
    explicit X11Windows(XConnection& conn) : conn_(conn) {}

    // While a scope is open, a window or the pointer read again is answered from the first
    // reading in that scope (if it is younger than kScopeLifetime): the handling of one event
    // asks the server once. Opening or closing a scope, nested or not, forgets those readings.
    class ReadScope {
    public:
        explicit ReadScope(X11Windows& windows) : windows_(windows) { windows_.enterScope(); }
        ~ReadScope() { windows_.leaveScope(); }
        ReadScope(const ReadScope&) = delete;
        ReadScope& operator=(const ReadScope&) = delete;

    private:
        X11Windows& windows_;
    };
    static constexpr auto kScopeLifetime = std::chrono::milliseconds(20);

    // Selects the root events that tell when the kept answers below go stale; from then on
    // every event read from the connection must be passed to observe().
    void watch();
    void observe(const xcb_generic_event_t& event);
    // A change we made ourselves: the window's readings in the open scope are stale. For a
    // short while after, each new scope reads this window together with the pointer.
    void changed(xcb_window_t window);
    static constexpr auto kRecentLifetime = std::chrono::milliseconds(100);

    // Whether an EWMH window manager runs: its check window exists and names itself. Kept,
    // once watching, until the check window or the root's check property changes.
    bool windowManagerRunning();
    // Whether the running window manager announces the given protocol atom (kept likewise).
    bool windowManagerSupports(xcb_atom_t atom);

    // The running window manager's name ("" when none or unnamed), kept likewise.
    std::string windowManagerName();

    // The pointer on the root window (kept for the open scope).
    std::optional<PointerState> pointer();
    // Answers pointer() with `pointer` for the rest of the open scope: the event source read
    // it when it decided to deliver the event, and the handler must see the same.
    void keepPointer(const PointerState& pointer);
    // Whether a window of process `pid` lies anywhere in the tree below the top-level window
    // `topLevel`, itself included. Kept, once watching, until a top-level window is created,
    // destroyed, mapped, unmapped or reparented.
    bool subtreeHasProcess(xcb_window_t topLevel, Pid pid);

    // Client windows, bottom-most first (see clientWindowsBottomToTop).
    std::vector<xcb_window_t> clientsBottomToTop();

    // Reads the windows in one batch; nullopt for a window that no longer exists. Process
    // ids missing from _NET_WM_PID are asked of the X-Resource extension.
    std::vector<std::optional<ClientWindow>> inspect(const std::vector<xcb_window_t>& windows);
    std::optional<ClientWindow> inspect(xcb_window_t window);

    // _NET_ACTIVE_WINDOW, else the client holding the input focus; nullopt when neither.
    std::optional<xcb_window_t> activeClient();

    CoordinateSpace coordinateSpace() { return CoordinateSpace::fromMonitors(conn_.monitors()); }

private:
    struct Cookies {
        xcb_get_window_attributes_cookie_t attributes;
        xcb_get_geometry_cookie_t geometry;
        xcb_translate_coordinates_cookie_t translation;
        xcb_get_property_cookie_t extents, pid, netName, wmName, wmClass, types, states, wmState,
            transient;
    };
    std::vector<Cookies> sendInspection(const std::vector<xcb_window_t>& windows);
    std::vector<std::optional<ClientWindow>> takeInspection(
        const std::vector<xcb_window_t>& windows, const std::vector<Cookies>& cookies);
    void enterScope();
    void leaveScope();
    bool scopeActive();

    XConnection& conn_;
    bool watching_ = false;
    int scopeDepth_ = 0;
    std::chrono::steady_clock::time_point scopeStart_;
    std::unordered_map<xcb_window_t, std::optional<ClientWindow>> scoped_;
    std::optional<PointerState> scopedPointer_;
    xcb_window_t recent_ = XCB_NONE;  // the window we changed last, and when
    std::chrono::steady_clock::time_point recentAt_;
    std::optional<bool> wmRunning_;
    xcb_window_t wmCheck_ = XCB_NONE;
    std::optional<std::vector<std::uint32_t>> wmSupported_;
    std::optional<std::string> wmName_;
    std::unordered_map<xcb_window_t, bool> ownsSubtree_;  // for ownsSubtreePid_
    Pid ownsSubtreePid_ = 0;
};

// The name an application goes by: the class of its front-most window that has one, else the
// process name; nullopt when the process is not running.
std::optional<std::string> applicationName(Pid pid, const std::vector<ClientWindow>& frontToBack);

}  // namespace tugworth::x11
