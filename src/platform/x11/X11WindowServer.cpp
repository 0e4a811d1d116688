// The window list: the client windows front-most first (see ClientWindows.h), each described
// with the window-list keys.
#include "platform/x11/X11WindowServer.h"

#include <algorithm>

namespace tugworth::x11 {

Value X11WindowServer::copyWindowListInfo(std::uint32_t options, std::uint32_t relativeToWindow) {
    if (conn_.broken()) return Value();
    const std::vector<ClientWindow>& all = windows_.clientsFrontToBack();
    auto end = all.end();
    if ((options & kCGWindowListOptionOnScreenAboveWindow) != 0 &&
        relativeToWindow != kCGNullWindowID) {
        // Only what lies above the given window; a window not in the list leaves nothing out.
        end = std::find_if(all.begin(), all.end(),
                           [&](const ClientWindow& w) { return w.id == relativeToWindow; });
    }
    const std::vector<ClientWindow> clients(all.begin(), end);
    const auto& a = conn_.atoms();
    const bool onScreenOnly = (options & kCGWindowListOptionOnScreenOnly) != 0;
    const bool excludeDesktop = (options & kCGWindowListExcludeDesktopElements) != 0;
    const CoordinateSpace space = windows_.coordinateSpace();

    Value::Array list;
    for (const auto& w : clients) {
        if (onScreenOnly && !w.viewable) continue;
        if (excludeDesktop &&
            (w.hasType(a.NET_WM_WINDOW_TYPE_DESKTOP) || w.hasType(a.NET_WM_WINDOW_TYPE_DOCK))) {
            continue;
        }
        list.emplace_back(describe(w, space, clients));
    }
    return list;
}

Value::Dictionary X11WindowServer::describe(const ClientWindow& window,
                                            const CoordinateSpace& space,
                                            const std::vector<ClientWindow>& frontToBack) {
    using namespace windowkeys;
    Value::Dictionary entry;
    entry.emplace(kNumber, Value(static_cast<long long>(window.id)));
    if (window.pid) entry.emplace(kOwnerPID, Value(*window.pid));
    std::optional<std::string> owner =
        window.pid ? applicationName(*window.pid, frontToBack) : std::nullopt;
    if (!owner) owner = window.className;
    if (owner) entry.emplace(kOwnerName, Value(*owner));
    if (window.title) entry.emplace(kName, Value(*window.title));
    entry.emplace(kLayer, Value(layerOf(window)));
    entry.emplace(kIsOnscreen, Value(window.viewable));
    const Rect bounds = space.rootToTopLeft(window.frame);
    entry.emplace(kBounds, Value(Value::Dictionary{{"X", Value(bounds.x)},
                                                   {"Y", Value(bounds.y)},
                                                   {"Width", Value(bounds.width)},
                                                   {"Height", Value(bounds.height)}}));
    return entry;
}

int X11WindowServer::layerOf(const ClientWindow& window) const {
    const auto& a = conn_.atoms();
    if (window.hasType(a.NET_WM_WINDOW_TYPE_DESKTOP)) return kLayerDesktop;
    if (window.hasType(a.NET_WM_WINDOW_TYPE_DOCK)) return kLayerDock;
    if (window.hasState(a.NET_WM_STATE_ABOVE)) return kLayerAbove;
    if (window.hasState(a.NET_WM_STATE_BELOW)) return kLayerBelow;
    return kLayerNormal;
}

}  // namespace tugworth::x11
