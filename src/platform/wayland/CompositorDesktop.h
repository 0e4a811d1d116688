// The real desktop under a Wayland compositor: the four platform services over one driver of
// the compositor's bridge.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "platform/AccessibilityService.h"
#include "platform/Events.h"
#include "platform/WindowServer.h"
#include "platform/wayland/CompositorDesktopServices.h"
#include "platform/wayland/CompositorDriver.h"

namespace tugworth::wayland {

class CompositorReads;
class CompositorAccessibility;
class CompositorWindowServer;
class CompositorEventMonitors;

// Owns the driver and the services built on it. Everything runs on the thread of the event
// loop that delivers the driver's events; the services must not outlive this object.
class CompositorDesktop {
public:
    CompositorDesktop(std::unique_ptr<CompositorDriver> driver, UrlOpener openUrl);
    ~CompositorDesktop();
    CompositorDesktop(const CompositorDesktop&) = delete;
    CompositorDesktop& operator=(const CompositorDesktop&) = delete;

    AccessibilityService& accessibility();
    WindowServer& windowServer();
    DesktopServices& desktop();
    EventMonitors& monitors();
    CompositorDriver& driver() { return *driver_; }

    // Starts the bridge's events. `eventsWaiting` runs when an event waits and none did
    // before: the event loop should then call dispatchPendingEvents() once it has taken in
    // what else has arrived (never from inside the call). `bridgeLost` runs once, with the
    // driver's sentence, when the bridge goes.
    void start(const std::function<void()>& eventsWaiting,
               std::function<void(const std::string& reason)> bridgeLost);

    // Hands the queued events to the monitors' handlers.
    void dispatchPendingEvents();

    // Why the bridge went, in words for the user; nullopt while it answers.
    const std::optional<std::string>& bridgeError() const { return bridgeError_; }

private:
    std::unique_ptr<CompositorDriver> driver_;
    std::unique_ptr<CompositorReads> reads_;
    std::unique_ptr<CompositorAccessibility> accessibility_;
    std::unique_ptr<CompositorWindowServer> windowServer_;
    std::unique_ptr<CompositorDesktopServices> desktop_;
    std::unique_ptr<CompositorEventMonitors> monitors_;
    std::optional<std::string> bridgeError_;
};

}  // namespace tugworth::wayland
