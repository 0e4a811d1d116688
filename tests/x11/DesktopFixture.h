// A test suite's private desktop: its own X server (with or without a window manager) and an
// X11Desktop connected to it, both ended when the suite ends.
#pragma once

#include <gtest/gtest.h>

#include "XServerFixture.h"
#include "platform/x11/X11Desktop.h"

namespace tugworth::x11::testing {

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
        ~Client() {
            if (pid > 0 && server_) server_->kill(pid);
        }
    };
    // A client with a unique title and its window.
    static Client open(const std::vector<std::string>& argv, const std::string& title) {
        const pid_t pid = server_->spawn(argv);
        return {pid, server_->waitForWindow(title).value_or(xcb_window_t{XCB_NONE})};
    }

    static std::optional<Rect> axFrame(xcb_window_t window) {
        Value value;
        Rect frame;
        if (ax().copyAttributeValue(Element::window(window), "AXFrame", value) !=
                AXError::kAXErrorSuccess ||
            value.asAXValue() == nullptr || !value.asAXValue()->getValue(frame)) {
            return std::nullopt;
        }
        return frame;
    }

    static AXError setPosition(xcb_window_t window, Point p) {
        return ax().setAttributeValue(Element::window(window), "AXPosition",
                                      Value(AXValue::create(p)));
    }

    static inline std::unique_ptr<XServer> server_;
    static inline std::unique_ptr<X11Desktop> desktop_;
    static inline std::string error_;
};

}  // namespace tugworth::x11::testing
