// What the platform reports for a window it has just asked the window manager to change.
#pragma once

#include <xcb/xcb.h>

#include <chrono>
#include <cstdint>
#include <optional>
#include <unordered_map>
#include <vector>

#include "platform/Geometry.h"

namespace tugworth::x11 {

// How a window manager may adjust a requested size (ICCCM WM_NORMAL_HINTS), in client pixels,
// and the decorations around the client that the outer frame adds.
struct SizeRules {
    Size decoration;
    Size minimum{1.0, 1.0};
    Size maximum{32767.0, 32767.0};
    Size base;
    Size increment{1.0, 1.0};

    // From the words of a WM_NORMAL_HINTS property (absent or short: no constraint).
    static SizeRules fromNormalHints(const std::optional<std::vector<std::uint32_t>>& words,
                                     Size decoration);
    // Whether `answer` is what a window manager makes of the request `requested`: the same
    // corner, each side within one size step of the requested size clamped to its limits.
    bool isAnswerTo(const Rect& requested, const Rect& answer) const;
};

// A window manager applies a request some time after we make it, and may round or clamp it.
// Until the server shows the result, reads answer the frame last asked for, so that a second
// step made before the first has landed builds on it instead of undoing it; and while a
// gesture goes on, a frame that is the window manager's answer to the request reads as the
// request itself, so that per-step deltas add up as the pointer moved instead of piling up
// rounding (terminals resize in whole character cells).
class PendingFrames {
public:
    using Clock = std::chrono::steady_clock;
    static constexpr auto kPatience = std::chrono::milliseconds(300);
    // Requests further apart than this are separate gestures, whatever the modifiers did.
    static constexpr auto kGestureGap = std::chrono::milliseconds(1000);
    // A request that changed nothing at all in this time was refused.
    static constexpr auto kRefusalPatience = std::chrono::milliseconds(1000);

    // The frame to report for a window whose server frame is `serverFrame`.
    Rect effective(xcb_window_t window, const Rect& serverFrame, Clock::time_point now);
    // Whether the window manager left the window's last request undone: the server still
    // shows the frame from before it, well after it was made.
    bool refused(xcb_window_t window, const Rect& serverFrame, Clock::time_point now);
    // The size rules kept for the window's gesture, if one goes on.
    const SizeRules* rules(xcb_window_t window) const;
    // Ends the gesture: frames that are answers to requests read as the server's again;
    // requests still on their way stay.
    void forgetAnswers();
    // Records a request for `requested` made while the server showed `serverFrame`.
    void requested(xcb_window_t window, const Rect& serverFrame, const Rect& requested,
                   const SizeRules& rules, Clock::time_point now);

private:
    struct Entry {
        std::vector<Rect> passedThrough;  // frames asked for before, oldest first
        Rect before;                      // the server frame when the chain began
        Rect requested;
        SizeRules rules;
        Clock::time_point at;
        bool answersCount = true;  // until the gesture ends
    };
    std::unordered_map<xcb_window_t, Entry> entries_;
};

}  // namespace tugworth::x11
