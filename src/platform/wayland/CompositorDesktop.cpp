// The bundle of the Wayland services over one compositor driver.
#include "platform/wayland/CompositorDesktop.h"

#include "platform/wayland/CompositorAccessibility.h"
#include "platform/wayland/CompositorEventMonitors.h"
#include "platform/wayland/CompositorReads.h"
#include "platform/wayland/CompositorWindowServer.h"

namespace tugworth::wayland {

CompositorDesktop::CompositorDesktop(std::unique_ptr<CompositorDriver> driver, UrlOpener openUrl)
    : driver_(std::move(driver)), reads_(std::make_unique<CompositorReads>(*driver_)) {
    accessibility_ = std::make_unique<CompositorAccessibility>(*reads_);
    windowServer_ = std::make_unique<CompositorWindowServer>(*reads_);
    desktop_ = std::make_unique<CompositorDesktopServices>(*reads_, std::move(openUrl));
    monitors_ = std::make_unique<CompositorEventMonitors>(*reads_);
}

CompositorDesktop::~CompositorDesktop() = default;

AccessibilityService& CompositorDesktop::accessibility() {
    return *accessibility_;
}
WindowServer& CompositorDesktop::windowServer() {
    return *windowServer_;
}
DesktopServices& CompositorDesktop::desktop() {
    return *desktop_;
}
EventMonitors& CompositorDesktop::monitors() {
    return *monitors_;
}

void CompositorDesktop::start(const std::function<void()>& eventsWaiting,
                              std::function<void(const std::string&)> bridgeLost) {
    if (auto pointer = driver_->pointer()) monitors_->seed(*pointer);
    CompositorEvents events;
    // Events flow again once a lost bridge is back: a later loss is news again.
    events.pointerMoved = [this, eventsWaiting](const CompositorPointer& pointer) {
        bridgeError_.reset();
        if (monitors_->pointerMoved(pointer) && eventsWaiting) eventsWaiting();
    };
    events.modifiersChanged = [this, eventsWaiting](std::uint64_t flags) {
        bridgeError_.reset();
        if (monitors_->modifiersChanged(flags) && eventsWaiting) eventsWaiting();
    };
    events.bridgeLost = [this, bridgeLost = std::move(bridgeLost)](const std::string& reason) {
        if (bridgeError_) return;
        bridgeError_ = reason;
        if (bridgeLost) bridgeLost(reason);
    };
    driver_->watch(std::move(events));
}

void CompositorDesktop::dispatchPendingEvents() {
    monitors_->dispatchPending();
}

}  // namespace tugworth::wayland
