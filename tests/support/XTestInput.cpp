#include "support/XTestInput.h"

#include <xcb/xtest.h>

#include <cstdlib>
#include <cstring>
#include <memory>

namespace tugworth::xtest {
namespace {

struct FreeDeleter {
    void operator()(void* p) const { std::free(p); }
};
template <class T>
using Reply = std::unique_ptr<T, FreeDeleter>;

void fake(xcb_connection_t* conn, std::uint8_t type, std::uint8_t detail, xcb_window_t root,
          std::int32_t x, std::int32_t y) {
    xcb_test_fake_input(conn, type, detail, XCB_CURRENT_TIME, root, static_cast<std::int16_t>(x),
                        static_cast<std::int16_t>(y), 0);
    xcb_flush(conn);
}

}  // namespace

xcb_atom_t atom(xcb_connection_t* conn, const char* name) {
    const auto length = static_cast<std::uint16_t>(std::strlen(name));
    Reply<xcb_intern_atom_reply_t> reply{
        xcb_intern_atom_reply(conn, xcb_intern_atom(conn, 0, length, name), nullptr)};
    return reply ? reply->atom : XCB_NONE;
}

xcb_keycode_t keycodeFor(xcb_connection_t* conn, std::uint32_t keysym) {
    const xcb_setup_t* setup = xcb_get_setup(conn);
    const auto count = static_cast<std::uint8_t>(setup->max_keycode - setup->min_keycode + 1);
    Reply<xcb_get_keyboard_mapping_reply_t> map{xcb_get_keyboard_mapping_reply(
        conn, xcb_get_keyboard_mapping(conn, setup->min_keycode, count), nullptr)};
    if (!map || map->keysyms_per_keycode == 0) return 0;
    const xcb_keysym_t* syms = xcb_get_keyboard_mapping_keysyms(map.get());
    for (int k = 0; k < count; ++k) {
        if (syms[k * map->keysyms_per_keycode] == keysym)
            return static_cast<xcb_keycode_t>(setup->min_keycode + k);
    }
    return 0;
}

void key(xcb_connection_t* conn, xcb_keycode_t keycode, bool press) {
    fake(conn, press ? XCB_KEY_PRESS : XCB_KEY_RELEASE, keycode, XCB_NONE, 0, 0);
}

void button(xcb_connection_t* conn, std::uint8_t number, bool press) {
    fake(conn, press ? XCB_BUTTON_PRESS : XCB_BUTTON_RELEASE, number, XCB_NONE, 0, 0);
}

void moveBy(xcb_connection_t* conn, std::int32_t dx, std::int32_t dy) {
    fake(conn, XCB_MOTION_NOTIFY, 1, XCB_NONE, dx, dy);
}

void warpTo(xcb_connection_t* conn, xcb_window_t root, std::int32_t x, std::int32_t y) {
    fake(conn, XCB_MOTION_NOTIFY, 0, root, x, y);
}

void sendRootMessage(xcb_connection_t* conn, xcb_window_t root, xcb_window_t window,
                     xcb_atom_t type, std::initializer_list<std::uint32_t> data) {
    xcb_client_message_event_t event{};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = window;
    event.type = type;
    std::size_t i = 0;
    for (std::uint32_t d : data) event.data.data32[i++] = d;
    xcb_send_event(conn, 0, root,
                   XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char*>(&event));
    xcb_flush(conn);
}

}  // namespace tugworth::xtest
