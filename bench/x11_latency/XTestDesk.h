// The harness's own view of the display: XTEST input as a user gives it (keys, buttons,
// relative pointer motion), and the frame of the window under test with its ConfigureNotify
// events, each stamped with the time it was read.
#pragma once

#include <xcb/xcb.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "LatencyStats.h"

namespace tugworth::bench {

double monotonicSeconds();

struct FramePosition {
    std::int32_t x = 0;
    std::int32_t y = 0;
};

class XTestDesk {
public:
    // Connects to DISPLAY and finds the top-level frame of the client whose WM_CLASS class is
    // `windowClass`. On failure answers nothing, with the reason in `error`.
    static std::optional<XTestDesk> open(const std::string& windowClass, std::string& error);
    XTestDesk(XTestDesk&& other) noexcept;
    XTestDesk& operator=(XTestDesk&&) = delete;
    ~XTestDesk();

    xcb_window_t client() const { return client_; }
    // Turns pointer acceleration off, so that a relative motion moves the pointer exactly.
    void disablePointerAcceleration();
    std::optional<std::uint8_t> keycodeOf(std::uint32_t keysym);
    void key(std::uint8_t keycode, bool press);
    void button(std::uint8_t number, bool press);
    void moveRelative(std::int32_t dx, std::int32_t dy);
    void warpPointer(std::int32_t x, std::int32_t y);
    std::optional<FramePosition> pointer();
    // Where the frame's outer corner is, asked of the server.
    std::optional<FramePosition> frame();
    std::optional<FramePosition> frameSize();
    // Asks the window manager to put the frame's corner at (x, y).
    void placeFrame(std::int32_t x, std::int32_t y);
    void flush();

    // Reads every event that has arrived and appends each frame move, stamped now.
    void drain(std::vector<std::pair<double, FramePosition>>& moves);
    // Waits until the frame shows `wanted` or `seconds` pass; true when it got there.
    bool waitForFrame(FramePosition wanted, double seconds);
    // Waits for the frame to leave `from`; answers where it went.
    std::optional<FramePosition> waitForFrameToLeave(FramePosition from, double seconds);
    // Blocks until the connection has something to read or `deadline` passes.
    void waitReadable(double deadline);

private:
    XTestDesk() = default;
    bool findFrame(const std::string& windowClass, std::string& error);

    xcb_connection_t* conn_ = nullptr;
    xcb_window_t root_ = XCB_NONE;
    xcb_window_t client_ = XCB_NONE;
    xcb_window_t frame_ = XCB_NONE;
    xcb_atom_t moveResize_ = XCB_NONE;
};

}  // namespace tugworth::bench
