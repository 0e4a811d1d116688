// The window list from the bridge's front-to-back windows, each with the window-list keys.
#include "platform/wayland/CompositorWindowServer.h"

#include <algorithm>

namespace tugworth::wayland {
namespace {

bool isDesktopElement(const CompositorWindow& w) {
    return w.kind == CompositorWindowKind::Desktop || w.kind == CompositorWindowKind::Dock;
}

int layerOf(const CompositorWindow& w) {
    if (w.kind == CompositorWindowKind::Desktop) return kLayerDesktop;
    if (w.kind == CompositorWindowKind::Dock) return kLayerDock;
    return kLayerNormal;
}

Value::Dictionary describe(const CompositorWindow& w) {
    using namespace windowkeys;
    Value::Dictionary entry;
    entry.emplace(kNumber, Value(static_cast<long long>(w.id)));
    if (w.pid > 0) entry.emplace(kOwnerPID, Value(w.pid));
    if (!w.applicationName.empty()) entry.emplace(kOwnerName, Value(w.applicationName));
    if (!w.title.empty()) entry.emplace(kName, Value(w.title));
    entry.emplace(kLayer, Value(layerOf(w)));
    entry.emplace(kIsOnscreen, Value(!w.minimized));
    entry.emplace(kBounds, Value(Value::Dictionary{{"X", Value(w.frame.x)},
                                                   {"Y", Value(w.frame.y)},
                                                   {"Width", Value(w.frame.width)},
                                                   {"Height", Value(w.frame.height)}}));
    return entry;
}

}  // namespace

Value CompositorWindowServer::copyWindowListInfo(std::uint32_t options,
                                                 std::uint32_t relativeToWindow) {
    const auto& windows = reads_.windows();
    if (!windows) return Value();
    auto end = windows->end();
    if ((options & kCGWindowListOptionOnScreenAboveWindow) != 0 &&
        relativeToWindow != kCGNullWindowID) {
        // Only what lies above the given window; a window not in the list leaves nothing out.
        end = std::find_if(windows->begin(), windows->end(),
                           [&](const CompositorWindow& w) { return w.id == relativeToWindow; });
    }
    const bool onScreenOnly = (options & kCGWindowListOptionOnScreenOnly) != 0;
    const bool excludeDesktop = (options & kCGWindowListExcludeDesktopElements) != 0;
    Value::Array list;
    for (auto it = windows->begin(); it != end; ++it) {
        if (onScreenOnly && it->minimized) continue;
        if (excludeDesktop && isDesktopElement(*it)) continue;
        list.emplace_back(describe(*it));
    }
    return list;
}

}  // namespace tugworth::wayland
