#include "platform/qt/X11TaskbarState.h"

#include <array>
#include <string>
#include <vector>

#include <xcb/xcb.h>
#include <QGuiApplication>
#include <QWidget>

#include "platform/x11/ReplyPtr.h"

namespace tugworth::qt {

namespace {

using x11::ReplyPtr;

constexpr xcb_atom_t kNoAtom = XCB_ATOM_NONE;

// Interns the names in one batch: one round trip for all.
template <std::size_t N>
std::array<xcb_atom_t, N> internAtoms(xcb_connection_t* connection,
                                      const std::array<const char*, N>& names) {
    std::array<xcb_intern_atom_cookie_t, N> cookies{};
    for (std::size_t i = 0; i < N; ++i) {
        const auto length = static_cast<std::uint16_t>(std::char_traits<char>::length(names[i]));
        cookies[i] = xcb_intern_atom(connection, 0, length, names[i]);
    }
    std::array<xcb_atom_t, N> atoms{};
    for (std::size_t i = 0; i < N; ++i) {
        const ReplyPtr<xcb_intern_atom_reply_t> reply(
            xcb_intern_atom_reply(connection, cookies[i], nullptr));
        atoms[i] = reply ? reply->atom : kNoAtom;
    }
    return atoms;
}

// A window not yet mapped: edit the property itself. Qt merges its own states into what it
// finds there when it maps the window, and the window manager reads it at that moment.
void editUnmappedState(xcb_connection_t* connection, xcb_window_t window, xcb_atom_t state,
                       const std::array<xcb_atom_t, 2>& atoms, bool skip) {
    const ReplyPtr<xcb_get_property_reply_t> reply(xcb_get_property_reply(
        connection, xcb_get_property(connection, 0, window, state, XCB_ATOM_ATOM, 0, 1024),
        nullptr));
    std::vector<xcb_atom_t> states;
    if (reply && reply->format == 32 && reply->type == XCB_ATOM_ATOM) {
        const auto* values = static_cast<const xcb_atom_t*>(xcb_get_property_value(reply.get()));
        const auto count = static_cast<std::size_t>(xcb_get_property_value_length(reply.get())) /
                           sizeof(xcb_atom_t);
        for (std::size_t i = 0; i < count; ++i) {
            if (values[i] != atoms[0] && values[i] != atoms[1]) states.push_back(values[i]);
        }
    }
    if (skip) states.insert(states.end(), atoms.begin(), atoms.end());
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, window, state, XCB_ATOM_ATOM, 32,
                        static_cast<std::uint32_t>(states.size()), states.data());
}

// A mapped window: the window manager owns the property, so ask it (EWMH _NET_WM_STATE message).
void requestMappedState(xcb_connection_t* connection, xcb_window_t window, xcb_atom_t state,
                        const std::array<xcb_atom_t, 2>& atoms, bool skip) {
    const xcb_setup_t* setup = xcb_get_setup(connection);
    const xcb_window_t root = xcb_setup_roots_iterator(setup).data->root;
    xcb_client_message_event_t message{};
    message.response_type = XCB_CLIENT_MESSAGE;
    message.format = 32;
    message.window = window;
    message.type = state;
    message.data.data32[0] = skip ? 1U : 0U;  // _NET_WM_STATE_ADD or _REMOVE
    message.data.data32[1] = atoms[0];
    message.data.data32[2] = atoms[1];
    message.data.data32[3] = 1;  // source: an application
    xcb_send_event(connection, 0, root,
                   XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char*>(&message));
}

}  // namespace

void setSkipTaskbar(QWidget& window, bool skip) {
    auto* x11 = qGuiApp == nullptr ? nullptr
                                   : qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (x11 == nullptr || x11->connection() == nullptr) return;
    xcb_connection_t* connection = x11->connection();
    const auto id = static_cast<xcb_window_t>(window.winId());
    const auto interned = internAtoms<3>(
        connection, {"_NET_WM_STATE", "_NET_WM_STATE_SKIP_TASKBAR", "_NET_WM_STATE_SKIP_PAGER"});
    const xcb_atom_t state = interned[0];
    const std::array<xcb_atom_t, 2> atoms{interned[1], interned[2]};
    if (state == kNoAtom || atoms[0] == kNoAtom || atoms[1] == kNoAtom) return;
    if (window.isVisible()) {
        requestMappedState(connection, id, state, atoms, skip);
    } else {
        editUnmappedState(connection, id, state, atoms, skip);
    }
    xcb_flush(connection);
}

}  // namespace tugworth::qt
