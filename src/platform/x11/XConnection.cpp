// The X facade over xcb: connection set-up, atoms, extensions and the typed getters.
#include "platform/x11/XConnection.h"

#include <xcb/randr.h>
#include <xcb/res.h>
#include <xcb/xinput.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <string_view>
#include <utility>

#include "platform/x11/XkbProtocol.h"

namespace tugworth::x11 {
namespace {

// Takes a reply and drops the error that came instead of it: callers see an empty answer.
template <class Reply, class Cookie>
ReplyPtr<Reply> take(xcb_connection_t* conn, Cookie cookie,
                     Reply* (*replyFn)(xcb_connection_t*, Cookie, xcb_generic_error_t**)) {
    xcb_generic_error_t* error = nullptr;
    ReplyPtr<Reply> reply(replyFn(conn, cookie, &error));
    ReplyPtr<xcb_generic_error_t> dropped(error);
    return reply;
}

std::string describeConnectionError(int code) {
    switch (code) {
        case XCB_CONN_ERROR:
            return "the connection failed (socket, pipe or stream error)";
        case XCB_CONN_CLOSED_EXT_NOTSUPPORTED:
            return "an extension is not supported";
        case XCB_CONN_CLOSED_MEM_INSUFFICIENT:
            return "out of memory";
        case XCB_CONN_CLOSED_REQ_LEN_EXCEED:
            return "a request was too long";
        case XCB_CONN_CLOSED_PARSE_ERR:
            return "the display name could not be parsed";
        case XCB_CONN_CLOSED_INVALID_SCREEN:
            return "the display has no such screen";
        default:
            return "error " + std::to_string(code);
    }
}

}  // namespace

std::optional<std::vector<std::uint32_t>> Property::words() const {
    if (!exists() || reply_->format != 32) return std::nullopt;
    const auto* data = static_cast<const std::uint32_t*>(xcb_get_property_value(reply_.get()));
    const auto count = static_cast<std::size_t>(xcb_get_property_value_length(reply_.get())) / 4U;
    return std::vector<std::uint32_t>(data, data + count);
}

std::optional<std::uint32_t> Property::firstWord() const {
    auto all = words();
    if (!all || all->empty()) return std::nullopt;
    return all->front();
}

std::optional<std::string> Property::bytes() const {
    if (!exists() || reply_->format != 8) return std::nullopt;
    const auto* data = static_cast<const char*>(xcb_get_property_value(reply_.get()));
    const auto length = static_cast<std::size_t>(xcb_get_property_value_length(reply_.get()));
    return std::string(data, length);
}

std::unique_ptr<XConnection> XConnection::open(const char* display, std::string& error) {
    const char* name = (display != nullptr && *display != '\0') ? display : std::getenv("DISPLAY");
    if (name == nullptr || *name == '\0') {
        error = "No X display is set (the DISPLAY variable is empty)";
        return nullptr;
    }
    int screenNumber = 0;
    xcb_connection_t* conn = xcb_connect(name, &screenNumber);
    if (int code = xcb_connection_has_error(conn); code != 0) {
        xcb_disconnect(conn);
        error = std::string("Cannot connect to the X display ") + name + ": " +
                describeConnectionError(code);
        return nullptr;
    }
    std::unique_ptr<XConnection> self(new XConnection());
    self->conn_ = conn;
    self->displayName_ = name;
    auto it = xcb_setup_roots_iterator(xcb_get_setup(conn));
    for (int i = 0; i < screenNumber && it.rem > 0; ++i) xcb_screen_next(&it);
    if (it.rem == 0) {
        error =
            std::string("The X display ") + name + " has no screen " + std::to_string(screenNumber);
        return nullptr;
    }
    self->root_ = it.data->root;
    self->rootSize_ = {double(it.data->width_in_pixels), double(it.data->height_in_pixels)};
    self->internAtoms();
    self->queryExtensions();
    if (self->broken()) {
        error = std::string("The X display ") + name + " closed the connection during set-up";
        return nullptr;
    }
    return self;
}

XConnection::~XConnection() {
    if (conn_ != nullptr) xcb_disconnect(conn_);
}

bool XConnection::broken() const {
    return xcb_connection_has_error(conn_) != 0;
}

int XConnection::fileDescriptor() const {
    return xcb_get_file_descriptor(conn_);
}

void XConnection::flush() {
    xcb_flush(conn_);
}

void XConnection::internAtoms() {
    struct Entry {
        std::string_view name;
        xcb_atom_t Atoms::*field;
    };
    static constexpr std::array kEntries{
        Entry{"UTF8_STRING", &Atoms::UTF8_STRING},
        Entry{"WM_STATE", &Atoms::WM_STATE},
        Entry{"_NET_SUPPORTED", &Atoms::NET_SUPPORTED},
        Entry{"_NET_SUPPORTING_WM_CHECK", &Atoms::NET_SUPPORTING_WM_CHECK},
        Entry{"_NET_CLIENT_LIST_STACKING", &Atoms::NET_CLIENT_LIST_STACKING},
        Entry{"_NET_CLIENT_LIST", &Atoms::NET_CLIENT_LIST},
        Entry{"_NET_ACTIVE_WINDOW", &Atoms::NET_ACTIVE_WINDOW},
        Entry{"_NET_CURRENT_DESKTOP", &Atoms::NET_CURRENT_DESKTOP},
        Entry{"_NET_WORKAREA", &Atoms::NET_WORKAREA},
        Entry{"_NET_WM_NAME", &Atoms::NET_WM_NAME},
        Entry{"_NET_WM_PID", &Atoms::NET_WM_PID},
        Entry{"_NET_WM_STATE", &Atoms::NET_WM_STATE},
        Entry{"_NET_WM_STATE_HIDDEN", &Atoms::NET_WM_STATE_HIDDEN},
        Entry{"_NET_WM_STATE_MAXIMIZED_VERT", &Atoms::NET_WM_STATE_MAXIMIZED_VERT},
        Entry{"_NET_WM_STATE_MAXIMIZED_HORZ", &Atoms::NET_WM_STATE_MAXIMIZED_HORZ},
        Entry{"_NET_WM_STATE_ABOVE", &Atoms::NET_WM_STATE_ABOVE},
        Entry{"_NET_WM_STATE_BELOW", &Atoms::NET_WM_STATE_BELOW},
        Entry{"_NET_WM_STATE_FULLSCREEN", &Atoms::NET_WM_STATE_FULLSCREEN},
        Entry{"_NET_WM_WINDOW_TYPE", &Atoms::NET_WM_WINDOW_TYPE},
        Entry{"_NET_WM_WINDOW_TYPE_DESKTOP", &Atoms::NET_WM_WINDOW_TYPE_DESKTOP},
        Entry{"_NET_WM_WINDOW_TYPE_DOCK", &Atoms::NET_WM_WINDOW_TYPE_DOCK},
        Entry{"_NET_WM_WINDOW_TYPE_DIALOG", &Atoms::NET_WM_WINDOW_TYPE_DIALOG},
        Entry{"_NET_WM_WINDOW_TYPE_NORMAL", &Atoms::NET_WM_WINDOW_TYPE_NORMAL},
        Entry{"_NET_WM_WINDOW_TYPE_SPLASH", &Atoms::NET_WM_WINDOW_TYPE_SPLASH},
        Entry{"_NET_FRAME_EXTENTS", &Atoms::NET_FRAME_EXTENTS},
        Entry{"_NET_MOVERESIZE_WINDOW", &Atoms::NET_MOVERESIZE_WINDOW},
        Entry{"I3_SOCKET_PATH", &Atoms::I3_SOCKET_PATH},
        Entry{"I3_FLOATING_WINDOW", &Atoms::I3_FLOATING_WINDOW},
    };
    std::array<xcb_intern_atom_cookie_t, kEntries.size()> cookies{};
    for (std::size_t i = 0; i < kEntries.size(); ++i) {
        cookies[i] = xcb_intern_atom(conn_, 0, static_cast<std::uint16_t>(kEntries[i].name.size()),
                                     kEntries[i].name.data());
    }
    for (std::size_t i = 0; i < kEntries.size(); ++i) {
        if (auto reply = take(conn_, cookies[i], xcb_intern_atom_reply)) {
            atoms_.*(kEntries[i].field) = reply->atom;
        }
    }
}

void XConnection::queryExtensions() {
    // Send every version query first, then collect.
    const auto* xinput = xcb_get_extension_data(conn_, &xcb_input_id);
    const auto* xkb = xcb_get_extension_data(conn_, &xcb_xkb_id);
    const auto* randr = xcb_get_extension_data(conn_, &xcb_randr_id);
    const auto* res = xcb_get_extension_data(conn_, &xcb_res_id);
    const bool xinputPresent = xinput != nullptr && xinput->present != 0;
    const bool xkbPresent = xkb != nullptr && xkb->present != 0;
    const bool randrPresent = randr != nullptr && randr->present != 0;
    const bool resPresent = res != nullptr && res->present != 0;

    xcb_input_xi_query_version_cookie_t xiCookie{};
    xcb_xkb_use_extension_cookie_t xkbCookie{};
    xcb_randr_query_version_cookie_t randrCookie{};
    xcb_res_query_version_cookie_t resCookie{};
    if (xinputPresent) xiCookie = xcb_input_xi_query_version(conn_, 2, 2);
    if (xkbPresent) xkbCookie = xcb_xkb_use_extension(conn_, 1, 0);
    if (randrPresent) randrCookie = xcb_randr_query_version(conn_, 1, 5);
    if (resPresent) resCookie = xcb_res_query_version(conn_, 1, 2);

    if (xinputPresent) {
        auto reply = take(conn_, xiCookie, xcb_input_xi_query_version_reply);
        if (reply && reply->major_version >= 2) xinputOpcode_ = xinput->major_opcode;
    }
    if (xkbPresent) {
        auto reply = take(conn_, xkbCookie, xcb_xkb_use_extension_reply);
        if (reply && reply->supported != 0) xkbFirstEvent_ = xkb->first_event;
    }
    if (randrPresent) {
        auto reply = take(conn_, randrCookie, xcb_randr_query_version_reply);
        hasRandrMonitors_ = reply && (reply->major_version > 1 ||
                                      (reply->major_version == 1 && reply->minor_version >= 5));
        randrFirstEvent_ = randr->first_event;
    }
    if (resPresent) {
        auto reply = take(conn_, resCookie, xcb_res_query_version_reply);
        hasXRes_ = reply && (reply->server_major > 1 ||
                             (reply->server_major == 1 && reply->server_minor >= 2));
    }
}

xcb_get_property_cookie_t XConnection::sendGetProperty(xcb_window_t window, xcb_atom_t property,
                                                       std::uint32_t maxWords) {
    return xcb_get_property(conn_, 0, window, property, XCB_GET_PROPERTY_TYPE_ANY, 0, maxWords);
}

Property XConnection::takeProperty(xcb_get_property_cookie_t cookie) {
    return Property(take(conn_, cookie, xcb_get_property_reply));
}

xcb_get_geometry_cookie_t XConnection::sendGetGeometry(xcb_window_t window) {
    return xcb_get_geometry(conn_, window);
}

std::optional<WindowGeometry> XConnection::takeGeometry(xcb_get_geometry_cookie_t cookie) {
    auto reply = take(conn_, cookie, xcb_get_geometry_reply);
    if (!reply) return std::nullopt;
    return WindowGeometry{reply->x, reply->y, reply->width, reply->height, reply->border_width};
}

xcb_get_window_attributes_cookie_t XConnection::sendGetAttributes(xcb_window_t window) {
    return xcb_get_window_attributes(conn_, window);
}

std::optional<WindowAttributes> XConnection::takeAttributes(
    xcb_get_window_attributes_cookie_t cookie) {
    auto reply = take(conn_, cookie, xcb_get_window_attributes_reply);
    if (!reply) return std::nullopt;
    return WindowAttributes{reply->map_state, reply->override_redirect != 0,
                            reply->_class == XCB_WINDOW_CLASS_INPUT_OUTPUT};
}

xcb_translate_coordinates_cookie_t XConnection::sendTranslateToRoot(xcb_window_t window) {
    return xcb_translate_coordinates(conn_, window, root_, 0, 0);
}

std::optional<Point> XConnection::takeTranslation(xcb_translate_coordinates_cookie_t cookie) {
    auto reply = take(conn_, cookie, xcb_translate_coordinates_reply);
    if (!reply) return std::nullopt;
    return Point{double(reply->dst_x), double(reply->dst_y)};
}

xcb_query_tree_cookie_t XConnection::sendQueryTree(xcb_window_t window) {
    return xcb_query_tree(conn_, window);
}

std::optional<Tree> XConnection::takeTree(xcb_query_tree_cookie_t cookie) {
    auto reply = take(conn_, cookie, xcb_query_tree_reply);
    if (!reply) return std::nullopt;
    const xcb_window_t* children = xcb_query_tree_children(reply.get());
    const auto count = static_cast<std::size_t>(xcb_query_tree_children_length(reply.get()));
    return Tree{reply->parent, std::vector<xcb_window_t>(children, children + count)};
}

xcb_query_pointer_cookie_t XConnection::sendQueryPointer(xcb_window_t window) {
    return xcb_query_pointer(conn_, window);
}

std::optional<PointerState> XConnection::takePointer(xcb_query_pointer_cookie_t cookie) {
    auto reply = take(conn_, cookie, xcb_query_pointer_reply);
    if (!reply) return std::nullopt;
    return PointerState{reply->root_x, reply->root_y, reply->child, reply->mask};
}

Property XConnection::getProperty(xcb_window_t window, xcb_atom_t property,
                                  std::uint32_t maxWords) {
    return takeProperty(sendGetProperty(window, property, maxWords));
}

std::optional<WindowAttributes> XConnection::getAttributes(xcb_window_t window) {
    return takeAttributes(sendGetAttributes(window));
}

std::optional<Tree> XConnection::queryTree(xcb_window_t window) {
    return takeTree(sendQueryTree(window));
}

std::optional<PointerState> XConnection::queryPointer(xcb_window_t window) {
    return takePointer(sendQueryPointer(window));
}

std::optional<xcb_window_t> XConnection::inputFocus() {
    auto reply = take(conn_, xcb_get_input_focus(conn_), xcb_get_input_focus_reply);
    if (!reply) return std::nullopt;
    return reply->focus;
}

void XConnection::watchMonitors() {
    if (!hasRandrMonitors_) return;  // the fall-back answer, the root's size, never changes
    xcb_randr_select_input(conn_, root_,
                           XCB_RANDR_NOTIFY_MASK_SCREEN_CHANGE | XCB_RANDR_NOTIFY_MASK_CRTC_CHANGE |
                               XCB_RANDR_NOTIFY_MASK_OUTPUT_CHANGE);
    xcb_flush(conn_);
    monitors_.reset();
    watchingMonitors_ = true;
}

bool XConnection::noteMonitorEvent(const xcb_generic_event_t& event) {
    if (!hasRandrMonitors_) return false;
    const int type = event.response_type & kEventTypeMask;
    if (type != randrFirstEvent_ + XCB_RANDR_SCREEN_CHANGE_NOTIFY &&
        type != randrFirstEvent_ + XCB_RANDR_NOTIFY) {
        return false;
    }
    monitors_.reset();
    return true;
}

std::vector<Monitor> XConnection::monitors() {
    if (monitors_) return *monitors_;
    std::vector<Monitor> result;
    if (hasRandrMonitors_) {
        auto reply =
            take(conn_, xcb_randr_get_monitors(conn_, root_, 1), xcb_randr_get_monitors_reply);
        if (reply) {
            for (auto it = xcb_randr_get_monitors_monitors_iterator(reply.get()); it.rem > 0;
                 xcb_randr_monitor_info_next(&it)) {
                const auto& m = *it.data;
                if (m.width == 0 || m.height == 0) continue;
                result.push_back({{double(m.x), double(m.y), double(m.width), double(m.height)},
                                  m.primary != 0});
            }
        }
    }
    if (result.empty()) {
        result.push_back({{0.0, 0.0, rootSize_.width, rootSize_.height}, true});
    }
    // The primary (main) monitor first; the others keep the server's order.
    std::stable_partition(result.begin(), result.end(), [](const Monitor& m) { return m.primary; });
    if (watchingMonitors_ && !broken()) monitors_ = result;
    return result;
}

XConnection::ClientPidCookie XConnection::sendClientPid(xcb_window_t window) {
    if (!hasXRes_) return {};
    xcb_res_client_id_spec_t spec{window, XCB_RES_CLIENT_ID_MASK_LOCAL_CLIENT_PID};
    return {true, xcb_res_query_client_ids(conn_, 1, &spec).sequence};
}

std::optional<Pid> XConnection::takeClientPid(ClientPidCookie cookie) {
    if (!cookie.sent) return std::nullopt;
    auto reply = take(conn_, xcb_res_query_client_ids_cookie_t{cookie.sequence},
                      xcb_res_query_client_ids_reply);
    if (!reply) return std::nullopt;
    for (auto it = xcb_res_query_client_ids_ids_iterator(reply.get()); it.rem > 0;
         xcb_res_client_id_value_next(&it)) {
        if ((it.data->spec.mask & XCB_RES_CLIENT_ID_MASK_LOCAL_CLIENT_PID) != 0 &&
            xcb_res_client_id_value_value_length(it.data) >= 1) {
            const std::uint32_t pid = *xcb_res_client_id_value_value(it.data);
            if (pid > 0 && pid <= 0x7fffffffU) return static_cast<Pid>(pid);
        }
    }
    return std::nullopt;
}

void XConnection::sendRootMessage(xcb_window_t window, xcb_atom_t type,
                                  const std::uint32_t (&data)[5]) {
    xcb_client_message_event_t event{};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = window;
    event.type = type;
    std::memcpy(event.data.data32, data, sizeof data);
    xcb_send_event(conn_, 0, root_,
                   XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char*>(&event));
    xcb_flush(conn_);
}

void XConnection::configure(xcb_window_t window, std::uint16_t mask, const std::uint32_t* values) {
    xcb_configure_window(conn_, window, mask, values);
    xcb_flush(conn_);
}

bool XConnection::configureNow(xcb_window_t window, std::uint16_t mask,
                               const std::uint32_t* values) {
    auto cookie = xcb_configure_window_checked(conn_, window, mask, values);
    const ReplyPtr<xcb_generic_error_t> error(xcb_request_check(conn_, cookie));
    return error == nullptr && !broken();
}

}  // namespace tugworth::x11
