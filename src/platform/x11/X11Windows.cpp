// Client windows read in batches: stacking order, outer frames and EWMH/ICCCM properties.
#include "platform/x11/X11Windows.h"

#include <algorithm>

#include "platform/x11/ClientWindows.h"
#include "platform/x11/Processes.h"

namespace tugworth::x11 {
CoordinateSpace CoordinateSpace::fromMonitors(const std::vector<Monitor>& monitors) {
    if (monitors.empty()) return {};
    const Rect& main = monitors.front().rootRect;
    return {{main.x, main.y}, main.height};
}

void X11Windows::watch() {
    // Top-level windows coming and going, and the root's properties (the window manager's).
    const std::uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY | XCB_EVENT_MASK_PROPERTY_CHANGE;
    xcb_change_window_attributes(conn_.raw(), conn_.root(), XCB_CW_EVENT_MASK, &mask);
    conn_.watchMonitors();
    conn_.flush();
    wmRunning_.reset();
    wmSupported_.reset();
    wmName_.reset();
    ownsSubtree_.clear();
    watching_ = true;
}

void X11Windows::observe(const xcb_generic_event_t& event) {
    if (conn_.noteMonitorEvent(event)) return;
    const auto& a = conn_.atoms();
    switch (event.response_type & kEventTypeMask) {
        case XCB_PROPERTY_NOTIFY: {
            const auto& e = reinterpret_cast<const xcb_property_notify_event_t&>(event);
            if (e.window == conn_.root() &&
                (e.atom == a.NET_SUPPORTING_WM_CHECK || e.atom == a.NET_SUPPORTED)) {
                wmRunning_.reset();
                wmSupported_.reset();
                wmName_.reset();
            }
            if (e.window == recent_) recentKept_.reset();
            break;
        }
        case XCB_DESTROY_NOTIFY: {
            const auto& e = reinterpret_cast<const xcb_destroy_notify_event_t&>(event);
            if (e.window == wmCheck_) {
                wmRunning_.reset();
                wmSupported_.reset();
                wmName_.reset();
            }
            if (e.window == recent_) recentKept_.reset();
            ownsSubtree_.clear();
            break;
        }
        case XCB_CREATE_NOTIFY:
        case XCB_MAP_NOTIFY:
        case XCB_UNMAP_NOTIFY:
        case XCB_REPARENT_NOTIFY:
            ownsSubtree_.clear();
            break;
        default:
            break;
    }
}

void X11Windows::enterScope() {
    ++scopeDepth_;
    snapshot_ = {};
    lastRead_ = std::chrono::steady_clock::now();
    if (recent_ == XCB_NONE || lastRead_ - recentAt_ > kRecentLifetime || conn_.broken()) return;
    // A drag changes the same window at every motion and reads the pointer first: both are
    // asked for together, in one round trip. While the window reports no property change,
    // only its map state and place are asked again.
    if (recentKept_) {
        const auto cookies = sendPlacement(conn_, recent_);
        const auto pointerCookie = conn_.sendQueryPointer(conn_.root());
        if (!takePlacement(conn_, cookies, *recentKept_)) recentKept_.reset();
        snapshot_.pointer = conn_.takePointer(pointerCookie);
        snapshot_.windows[recent_] = recentKept_;
        return;
    }
    const auto cookies = sendInspection(conn_, recent_);
    const auto pointerCookie = conn_.sendQueryPointer(conn_.root());
    auto window = takeInspection(conn_, cookies);
    snapshot_.pointer = conn_.takePointer(pointerCookie);
    if (window && !window->pid) window->pid = conn_.takeClientPid(conn_.sendClientPid(recent_));
    if (watching_ && !conn_.broken()) recentKept_ = window;
    snapshot_.windows[recent_] = std::move(window);
}

void X11Windows::changed(xcb_window_t window) {
    // A move changes the window, a raise the stacking order: all but the pointer is read anew.
    const auto pointer = snapshot_.pointer;
    snapshot_ = {};
    snapshot_.pointer = pointer;
    if (window != recent_ && watching_) {
        // Told of its property changes, we can keep its properties from one event to the next.
        const std::uint32_t none = XCB_EVENT_MASK_NO_EVENT;
        const std::uint32_t properties = XCB_EVENT_MASK_PROPERTY_CHANGE;
        if (recent_ != XCB_NONE)
            xcb_change_window_attributes(conn_.raw(), recent_, XCB_CW_EVENT_MASK, &none);
        xcb_change_window_attributes(conn_.raw(), window, XCB_CW_EVENT_MASK, &properties);
        recentKept_.reset();
    }
    recent_ = window;
    recentAt_ = std::chrono::steady_clock::now();
}

void X11Windows::leaveScope() {
    --scopeDepth_;
    snapshot_ = {};
    lastRead_ = std::chrono::steady_clock::now();
}

bool X11Windows::scopeActive() {
    if (scopeDepth_ == 0) return false;
    const auto now = std::chrono::steady_clock::now();
    if (now - lastRead_ > kScopeLifetime) snapshot_ = {};
    lastRead_ = now;
    return true;
}

bool X11Windows::windowManagerRunning() {
    if (watching_ && wmRunning_) return *wmRunning_;
    const auto& a = conn_.atoms();
    auto check = conn_.getProperty(conn_.root(), a.NET_SUPPORTING_WM_CHECK).firstWord();
    bool running = false;
    if (check && *check != XCB_NONE) {
        if (watching_) {
            // Asked before the read below, so that the check window's end cannot go unseen.
            const std::uint32_t mask = XCB_EVENT_MASK_STRUCTURE_NOTIFY;
            xcb_change_window_attributes(conn_.raw(), *check, XCB_CW_EVENT_MASK, &mask);
        }
        // A window manager that died leaves the root property behind, naming a window that is gone.
        auto self = conn_.getProperty(*check, a.NET_SUPPORTING_WM_CHECK).firstWord();
        running = self && *self == *check;
    }
    if (watching_ && !conn_.broken()) {
        wmCheck_ = check.value_or(XCB_NONE);
        wmRunning_ = running;
    }
    return running;
}

bool X11Windows::windowManagerSupports(xcb_atom_t atom) {
    if (!watching_ || !wmSupported_) {
        auto words = conn_.getProperty(conn_.root(), conn_.atoms().NET_SUPPORTED, 4096).words();
        std::vector<std::uint32_t> supported = words.value_or(std::vector<std::uint32_t>{});
        if (!watching_ || conn_.broken()) {
            return std::find(supported.begin(), supported.end(), atom) != supported.end();
        }
        wmSupported_ = std::move(supported);
    }
    return std::find(wmSupported_->begin(), wmSupported_->end(), atom) != wmSupported_->end();
}

std::string X11Windows::windowManagerName() {
    if (watching_ && wmName_) return *wmName_;
    std::string name;
    if (windowManagerRunning()) {
        const auto& a = conn_.atoms();
        auto check = conn_.getProperty(conn_.root(), a.NET_SUPPORTING_WM_CHECK).firstWord();
        if (check)
            name =
                withoutTrailingNuls(conn_.getProperty(*check, a.NET_WM_NAME).bytes().value_or(""));
    }
    if (watching_ && !conn_.broken()) wmName_ = name;
    return name;
}

void X11Windows::keepPointer(const PointerState& pointer) {
    if (scopeActive()) snapshot_.pointer = pointer;
}

std::optional<PointerState> X11Windows::pointer() {
    const bool scoped = scopeActive();
    if (scoped && snapshot_.pointer) return snapshot_.pointer;
    auto state = conn_.queryPointer(conn_.root());
    if (scoped) snapshot_.pointer = state;
    return state;
}

bool X11Windows::subtreeHasProcess(xcb_window_t topLevel, Pid pid) {
    if (pid != ownsSubtreePid_) {
        ownsSubtree_.clear();
        ownsSubtreePid_ = pid;
    }
    if (watching_) {
        if (auto it = ownsSubtree_.find(topLevel); it != ownsSubtree_.end()) return it->second;
    }
    constexpr int kMaxDepth = 8;
    const xcb_atom_t pidAtom = conn_.atoms().NET_WM_PID;
    bool found = false;
    // One round trip per level of the tree: every window's process and children at once.
    std::vector<xcb_window_t> level{topLevel};
    for (int depth = 0; depth < kMaxDepth && !level.empty() && !found; ++depth) {
        std::vector<std::pair<xcb_get_property_cookie_t, xcb_query_tree_cookie_t>> cookies;
        cookies.reserve(level.size());
        for (xcb_window_t w : level)
            cookies.emplace_back(conn_.sendGetProperty(w, pidAtom), conn_.sendQueryTree(w));
        std::vector<xcb_window_t> next;
        for (const auto& [pidCookie, treeCookie] : cookies) {
            const auto owner = conn_.takeProperty(pidCookie).firstWord();
            const auto tree = conn_.takeTree(treeCookie);
            if (owner && *owner == static_cast<std::uint32_t>(pid)) found = true;
            if (tree) next.insert(next.end(), tree->children.begin(), tree->children.end());
        }
        level = std::move(next);
    }
    if (watching_ && !conn_.broken()) ownsSubtree_[topLevel] = found;
    return found;
}

std::vector<xcb_window_t> X11Windows::clientsBottomToTop() {
    const bool scoped = scopeActive();
    if (scoped && snapshot_.clients) return *snapshot_.clients;
    auto clients = readClientList();
    if (scoped && !conn_.broken()) snapshot_.clients = clients;
    return clients;
}

const std::vector<ClientWindow>& X11Windows::clientsFrontToBack() {
    if (scopeActive() && snapshot_.frontToBackKept) return frontToBack_;
    auto ids = clientsBottomToTop();
    std::reverse(ids.begin(), ids.end());
    frontToBack_.clear();
    for (auto& w : inspect(ids)) {
        if (w) frontToBack_.push_back(std::move(*w));
    }
    snapshot_.frontToBackKept = scopeActive() && !conn_.broken();
    return frontToBack_;
}

std::vector<xcb_window_t> X11Windows::readClientList() {
    return clientWindowsBottomToTop(conn_, windowManagerRunning());
}

std::vector<std::optional<ClientWindow>> X11Windows::inspect(
    const std::vector<xcb_window_t>& windows) {
    if (!scopeActive()) return inspectWindows(conn_, windows);
    std::vector<xcb_window_t> unread;
    for (xcb_window_t w : windows) {
        if (!snapshot_.windows.contains(w)) unread.push_back(w);
    }
    auto read = inspectWindows(conn_, unread);
    if (conn_.broken()) return std::vector<std::optional<ClientWindow>>(windows.size());
    for (std::size_t i = 0; i < unread.size(); ++i)
        snapshot_.windows[unread[i]] = std::move(read[i]);
    std::vector<std::optional<ClientWindow>> result;
    result.reserve(windows.size());
    for (xcb_window_t w : windows) result.push_back(snapshot_.windows[w]);
    return result;
}

std::optional<ClientWindow> X11Windows::inspect(xcb_window_t window) {
    if (scopeActive()) {
        if (auto it = snapshot_.windows.find(window); it != snapshot_.windows.end())
            return it->second;
    }
    return std::move(inspect(std::vector<xcb_window_t>{window}).front());
}

std::optional<xcb_window_t> X11Windows::activeClient() {
    const bool scoped = scopeActive();
    if (scoped && snapshot_.activeClient) return *snapshot_.activeClient;
    auto active = readActiveClient();
    if (scoped && !conn_.broken()) snapshot_.activeClient = active;
    return active;
}

std::optional<Rect> X11Windows::workArea() {
    const bool scoped = scopeActive();
    if (scoped && snapshot_.workArea) return *snapshot_.workArea;
    auto area = readWorkArea();
    if (scoped && !conn_.broken()) snapshot_.workArea = area;
    return area;
}

std::optional<Rect> X11Windows::readWorkArea() {
    if (!windowManagerRunning()) return std::nullopt;
    const auto& a = conn_.atoms();
    const auto areaCookie = conn_.sendGetProperty(conn_.root(), a.NET_WORKAREA, 4096);
    const auto desktopCookie = conn_.sendGetProperty(conn_.root(), a.NET_CURRENT_DESKTOP);
    const auto area = conn_.takeProperty(areaCookie).words();
    std::size_t desktop = conn_.takeProperty(desktopCookie).firstWord().value_or(0);
    if (!area || area->size() < 4) return std::nullopt;
    if (desktop * 4 + 4 > area->size()) desktop = 0;
    const auto* w = area->data() + desktop * 4;
    // x and y are CARDINALs holding signed values.
    return Rect{double(static_cast<std::int32_t>(w[0])), double(static_cast<std::int32_t>(w[1])),
                double(w[2]), double(w[3])};
}

std::optional<xcb_window_t> X11Windows::readActiveClient() {
    auto active = conn_.getProperty(conn_.root(), conn_.atoms().NET_ACTIVE_WINDOW).firstWord();
    if (active && *active != XCB_NONE && windowManagerRunning()) return *active;
    // Without a window manager the focus sits on a top-level (or one of its descendants).
    auto focus = conn_.inputFocus();
    if (!focus || *focus == XCB_NONE || *focus == XCB_INPUT_FOCUS_POINTER_ROOT ||
        *focus == conn_.root()) {
        return std::nullopt;
    }
    xcb_window_t current = *focus;
    for (int depth = 0; depth < 32; ++depth) {
        auto tree = conn_.queryTree(current);
        if (!tree) return std::nullopt;
        if (tree->parent == conn_.root() || tree->parent == XCB_NONE) return current;
        current = tree->parent;
    }
    return std::nullopt;
}

std::optional<std::string> applicationName(Pid pid, const std::vector<ClientWindow>& frontToBack) {
    if (!processIsRunning(pid)) return std::nullopt;
    for (const auto& w : frontToBack) {
        if (w.pid == pid && w.className) return w.className;
    }
    return processCommandName(pid);
}

}  // namespace tugworth::x11
