// The one X facade: typed getters over xcb that answer optionals, replies held by RAII.
// Requests come in pairs (send*, take*) so that callers can send a batch of cookies first and
// collect the replies afterwards: one round trip instead of one per request. An X error, or a
// window that vanished between two requests, turns into an empty answer, never into a crash.
#pragma once

#include <xcb/xcb.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/Element.h"
#include "platform/Geometry.h"
#include "platform/x11/ReplyPtr.h"

namespace tugworth::x11 {

// An event's response_type without the bit that marks an event sent by another client.
constexpr std::uint8_t kEventTypeMask = 0x7f;

// The atoms the platform reads and writes, interned once per connection in one batch. Each
// field is named after its atom, without the leading underscore.
struct Atoms {
    xcb_atom_t UTF8_STRING = XCB_NONE;
    xcb_atom_t WM_STATE = XCB_NONE;
    xcb_atom_t NET_SUPPORTED = XCB_NONE;
    xcb_atom_t NET_SUPPORTING_WM_CHECK = XCB_NONE;
    xcb_atom_t NET_CLIENT_LIST_STACKING = XCB_NONE;
    xcb_atom_t NET_CLIENT_LIST = XCB_NONE;
    xcb_atom_t NET_ACTIVE_WINDOW = XCB_NONE;
    xcb_atom_t NET_CURRENT_DESKTOP = XCB_NONE;
    xcb_atom_t NET_WORKAREA = XCB_NONE;
    xcb_atom_t NET_WM_NAME = XCB_NONE;
    xcb_atom_t NET_WM_PID = XCB_NONE;
    xcb_atom_t NET_WM_STATE = XCB_NONE;
    xcb_atom_t NET_WM_STATE_HIDDEN = XCB_NONE;
    xcb_atom_t NET_WM_STATE_MAXIMIZED_VERT = XCB_NONE;
    xcb_atom_t NET_WM_STATE_MAXIMIZED_HORZ = XCB_NONE;
    xcb_atom_t NET_WM_STATE_ABOVE = XCB_NONE;
    xcb_atom_t NET_WM_STATE_BELOW = XCB_NONE;
    xcb_atom_t NET_WM_STATE_FULLSCREEN = XCB_NONE;
    xcb_atom_t NET_WM_WINDOW_TYPE = XCB_NONE;
    xcb_atom_t NET_WM_WINDOW_TYPE_DESKTOP = XCB_NONE;
    xcb_atom_t NET_WM_WINDOW_TYPE_DOCK = XCB_NONE;
    xcb_atom_t NET_WM_WINDOW_TYPE_DIALOG = XCB_NONE;
    xcb_atom_t NET_WM_WINDOW_TYPE_NORMAL = XCB_NONE;
    xcb_atom_t NET_WM_WINDOW_TYPE_SPLASH = XCB_NONE;
    xcb_atom_t NET_FRAME_EXTENTS = XCB_NONE;
    xcb_atom_t NET_MOVERESIZE_WINDOW = XCB_NONE;
    xcb_atom_t I3_SOCKET_PATH = XCB_NONE;  // i3 runs
    xcb_atom_t I3_FLOATING_WINDOW = XCB_NONE;
};

// A property as it came back; empty when the window or the property does not exist.
class Property {
public:
    Property() = default;
    explicit Property(ReplyPtr<xcb_get_property_reply_t> reply) : reply_(std::move(reply)) {}

    bool exists() const { return reply_ && reply_->type != XCB_NONE; }
    xcb_atom_t type() const { return reply_ ? reply_->type : XCB_NONE; }
    // The 32-bit items (CARDINAL, WINDOW, ATOM lists); nullopt for another format.
    std::optional<std::vector<std::uint32_t>> words() const;
    std::optional<std::uint32_t> firstWord() const;
    // The 8-bit bytes as a string; nullopt for another format.
    std::optional<std::string> bytes() const;

private:
    ReplyPtr<xcb_get_property_reply_t> reply_;
};

struct WindowGeometry {
    std::int32_t x = 0;  // relative to the parent, outer corner of the border
    std::int32_t y = 0;
    std::uint32_t width = 0;  // inside the border
    std::uint32_t height = 0;
    std::uint32_t borderWidth = 0;
};

struct WindowAttributes {
    std::uint8_t mapState = XCB_MAP_STATE_UNMAPPED;
    bool overrideRedirect = false;
    bool inputOutput = true;
};

struct PointerState {
    std::int32_t rootX = 0;
    std::int32_t rootY = 0;
    xcb_window_t child = XCB_NONE;  // the child of the queried window under the pointer
    std::uint16_t mask = 0;         // modifier and button state
};

struct Monitor {
    Rect rootRect;  // in root coordinates (origin top-left of the whole root window)
    bool primary = false;
};

struct Tree {
    xcb_window_t parent = XCB_NONE;
    std::vector<xcb_window_t> children;  // bottom-most first
};

class XConnection {
public:
    // Opens the display (null: DISPLAY). On failure answers null with the reason in `error`.
    static std::unique_ptr<XConnection> open(const char* display, std::string& error);
    ~XConnection();
    XConnection(const XConnection&) = delete;
    XConnection& operator=(const XConnection&) = delete;

