// One client window as read from the server: its outer frame and EWMH/ICCCM properties, asked
// for in one batch of requests whose cookies are named after what they ask.
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

// The requests that say whether a window is mapped and where it lies.
struct PlacementCookies {
    xcb_window_t window = XCB_NONE;
    xcb_get_window_attributes_cookie_t attributes{};
    xcb_get_geometry_cookie_t geometry{};
    xcb_translate_coordinates_cookie_t origin{};
};

// The requests that describe one window, sent together.
struct InspectionCookies {
    PlacementCookies placement;
    xcb_get_property_cookie_t frameExtents{};
    xcb_get_property_cookie_t pid{};
    xcb_get_property_cookie_t netWmName{};
    xcb_get_property_cookie_t wmName{};
    xcb_get_property_cookie_t wmClass{};
    xcb_get_property_cookie_t windowType{};
    xcb_get_property_cookie_t netWmState{};
    xcb_get_property_cookie_t wmState{};
    xcb_get_property_cookie_t transientFor{};
};

InspectionCookies sendInspection(XConnection& conn, xcb_window_t window);
// Takes every reply of `cookies`; nullopt when the window no longer exists.
std::optional<ClientWindow> takeInspection(XConnection& conn, const InspectionCookies& cookies);

// Brings a reading whose properties are known to be current up to date: map state and frame.
PlacementCookies sendPlacement(XConnection& conn, xcb_window_t window);
// False when the window no longer exists.
bool takePlacement(XConnection& conn, const PlacementCookies& cookies, ClientWindow& window);

// Reads the windows in one batch; nullopt for a window that no longer exists. Process ids
// missing from _NET_WM_PID are asked of the X-Resource extension, in a second batch.
std::vector<std::optional<ClientWindow>> inspectWindows(XConnection& conn,
                                                        const std::vector<xcb_window_t>& windows);

// A property's text without the NUL bytes some clients end it with.
std::string withoutTrailingNuls(std::string s);

}  // namespace tugworth::x11
