// A private X server for one test suite: Xvfb on a fresh display, optionally openbox, real
// client programs, XTEST input, and bounded polling for conditions.
#pragma once

#include <sys/types.h>
#include <xcb/xcb.h>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/Geometry.h"
#include "platform/x11/X11Desktop.h"

namespace tugworth::x11::testing {

class XServer {
public:
    // Starts Xvfb (and openbox when `windowManager`); on failure `error` says why.
    static std::unique_ptr<XServer> start(bool windowManager, std::string& error);
    ~XServer();  // ends every process it started
    XServer(const XServer&) = delete;
    XServer& operator=(const XServer&) = delete;

    const std::string& display() const { return display_; }
    xcb_connection_t* conn() const { return conn_; }
    xcb_window_t root() const { return root_; }

    // Starts a client program on the display; answers its process id.
    pid_t spawn(const std::vector<std::string>& argv);
    // Kills and reaps a process started by spawn().
    void kill(pid_t pid);
    // The client window whose WM_NAME is `title`, once it is viewable.
    std::optional<xcb_window_t> waitForWindow(const std::string& title);

    // The outer frame in root coordinates as a window-info tool computes it: the geometry,
    // translated to the root, grown by the border and _NET_FRAME_EXTENTS.
    std::optional<Rect> outerFrame(xcb_window_t window);
    // Asks the window manager to make the window active (and so front-most).
    void activate(xcb_window_t window);
    void iconify(xcb_window_t window);

    // XTEST input.
    xcb_keycode_t keycodeFor(std::uint32_t keysym);
    void key(xcb_keycode_t keycode, bool press);
    void button(std::uint8_t button, bool press);
    void movePointer(int x, int y);
    void sync();

    xcb_atom_t atom(const char* name);

private:
    XServer() = default;
    pid_t launch(const std::vector<std::string>& argv, int keepFd = -1);
    bool windowManagerManages();

    std::string display_;
    std::string home_;
    xcb_connection_t* conn_ = nullptr;
    xcb_window_t root_ = XCB_NONE;
    pid_t xvfb_ = -1;
    pid_t wm_ = -1;
    std::vector<pid_t> clients_;
};

// Polls `condition` until it holds or `limit` has passed; answers whether it held.
bool waitUntil(const std::function<bool()>& condition,
               std::chrono::milliseconds limit = std::chrono::milliseconds(5000));

// Dispatches the desktop's events until `condition` holds (bounded by `limit`).
bool dispatchUntil(X11Desktop& desktop, const std::function<bool()>& condition,
                   std::chrono::milliseconds limit = std::chrono::milliseconds(5000));

}  // namespace tugworth::x11::testing
