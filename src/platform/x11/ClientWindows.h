// Which top-level windows are the user's: the window manager's clients, never its frames.
#pragma once

#include <xcb/xcb.h>

#include <vector>

#include "platform/x11/XConnection.h"

namespace tugworth::x11 {

// The client windows, bottom-most first. With a window manager: its stacking list; else its
// client list in the stacking order of the window tree (some window managers leave the
// stacking list unset until a second client maps); else the windows carrying WM_STATE, which
// the window manager puts on its clients. Without one: the root's viewable top-level
// InputOutput children.
std::vector<xcb_window_t> clientWindowsBottomToTop(XConnection& conn, bool windowManagerRunning);

}  // namespace tugworth::x11
