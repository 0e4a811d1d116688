// A private X server for one test suite: Xvfb on a fresh display, optionally openbox, real
// client programs, XTEST input, and bounded polling for conditions.
#pragma once

#include <gtest/gtest.h>
#include <sys/types.h>
#include <xcb/xcb.h>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/Geometry.h"
#include "platform/WindowServer.h"
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
    xcb_atom_t atom(const char* name);

    pid_t spawn(const std::vector<std::string>& argv);
    void kill(pid_t pid);  // only processes started by spawn()
    // The client window whose WM_NAME is `title`, once it is viewable.
    std::optional<xcb_window_t> waitForWindow(const std::string& title);
    // The outer frame in root coordinates as a window-info tool computes it: the geometry,
    // translated to the root, grown by the border and _NET_FRAME_EXTENTS.
    std::optional<Rect> outerFrame(xcb_window_t window);
    // A window of the test's own, mapped with one 32-bit property given beforehand; and a
    // property set afterwards.
    xcb_window_t makeWindow(xcb_window_t parent, xcb_rectangle_t r, const char* property = nullptr,
                            xcb_atom_t type = XCB_NONE, std::uint32_t value = 0);
    void setProperty(xcb_window_t window, const char* name, xcb_atom_t type,
                     const std::vector<std::uint32_t>& words);
    void activate(xcb_window_t window);  // and so make it front-most

    // XTEST input, through the devices as a user's; each waits for the server to take it.
    void key(std::uint32_t keysym, bool press);
    void button(std::uint8_t button, bool press);
    void movePointer(int x, int y);
    void sync();

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

// A suite's private desktop: its own X server and an X11Desktop connected to it.
template <bool WithWindowManager>
class DesktopFixture : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        server_ = XServer::start(WithWindowManager, error_);
        if (server_) desktop_ = X11Desktop::connect(server_->display().c_str(), error_);
    }
    static void TearDownTestSuite() {
        desktop_.reset();
        server_.reset();
    }
    void SetUp() override { ASSERT_TRUE(server_ && desktop_) << "no test desktop: " << error_; }

    static XServer& server() { return *server_; }
    static X11Desktop& desktop() { return *desktop_; }
    static AccessibilityService& ax() { return desktop_->accessibility(); }

    // A client program, ended when the test lets go of it, whatever way the test ends.
    struct Client {
        pid_t pid;
        xcb_window_t window;
        Client(pid_t p, xcb_window_t w) : pid(p), window(w) {}
        Client(const Client&) = delete;
        ~Client() { server_->kill(pid); }
    };
    static Client open(const std::vector<std::string>& argv, const std::string& title) {
        const pid_t pid = server_->spawn(argv);
        return {pid, server_->waitForWindow(title).value_or(xcb_window_t{XCB_NONE})};
    }

    static Value::Array list(std::uint32_t options, std::uint32_t relativeTo = kCGNullWindowID) {
        Value value = desktop_->windowServer().copyWindowListInfo(options, relativeTo);
        return value.asArray() != nullptr ? *value.asArray() : Value::Array{};
    }
    static std::int64_t number(const Value& entry) {
        return *entry.find(windowkeys::kNumber)->asInteger();
    }
    // The window numbers in the list, front-most first.
    static std::vector<std::int64_t> listed(std::uint32_t options) {
        std::vector<std::int64_t> numbers;
        for (const Value& entry : list(options)) numbers.push_back(number(entry));
        return numbers;
    }

    static Value read(xcb_window_t window, const char* attribute) {
        Value value;
        const AXError error = ax().copyAttributeValue(Element::window(window), attribute, value);
        return error == AXError::kAXErrorSuccess ? value : Value();
    }

    static inline std::unique_ptr<XServer> server_;
    static inline std::unique_ptr<X11Desktop> desktop_;
    static inline std::string error_;
};

}  // namespace tugworth::x11::testing
