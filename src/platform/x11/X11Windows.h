// Client windows as the window manager (or, without one, the root) presents them: the stacking
// list, each window's outer frame and EWMH/ICCCM properties, read in batches.
#pragma once

#include <xcb/xcb.h>

#include <cstdint>
#include <optional>
#include <string>
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

    Rect rootToTopLeft(Rect r) const { return {r.x - mainOrigin.x, r.y - mainOrigin.y, r.width, r.height}; }
    Point topLeftToRoot(Point p) const { return {p.x + mainOrigin.x, p.y + mainOrigin.y}; }
    Point rootToBottomLeft(Point p) const { return {p.x - mainOrigin.x, flipHeight - (p.y - mainOrigin.y)}; }
    Rect rootToBottomLeft(Rect r) const {
        return {r.x - mainOrigin.x, flipHeight - (r.y - mainOrigin.y) - r.height, r.width, r.height};
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

    // Whether an EWMH window manager runs: its check window exists and names itself.
    bool windowManagerRunning();
    // Whether the running window manager announces the given protocol atom.
    bool windowManagerSupports(xcb_atom_t atom);

    // Client windows, bottom-most first: the window manager's stacking list, or without one
    // the root's viewable top-level InputOutput children.
    std::vector<xcb_window_t> clientsBottomToTop();

    // Reads the windows in one batch; nullopt for a window that no longer exists. Process
    // ids missing from _NET_WM_PID are asked of the X-Resource extension.
    std::vector<std::optional<ClientWindow>> inspect(const std::vector<xcb_window_t>& windows);
    std::optional<ClientWindow> inspect(xcb_window_t window);

    // _NET_ACTIVE_WINDOW, else the client holding the input focus; nullopt when neither.
    std::optional<xcb_window_t> activeClient();

    CoordinateSpace coordinateSpace() { return CoordinateSpace::fromMonitors(conn_.monitors()); }

private:
    XConnection& conn_;
};

// The name an application goes by: the class of its front-most window that has one, else the
// process name; nullopt when the process is not running.
std::optional<std::string> applicationName(Pid pid, const std::vector<ClientWindow>& frontToBack);

}  // namespace tugworth::x11
