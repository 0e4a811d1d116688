// The bundle of the X11 services over one connection, and the start-up session check.
#include "platform/x11/X11Desktop.h"

#include <poll.h>

#include <cstdlib>

#include "platform/x11/X11Accessibility.h"
#include "platform/x11/X11DesktopServices.h"
#include "platform/x11/X11EventMonitors.h"
#include "platform/x11/X11WindowServer.h"
#include "platform/x11/X11Windows.h"
#include "platform/x11/XConnection.h"

namespace tugworth::x11 {

std::unique_ptr<X11Desktop> X11Desktop::connect(const char* display, std::string& error) {
    auto connection = XConnection::open(display, error);
    if (!connection) return nullptr;
    std::unique_ptr<X11Desktop> desktop(new X11Desktop(std::move(connection)));
    desktop->windows_->watch();  // before anything is read and kept
    if (!desktop->monitors_->start(error)) return nullptr;
    desktop->connection_->flush();
    return desktop;
}

X11Desktop::X11Desktop(std::unique_ptr<XConnection> connection)
    : connection_(std::move(connection)), windows_(std::make_unique<X11Windows>(*connection_)) {
    accessibility_ = std::make_unique<X11Accessibility>(*connection_, *windows_);
    windowServer_ = std::make_unique<X11WindowServer>(*connection_, *windows_);
    desktop_ = std::make_unique<X11DesktopServices>(*connection_, *windows_);
    monitors_ = std::make_unique<X11EventMonitors>(*connection_, *windows_);
    monitors_->onModifiersChanging([this] { accessibility_->gestureBoundary(); });
}

X11Desktop::~X11Desktop() = default;

AccessibilityService& X11Desktop::accessibility() {
    return *accessibility_;
}
WindowServer& X11Desktop::windowServer() {
    return *windowServer_;
}
DesktopServices& X11Desktop::desktop() {
    return *desktop_;
}
EventMonitors& X11Desktop::monitors() {
    return *monitors_;
}

int X11Desktop::fileDescriptor() const {
    return connection_->fileDescriptor();
}

bool X11Desktop::dispatchPendingEvents() {
    desktop_->reapFinishedChildren();
    monitors_->dispatchPending();
    connection_->flush();
    return !connection_->broken();
}

bool X11Desktop::checkConnectionLost(std::chrono::milliseconds patience) {
    const auto deadline = std::chrono::steady_clock::now() + patience;
    while (true) {
        // Reading is what reveals a server that has gone away.
        while (ReplyPtr<xcb_generic_event_t> dropped{xcb_poll_for_event(connection_->raw())}) {
        }
        if (connection_->broken()) return true;
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) return false;
        pollfd readable{connection_->fileDescriptor(), POLLIN, 0};
        ::poll(&readable, 1, static_cast<int>(left.count()));
    }
}

std::optional<std::string> X11Desktop::connectionError() const {
    if (!connection_->broken()) return std::nullopt;
    return "Lost the connection to the X server on display " + connection_->displayName() +
           "; Tugworth cannot work without it";
}

SessionKind classifySession(const char* display, const char* waylandDisplay) {
    const bool x11 = display != nullptr && *display != '\0';
    const bool wayland = waylandDisplay != nullptr && *waylandDisplay != '\0';
    if (x11) return wayland ? SessionKind::XWayland : SessionKind::X11;
    return wayland ? SessionKind::WaylandOnly : SessionKind::NoDisplay;
}

bool checkSessionSupport(Log& log) {
    switch (classifySession(std::getenv("DISPLAY"), std::getenv("WAYLAND_DISPLAY"))) {
        case SessionKind::X11:
            return true;
        case SessionKind::XWayland:
            log.warning(
                "This is a Wayland session with XWayland: only windows of X11 programs can be "
                "moved or resized, not those of native Wayland programs");
            return true;
        case SessionKind::WaylandOnly:
            log.error(
                "This is a Wayland session without X11 (WAYLAND_DISPLAY is set, DISPLAY is not): "
                "moving other programs' windows needs an X11 session. Log in to an X11 session "
                "and start Tugworth again");
            return false;
        case SessionKind::NoDisplay:
            log.error(
                "No display is set (neither DISPLAY nor WAYLAND_DISPLAY): Tugworth needs an X11 "
                "session");
            return false;
    }
    return false;
}

}  // namespace tugworth::x11
