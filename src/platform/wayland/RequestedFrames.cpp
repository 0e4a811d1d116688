// Which frame to believe while a request travels to the compositor and back.
#include "platform/wayland/RequestedFrames.h"

#include <algorithm>

namespace tugworth::wayland {
namespace {

// Drops the frames before `shown`, which the compositor has passed, and answers whether
// `shown` was one of those on the way.
bool stillOnTheWay(std::vector<Rect>& onTheWay, const Rect& shown) {
    const auto at = std::find(onTheWay.begin(), onTheWay.end(), shown);
    if (at == onTheWay.end()) return false;
    onTheWay.erase(onTheWay.begin(), at);
    return true;
}

}  // namespace

Rect RequestedFrames::reported(CompositorWindowId id, const Rect& shown, Clock::time_point now) {
    const auto it = entries_.find(id);
    if (it == entries_.end()) return shown;
    Entry& entry = it->second;
    if (shown != entry.frame && now - entry.at <= kPatience &&
        stillOnTheWay(entry.onTheWay, shown)) {
        return entry.frame;
    }
    entries_.erase(it);
    return shown;
}

void RequestedFrames::requested(CompositorWindowId id, const Rect& reported, const Rect& frame,
                                Clock::time_point now) {
    // With a request on its way, the reported frame is the request before this one.
    Entry& entry = entries_[id];
    entry.onTheWay.push_back(reported);
    if (entry.onTheWay.size() > kMaxOnTheWay) entry.onTheWay.erase(entry.onTheWay.begin());
    entry.frame = frame;
    entry.at = now;
}

}  // namespace tugworth::wayland
