// The real desktop on an X server: the four platform services over one xcb connection.
#pragma once

#include <chrono>
#include <memory>
#include <optional>
#include <string>

#include "platform/AccessibilityService.h"
#include "platform/Events.h"
#include "platform/Log.h"
#include "platform/WindowServer.h"

namespace tugworth::x11 {

class XConnection;
class X11Windows;
class X11Accessibility;
class X11WindowServer;
class X11DesktopServices;
class X11EventMonitors;

// Owns the connection and the services built on it. Everything runs on the thread that
// calls dispatchPendingEvents(); the services must not outlive this object.
class X11Desktop {
public:
    // Opens `display` (null: the DISPLAY variable) and sets up XInput 2 raw motion and XKB
    // state events on the root window. On failure answers null and says why in `error`.
    static std::unique_ptr<X11Desktop> connect(const char* display, std::string& error);

    ~X11Desktop();
    X11Desktop(const X11Desktop&) = delete;
    X11Desktop& operator=(const X11Desktop&) = delete;

    AccessibilityService& accessibility();
    WindowServer& windowServer();
    DesktopServices& desktop();
    EventMonitors& monitors();

    // The connection's file descriptor: readable when events wait (for a socket notifier).
    int fileDescriptor() const;

    // Reads everything queued without blocking and hands it to the monitors' handlers.
    // Answers false once the connection to the X server is broken; see connectionError().
    bool dispatchPendingEvents();

    // Why the connection broke, in words for the user; nullopt while it works.
    std::optional<std::string> connectionError() const;

    // For the way out: reads what arrives on the connection, for at most `patience`, without
    // handing it to anyone, and answers whether the connection has broken meanwhile.
    bool checkConnectionLost(std::chrono::milliseconds patience);

private:
    explicit X11Desktop(std::unique_ptr<XConnection> connection);

    std::unique_ptr<XConnection> connection_;
    std::unique_ptr<X11Windows> windows_;  // the window reader the services share
    std::unique_ptr<X11Accessibility> accessibility_;
    std::unique_ptr<X11WindowServer> windowServer_;
    std::unique_ptr<X11DesktopServices> desktop_;
    std::unique_ptr<X11EventMonitors> monitors_;
};

// What kind of graphical session the environment describes.
enum class SessionKind { X11, XWayland, WaylandOnly, NoDisplay };

// From the values of DISPLAY and WAYLAND_DISPLAY (null or empty: unset).
SessionKind classifySession(const char* display, const char* waylandDisplay);

// Called once at start-up, before connect(): reads the environment and says on the log what
// the session allows. Answers false when no window can be moved here (a Wayland session
// without X11): the program should then exit with a non-zero status.
bool checkSessionSupport(Log& log);

}  // namespace tugworth::x11
