// Client windows as the window manager (or, without one, the root) presents them: the stacking
// list, each window's outer frame and EWMH/ICCCM properties, read in batches and, while one
// event is handled, kept in one snapshot.
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
#include "platform/x11/WindowInspection.h"
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

class X11Windows {
public:
    explicit X11Windows(XConnection& conn) : conn_(conn) {}

    // While a scope is open (one event being handled), every read is answered from one snapshot
    // of the desktop: the client list, the windows, the pointer, the active window and the work
    // area are each asked of the server once, in batches, the first time they are wanted. It is
    // forgotten when a scope opens or closes, after each change we make, and when no read has
    // come for kScopeLifetime (a handler that waited, on a modal alert say, reads anew).
    class ReadScope {
    public:
        explicit ReadScope(X11Windows& windows) : windows_(windows) { windows_.enterScope(); }
        ~ReadScope() { windows_.leaveScope(); }
        ReadScope(const ReadScope&) = delete;
        ReadScope& operator=(const ReadScope&) = delete;

    private:
        X11Windows& windows_;
    };
    static constexpr auto kScopeLifetime = std::chrono::milliseconds(200);

    // Selects the root events that tell when the kept answers below go stale; from then on
    // every event read from the connection must be passed to observe().
    void watch();
    void observe(const xcb_generic_event_t& event);
    // A change we made ourselves: the open scope's snapshot is stale but for the pointer. For a
    // short while after, each new scope reads this window together with the pointer; once
    // watching, its properties are kept until it reports a change of one (PropertyNotify).
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
    // The client windows that still exist, front-most first. The answer stays valid until the
    // next call.
    const std::vector<ClientWindow>& clientsFrontToBack();

    // Reads the windows in one batch (see inspectWindows); nullopt for one that is gone.
    std::vector<std::optional<ClientWindow>> inspect(const std::vector<xcb_window_t>& windows);
    std::optional<ClientWindow> inspect(xcb_window_t window);

    // The window manager's work area on the current desktop, root coordinates; nullopt when no
    // window manager runs or it gives none (kept for the open scope).
    std::optional<Rect> workArea();

    // _NET_ACTIVE_WINDOW, else the client holding the input focus; nullopt when neither.
    std::optional<xcb_window_t> activeClient();

    CoordinateSpace coordinateSpace() { return CoordinateSpace::fromMonitors(conn_.monitors()); }

private:
    // What the handling of one event has read so far.
    struct Snapshot {
        std::optional<std::vector<xcb_window_t>> clients;  // bottom-most first
        bool frontToBackKept = false;                      // frontToBack_ belongs to it
        std::unordered_map<xcb_window_t, std::optional<ClientWindow>> windows;
        std::optional<PointerState> pointer;
        std::optional<std::optional<xcb_window_t>> activeClient;
        std::optional<std::optional<Rect>> workArea;
    };
    std::vector<xcb_window_t> readClientList();
    std::optional<xcb_window_t> readActiveClient();
    std::optional<Rect> readWorkArea();
    void enterScope();
    void leaveScope();
    bool scopeActive();

    XConnection& conn_;
    bool watching_ = false;
    int scopeDepth_ = 0;
    std::chrono::steady_clock::time_point lastRead_;
    Snapshot snapshot_;
    std::vector<ClientWindow> frontToBack_;
    xcb_window_t recent_ = XCB_NONE;  // the window we changed last, and when
    std::chrono::steady_clock::time_point recentAt_;
    std::optional<ClientWindow> recentKept_;  // its last whole reading, while no property changed
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
