// The frames asked of the window manager, kept until the server shows their outcome.
#include "platform/x11/PendingFrames.h"

#include <algorithm>
#include <cmath>

namespace tugworth::x11 {
namespace {

// ICCCM WM_NORMAL_HINTS: flag bits and word positions.
constexpr std::uint32_t kMinSizeFlag = 1U << 4;
constexpr std::uint32_t kMaxSizeFlag = 1U << 5;
constexpr std::uint32_t kResizeIncFlag = 1U << 6;
constexpr std::uint32_t kBaseSizeFlag = 1U << 8;
constexpr std::size_t kMinWord = 5, kMaxWord = 7, kIncWord = 9, kBaseWord = 15;
constexpr std::size_t kHintWords = 18;

Size pairAt(const std::vector<std::uint32_t>& w, std::size_t at) {
    // Sizes are signed on the wire; a negative one means nothing.
    const auto value = [](std::uint32_t v) {
        return std::max(0.0, double(static_cast<std::int32_t>(v)));
    };
    return {value(w[at]), value(w[at + 1])};
}

// One side of the client: what a window manager makes of `requested` pixels.
bool sideAnswers(double requested, double answer, double minimum, double maximum,
                 double increment) {
    const double clamped = std::clamp(requested, minimum, std::max(minimum, maximum));
    return std::fabs(answer - clamped) < std::max(1.0, increment);
}

}  // namespace

SizeRules SizeRules::fromNormalHints(const std::optional<std::vector<std::uint32_t>>& words,
                                     Size decoration) {
    SizeRules rules;
    rules.decoration = decoration;
    if (!words || words->size() < kHintWords) return rules;
    const auto& w = *words;
    const std::uint32_t flags = w[0];
    // Each of the minimum and base sizes stands in for the other when only one is given.
    if ((flags & kMinSizeFlag) != 0) rules.minimum = pairAt(w, kMinWord);
    if ((flags & kBaseSizeFlag) != 0) rules.base = pairAt(w, kBaseWord);
    if ((flags & kMinSizeFlag) == 0 && (flags & kBaseSizeFlag) != 0) rules.minimum = rules.base;
    if ((flags & kBaseSizeFlag) == 0 && (flags & kMinSizeFlag) != 0) rules.base = rules.minimum;
    if ((flags & kMaxSizeFlag) != 0) {
        const Size max = pairAt(w, kMaxWord);
        if (max.width > 0.0) rules.maximum.width = max.width;
        if (max.height > 0.0) rules.maximum.height = max.height;
    }
    if ((flags & kResizeIncFlag) != 0) {
        const Size inc = pairAt(w, kIncWord);
        rules.increment = {std::max(1.0, inc.width), std::max(1.0, inc.height)};
    }
    return rules;
}

bool SizeRules::isAnswerTo(const Rect& requested, const Rect& answer) const {
    if (answer.origin() != requested.origin()) return false;
    return sideAnswers(requested.width - decoration.width, answer.width - decoration.width,
                       minimum.width, maximum.width, increment.width) &&
           sideAnswers(requested.height - decoration.height, answer.height - decoration.height,
                       minimum.height, maximum.height, increment.height);
}

namespace {

// Whether `frame` is one the server passes through on its way (a request asked before, or the
// window manager's answer to it); requests before it are behind the server now and are
// dropped, which also keeps the search short.
bool passesThrough(std::vector<Rect>& passedThrough, const SizeRules& rules, const Rect& frame) {
    const auto at = std::find_if(passedThrough.begin(), passedThrough.end(), [&](const Rect& r) {
        return r == frame || rules.isAnswerTo(r, frame);
    });
    if (at == passedThrough.end()) return false;
    passedThrough.erase(passedThrough.begin(), at);
    return true;
}

}  // namespace

Rect PendingFrames::effective(xcb_window_t window, const Rect& serverFrame, Clock::time_point now) {
    auto it = entries_.find(window);
    if (it == entries_.end()) return serverFrame;
    Entry& entry = it->second;
    const auto age = now - entry.at;
    if (age <= kGestureGap && entry.answersCount &&
        entry.rules.isAnswerTo(entry.requested, serverFrame)) {
        return entry.requested;
    }
    if (age <= kPatience && passesThrough(entry.passedThrough, entry.rules, serverFrame)) {
        return entry.requested;  // still on the way
    }
    // Refused (kept until the next request asks whether it was), adjusted beyond an answer,
    // or moved by someone else: the server is right from here on.
    if (serverFrame != entry.before) entries_.erase(it);
    return serverFrame;
}

bool PendingFrames::refused(xcb_window_t window, const Rect& serverFrame, Clock::time_point now) {
    auto it = entries_.find(window);
    if (it == entries_.end() || now - it->second.at <= kRefusalPatience) return false;
    const Entry& entry = it->second;
    const bool untouched = serverFrame == entry.before && serverFrame != entry.requested &&
                           !entry.rules.isAnswerTo(entry.requested, serverFrame);
    entries_.erase(it);  // asked once: the next request is judged afresh
    return untouched;
}

void PendingFrames::forgetAnswers() {
    for (auto& [window, entry] : entries_) entry.answersCount = false;
}

const SizeRules* PendingFrames::rules(xcb_window_t window) const {
    auto it = entries_.find(window);
    return it == entries_.end() ? nullptr : &it->second.rules;
}

void PendingFrames::requested(xcb_window_t window, const Rect& serverFrame, const Rect& requested,
                              const SizeRules& rules, Clock::time_point now) {
    // A window manager that falls behind a fast pointer can have many steps in flight: a
    // second's worth at 1000 motions a second.
    constexpr std::size_t kMaxSteps = 1024;
    auto [it, fresh] = entries_.try_emplace(window);
    Entry& entry = it->second;
    const bool continues =
        !fresh && now - entry.at <= kGestureGap && entry.passedThrough.size() < kMaxSteps &&
        ((entry.answersCount && rules.isAnswerTo(entry.requested, serverFrame)) ||
         passesThrough(entry.passedThrough, rules, serverFrame));
    if (continues) {
        entry.passedThrough.push_back(entry.requested);
    } else {
        entry.passedThrough.assign({serverFrame});
        entry.before = serverFrame;
    }
    entry.requested = requested;
    entry.rules = rules;
    entry.at = now;
    entry.answersCount = true;
}

}  // namespace tugworth::x11