    xcb_connection_t* raw() const { return conn_; }
    xcb_window_t root() const { return root_; }
    const Atoms& atoms() const { return atoms_; }
    const std::string& displayName() const { return displayName_; }
    bool broken() const;
    int fileDescriptor() const;
    void flush();

    // Extensions present on this server (queried once at start).
    bool hasXInput2() const { return xinputOpcode_ != 0; }
    std::uint8_t xinputOpcode() const { return xinputOpcode_; }
    bool hasXkb() const { return xkbFirstEvent_ != 0; }
    std::uint8_t xkbFirstEvent() const { return xkbFirstEvent_; }

    // Batched requests: send now, take the reply later (each cookie taken exactly once).
    xcb_get_property_cookie_t sendGetProperty(xcb_window_t window, xcb_atom_t property,
                                              std::uint32_t maxWords = 1024);
    Property takeProperty(xcb_get_property_cookie_t cookie);
    xcb_get_geometry_cookie_t sendGetGeometry(xcb_window_t window);
    std::optional<WindowGeometry> takeGeometry(xcb_get_geometry_cookie_t cookie);
    xcb_get_window_attributes_cookie_t sendGetAttributes(xcb_window_t window);
    std::optional<WindowAttributes> takeAttributes(xcb_get_window_attributes_cookie_t cookie);
    // Where the window's origin (inside its border) lies in root coordinates.
    xcb_translate_coordinates_cookie_t sendTranslateToRoot(xcb_window_t window);
    std::optional<Point> takeTranslation(xcb_translate_coordinates_cookie_t cookie);
    xcb_query_tree_cookie_t sendQueryTree(xcb_window_t window);
    std::optional<Tree> takeTree(xcb_query_tree_cookie_t cookie);
    xcb_query_pointer_cookie_t sendQueryPointer(xcb_window_t window);
    std::optional<PointerState> takePointer(xcb_query_pointer_cookie_t cookie);

    // Single requests.
    Property getProperty(xcb_window_t window, xcb_atom_t property, std::uint32_t maxWords = 1024);
    std::optional<WindowAttributes> getAttributes(xcb_window_t window);
    std::optional<Tree> queryTree(xcb_window_t window);
    std::optional<PointerState> queryPointer(xcb_window_t window);
    std::optional<xcb_window_t> inputFocus();
    // The monitors, the primary first; the whole root as one monitor when RandR gives none.
    // Once watchMonitors() has run, the answer is kept until a RandR event says it changed.
    std::vector<Monitor> monitors();
    void watchMonitors();
    // Forgets the kept monitors when `event` reports a change of screens; answers whether it did.
    bool noteMonitorEvent(const xcb_generic_event_t& event);
    // The process of the X client that created `window` (X-Resource extension), batched.
    struct ClientPidCookie {
        bool sent = false;
        unsigned int sequence = 0;
    };
    ClientPidCookie sendClientPid(xcb_window_t window);
    std::optional<Pid> takeClientPid(ClientPidCookie cookie);

    // Requests without replies; errors come back as events and are dropped there.
    void sendRootMessage(xcb_window_t window, xcb_atom_t type, const std::uint32_t (&data)[5]);
    // `values` holds one word per bit of `mask`, in the protocol's order.
    void configure(xcb_window_t window, std::uint16_t mask, const std::uint32_t* values);
    // The same, waiting for the server to have done it: false when it refused (the window is
    // gone) or the connection broke.
    bool configureNow(xcb_window_t window, std::uint16_t mask, const std::uint32_t* values);

private:
    XConnection() = default;
    void internAtoms();
    void queryExtensions();

    xcb_connection_t* conn_ = nullptr;
    xcb_window_t root_ = XCB_NONE;
    Size rootSize_;
    Atoms atoms_;
    std::string displayName_;
    std::uint8_t xinputOpcode_ = 0;
    std::uint8_t xkbFirstEvent_ = 0;
    bool hasRandrMonitors_ = false;
    std::uint8_t randrFirstEvent_ = 0;
    bool hasXRes_ = false;
    bool watchingMonitors_ = false;
    std::optional<std::vector<Monitor>> monitors_;
};

}  // namespace tugworth::x11
