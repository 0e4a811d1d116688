// The bridge's pointer and modifier events, queued, coalesced and delivered one at a time.
#include "platform/wayland/CompositorEventMonitors.h"

namespace tugworth::wayland {
namespace {

std::uint64_t maskOf(EventType type) {
    return type == EventType::MouseMoved ? kEventMaskMouseMoved : kEventMaskFlagsChanged;
}

}  // namespace

void CompositorEventMonitors::addGlobalMonitor(std::uint64_t mask, GlobalEventHandler handler) {
    global_.emplace_back(mask, std::move(handler));
}

void CompositorEventMonitors::addLocalMonitor(std::uint64_t mask, LocalEventHandler handler) {
    local_.emplace_back(mask, std::move(handler));
}

void CompositorEventMonitors::seed(const CompositorPointer& pointer) {
    flags_ = pointer.modifierFlags;
    lastPointer_ = pointer;
}

bool CompositorEventMonitors::queueFlags(std::uint64_t flags) {
    if (flags == flags_) return false;
    flags_ = flags;
    queue_.push_back({{EventType::FlagsChanged, flags}, lastPointer_});
    return true;
}

bool CompositorEventMonitors::modifiersChanged(std::uint64_t flags) {
    const bool wasEmpty = queue_.empty();
    return queueFlags(flags) && wasEmpty;
}

bool CompositorEventMonitors::pointerMoved(const CompositorPointer& pointer) {
    const bool wasEmpty = queue_.empty();
    queueFlags(pointer.modifierFlags);
    lastPointer_ = pointer;
    if (pointer.anyButtonHeld) return wasEmpty && !queue_.empty();
    const Queued motion{{EventType::MouseMoved, flags_}, pointer};
    if (!queue_.empty() && queue_.back().event.type == EventType::MouseMoved) {
        queue_.back() = motion;
    } else {
        queue_.push_back(motion);
    }
    return wasEmpty;
}

void CompositorEventMonitors::dispatchPending() {
    // Handlers may wait on the bridge, and events that arrive meanwhile join a fresh queue.
    std::vector<Queued> batch;
    batch.swap(queue_);
    for (const Queued& queued : batch) {
        CompositorReads::ReadScope scope(reads_);
        if (queued.pointer) reads_.pointerHeard(*queued.pointer);
        deliver(queued.event);
    }
}

void CompositorEventMonitors::deliver(const Event& event) {
    const std::uint64_t mask = maskOf(event.type);
    // Index loop: a handler may install further monitors while we walk the list.
    for (std::size_t i = 0, n = global_.size(); i < n; ++i) {
        if ((global_[i].first & mask) != 0) global_[i].second(event);
    }
}

}  // namespace tugworth::wayland
