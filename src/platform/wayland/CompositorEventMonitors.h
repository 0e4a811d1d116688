// Event monitors over what a compositor's bridge pushes: pointer motion and modifier changes.
#pragma once

#include <optional>
#include <utility>
#include <vector>

#include "platform/Events.h"
#include "platform/wayland/CompositorReads.h"

namespace tugworth::wayland {

// The bridge's events are queued as they arrive and delivered by dispatchPending(), under the
// rules of the X11 monitors: motion with a button held is dropped, queued motion is coalesced
// into the latest, and a flags-changed event is made only when the flags really change (a
// motion whose flags differ from the last known ones brings its own change first).
//
// The bridge sees the whole desktop, our own windows included, and cannot tell whose window
// an event was bound for: every event goes to the global handlers, so with both kinds
// installed each still reaches the handlers exactly once.
class CompositorEventMonitors final : public EventMonitors {
public:
    explicit CompositorEventMonitors(CompositorReads& reads) : reads_(reads) {}

    void addGlobalMonitor(std::uint64_t mask, GlobalEventHandler handler) override;
    void addLocalMonitor(std::uint64_t mask, LocalEventHandler handler) override;

    // The state when watching starts.
    void seed(const CompositorPointer& pointer);
    // Each answers whether the queue was empty before: then a dispatch should be arranged.
    bool pointerMoved(const CompositorPointer& pointer);
    bool modifiersChanged(std::uint64_t flags);

    bool eventsWaiting() const { return !queue_.empty(); }
    // Hands what is queued to the handlers, in order.
    void dispatchPending();

private:
    // An event with the pointer as it was when the event happened, when known.
    struct Queued {
        Event event;
        std::optional<CompositorPointer> pointer;
    };
    bool queueFlags(std::uint64_t flags);
    void deliver(const Event& event);

    CompositorReads& reads_;
    std::uint64_t flags_ = 0;
    std::optional<CompositorPointer> lastPointer_;
    std::vector<Queued> queue_;
    std::vector<std::pair<std::uint64_t, GlobalEventHandler>> global_;
    std::vector<std::pair<std::uint64_t, LocalEventHandler>> local_;
};

}  // namespace tugworth::wayland
