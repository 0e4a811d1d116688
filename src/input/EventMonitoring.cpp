// The four event monitors: pointer motion and modifier changes, both for events bound for
// other applications (global) and for this program's own (local).
#include "app/AppDelegate.h"

namespace tugworth {

void AppDelegate::setupEventMonitoring() {
    log_.debug("Setting up event monitoring...");
    EventMonitors& monitors = platform_.monitors;
    // The delegate outlives every monitor (it lives until the event loop has ended), so the
    // handlers hold it by reference. Local handlers hand the event on unchanged.
    monitors.addGlobalMonitor(kEventMaskMouseMoved,
                              [this](const Event& event) { handleMouseMove(event); });
    monitors.addLocalMonitor(kEventMaskMouseMoved, [this](const Event& event) -> const Event* {
        handleMouseMove(event);
        return &event;
    });
    monitors.addGlobalMonitor(kEventMaskFlagsChanged,
                              [this](const Event& event) { handleFlagsChanged(event); });
    monitors.addLocalMonitor(kEventMaskFlagsChanged, [this](const Event& event) -> const Event* {
        handleFlagsChanged(event);
        return &event;
    });
}

}  // namespace tugworth
