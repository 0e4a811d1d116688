// The frames asked of the compositor that it may not show yet.
#pragma once

#include <chrono>
#include <cstddef>
#include <unordered_map>
#include <vector>

#include "platform/Geometry.h"
#include "platform/wayland/CompositorDriver.h"

namespace tugworth::wayland {

// A compositor applies a frame some time after we ask: a resize waits for the client to draw
// at the new size. Until the compositor shows the result, reads answer the frame last asked
// for, so that a step made before the previous one has landed builds on it instead of undoing
// it. Only frames the window showed or was asked for on the way count as "not there yet";
// any other frame means someone else moved it, and the compositor is right from then on.
class RequestedFrames {
public:
    using Clock = std::chrono::steady_clock;
    // How long a request may take to land before the compositor's answer is believed again.
    static constexpr auto kPatience = std::chrono::milliseconds(500);

    // The frame to report for a window whose compositor frame is `shown`.
    Rect reported(CompositorWindowId id, const Rect& shown, Clock::time_point now);
    // Records a request for `frame` made when reported() last answered `reported`.
    void requested(CompositorWindowId id, const Rect& reported, const Rect& frame,
                   Clock::time_point now);
    void forget(CompositorWindowId id) { entries_.erase(id); }

private:
    struct Entry {
        std::vector<Rect> onTheWay;  // oldest first
        Rect frame;
        Clock::time_point at;
    };
    // A pointer faster than the compositor can leave a second's worth of steps in flight.
    static constexpr std::size_t kMaxOnTheWay = 1024;

    std::unordered_map<CompositorWindowId, Entry> entries_;
};

}  // namespace tugworth::wayland
