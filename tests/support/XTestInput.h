// X protocol helpers shared by the X11 tests and the X11 latency bench: input as a user gives
// it through XTEST, atoms, and client messages to the window manager.
#pragma once

#include <xcb/xcb.h>

#include <cstdint>
#include <initializer_list>

namespace tugworth::xtest {

xcb_atom_t atom(xcb_connection_t* conn, const char* name);
// The keycode whose first keysym is `keysym`; 0 when no key has it.
xcb_keycode_t keycodeFor(xcb_connection_t* conn, std::uint32_t keysym);
void key(xcb_connection_t* conn, xcb_keycode_t keycode, bool press);
void button(xcb_connection_t* conn, std::uint8_t number, bool press);
// Relative motion goes through the input devices as a mouse's does, and so produces XInput 2
// raw motion; an absolute warp does not.
void moveBy(xcb_connection_t* conn, std::int32_t dx, std::int32_t dy);
void warpTo(xcb_connection_t* conn, xcb_window_t root, std::int32_t x, std::int32_t y);
// A 32-bit client message about `window`, sent to the root as a window manager expects it.
void sendRootMessage(xcb_connection_t* conn, xcb_window_t root, xcb_window_t window,
                     xcb_atom_t type, std::initializer_list<std::uint32_t> data);

}  // namespace tugworth::xtest
