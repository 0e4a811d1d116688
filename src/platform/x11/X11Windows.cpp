// Client windows read in batches: stacking order, outer frames and EWMH/ICCCM properties.
#include "platform/x11/X11Windows.h"

#include <algorithm>

#include "platform/x11/ClientWindows.h"
#include "platform/x11/Processes.h"

namespace tugworth::x11 {
namespace {

// WM_NAME is ISO Latin-1 when typed STRING: re-encode it so that every title is UTF-8.
std::string latin1ToUtf8(const std::string& in) {
    std::string out;
    out.reserve(in.size());
    for (char ch : in) {
        const auto c = static_cast<unsigned char>(ch);
        if (c < 0x80) {
            out.push_back(static_cast<char>(c));
        } else {
            out.push_back(static_cast<char>(0xC0 | (c >> 6)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        }
    }
    return out;
}

std::string withoutTrailingNuls(std::string s) {
    while (!s.empty() && s.back() == '\0') s.pop_back();
    return s;
}

}  // namespace

CoordinateSpace CoordinateSpace::fromMonitors(const std::vector<Monitor>& monitors) {
    if (monitors.empty()) return {};
    const Rect& main = monitors.front().rootRect;
    return {{main.x, main.y}, main.height};
}

bool ClientWindow::hasType(xcb_atom_t atom) const {
    return std::find(windowTypes.begin(), windowTypes.end(), atom) != windowTypes.end();
}

bool ClientWindow::hasState(xcb_atom_t atom) const {
    return std::find(states.begin(), states.end(), atom) != states.end();
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
                (e.atom == a._NET_SUPPORTING_WM_CHECK || e.atom == a._NET_SUPPORTED)) {
                wmRunning_.reset();
                wmSupported_.reset();
                wmName_.reset();
                wmName_.reset();
            }
            break;
        }
        case XCB_DESTROY_NOTIFY: {
            const auto& e = reinterpret_cast<const xcb_destroy_notify_event_t&>(event);
            if (e.window == wmCheck_) {
                wmRunning_.reset();
                wmSupported_.reset();
                wmName_.reset();
                wmName_.reset();
            }
            scoped_.erase(e.window);
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
    scoped_.clear();
    scopedPointer_.reset();
    scopeStart_ = std::chrono::steady_clock::now();
    if (recent_ == XCB_NONE || scopeStart_ - recentAt_ > kRecentLifetime || conn_.broken()) return;
    // A drag changes the same window at every motion and reads the pointer first: both are
    // asked for together, in one round trip.
    const std::vector<xcb_window_t> windows{recent_};
    const auto cookies = sendInspection(windows);
    const auto pointerCookie = conn_.sendQueryPointer(conn_.root());
    scoped_[recent_] = std::move(takeInspection(windows, cookies).front());
    scopedPointer_ = conn_.takePointer(pointerCookie);
}

void X11Windows::changed(xcb_window_t window) {
    scoped_.erase(window);
    recent_ = window;
    recentAt_ = std::chrono::steady_clock::now();
}

void X11Windows::leaveScope() {
    --scopeDepth_;
    scoped_.clear();
    scopedPointer_.reset();
    scopeStart_ = std::chrono::steady_clock::now();
}

bool X11Windows::scopeActive() {
    if (scopeDepth_ == 0) return false;
    // A handler that waits (a modal alert) must not go on with what it read before.
    const auto now = std::chrono::steady_clock::now();
    if (now - scopeStart_ > kScopeLifetime) {
        scoped_.clear();
        scopedPointer_.reset();
        scopeStart_ = now;
    }
    return true;
}

bool X11Windows::windowManagerRunning() {
    if (watching_ && wmRunning_) return *wmRunning_;
    const auto& a = conn_.atoms();
    auto check = conn_.getProperty(conn_.root(), a._NET_SUPPORTING_WM_CHECK).firstWord();
    bool running = false;
    if (check && *check != XCB_NONE) {
        if (watching_) {
            // Asked before the read below, so that the check window's end cannot go unseen.
            const std::uint32_t mask = XCB_EVENT_MASK_STRUCTURE_NOTIFY;
            xcb_change_window_attributes(conn_.raw(), *check, XCB_CW_EVENT_MASK, &mask);
        }
        // A window manager that died leaves the root property behind, naming a window that is gone.
        auto self = conn_.getProperty(*check, a._NET_SUPPORTING_WM_CHECK).firstWord();
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
        auto words = conn_.getProperty(conn_.root(), conn_.atoms()._NET_SUPPORTED, 4096).words();
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
        auto check = conn_.getProperty(conn_.root(), a._NET_SUPPORTING_WM_CHECK).firstWord();
        if (check)
            name =
                withoutTrailingNuls(conn_.getProperty(*check, a._NET_WM_NAME).bytes().value_or(""));
    }
    if (watching_ && !conn_.broken()) wmName_ = name;
    return name;
}

void X11Windows::keepPointer(const PointerState& pointer) {
    if (scopeActive()) scopedPointer_ = pointer;
}

std::optional<PointerState> X11Windows::pointer() {
    const bool scoped = scopeActive();
    if (scoped && scopedPointer_) return scopedPointer_;
    auto state = conn_.queryPointer(conn_.root());
    if (scoped) scopedPointer_ = state;
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
    const xcb_atom_t pidAtom = conn_.atoms()._NET_WM_PID;
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
    return clientWindowsBottomToTop(conn_, windowManagerRunning());
}

std::vector<std::optional<ClientWindow>> X11Windows::inspect(
    const std::vector<xcb_window_t>& windows) {
    auto result = takeInspection(windows, sendInspection(windows));
    if (scopeActive() && !conn_.broken()) {
        for (std::size_t i = 0; i < windows.size(); ++i) scoped_[windows[i]] = result[i];
    }
    return result;
}

std::vector<X11Windows::Cookies> X11Windows::sendInspection(
    const std::vector<xcb_window_t>& windows) {
    const auto& a = conn_.atoms();
    std::vector<Cookies> cookies;
    cookies.reserve(windows.size());
    for (xcb_window_t w : windows) {
        cookies.push_back(
            {conn_.sendGetAttributes(w), conn_.sendGetGeometry(w), conn_.sendTranslateToRoot(w),
             conn_.sendGetProperty(w, a._NET_FRAME_EXTENTS),
             conn_.sendGetProperty(w, a._NET_WM_PID), conn_.sendGetProperty(w, a._NET_WM_NAME),
             conn_.sendGetProperty(w, XCB_ATOM_WM_NAME),
             conn_.sendGetProperty(w, XCB_ATOM_WM_CLASS),
             conn_.sendGetProperty(w, a._NET_WM_WINDOW_TYPE),
             conn_.sendGetProperty(w, a._NET_WM_STATE), conn_.sendGetProperty(w, a.WM_STATE),
             conn_.sendGetProperty(w, XCB_ATOM_WM_TRANSIENT_FOR)});
    }
    return cookies;
}

std::vector<std::optional<ClientWindow>> X11Windows::takeInspection(
    const std::vector<xcb_window_t>& windows, const std::vector<Cookies>& cookies) {
    const auto& a = conn_.atoms();
    std::vector<std::optional<ClientWindow>> result;
    result.reserve(windows.size());
    for (std::size_t i = 0; i < windows.size(); ++i) {
        const Cookies& c = cookies[i];
        auto attributes = conn_.takeAttributes(c.attributes);
        auto geometry = conn_.takeGeometry(c.geometry);
        auto origin = conn_.takeTranslation(c.translation);
        Property props[] = {conn_.takeProperty(c.extents),  conn_.takeProperty(c.pid),
                            conn_.takeProperty(c.netName),  conn_.takeProperty(c.wmName),
                            conn_.takeProperty(c.wmClass),  conn_.takeProperty(c.types),
                            conn_.takeProperty(c.states),   conn_.takeProperty(c.wmState),
                            conn_.takeProperty(c.transient)};
        if (!attributes || !geometry || !origin) {
            result.emplace_back();
            continue;
        }
        ClientWindow w;
        w.id = windows[i];
        w.viewable = attributes->mapState == XCB_MAP_STATE_VIEWABLE;
        if (auto e = props[0].words(); e && e->size() >= 4) {
            w.extents = {(*e)[0], (*e)[1], (*e)[2], (*e)[3]};
        }
        w.borderWidth = geometry->borderWidth;
        w.clientSize = {double(geometry->width), double(geometry->height)};
        const double bw = double(w.borderWidth);
        w.frame = {origin->x - bw - double(w.extents.left), origin->y - bw - double(w.extents.top),
                   double(geometry->width) + 2.0 * bw + double(w.extents.left + w.extents.right),
                   double(geometry->height) + 2.0 * bw + double(w.extents.top + w.extents.bottom)};
        // A pid of no running process (a client on another host, or in a sandbox with its
        // own process numbers) says nothing: the server is asked who created the window.
        if (auto pid = props[1].firstWord();
            pid && *pid > 0 && *pid <= 0x7fffffffU && processIsRunning(static_cast<Pid>(*pid))) {
            w.pid = static_cast<Pid>(*pid);
        }
        if (auto name = props[2].bytes(); name && props[2].type() == a.UTF8_STRING) {
            w.title = withoutTrailingNuls(*name);
        } else if (auto legacy = props[3].bytes()) {
            w.title = props[3].type() == XCB_ATOM_STRING
                          ? latin1ToUtf8(withoutTrailingNuls(*legacy))
                          : withoutTrailingNuls(*legacy);
        }
        if (auto cls = props[4].bytes()) {
            // "instance\0class\0"
            const auto split = cls->find('\0');
            if (split != std::string::npos) {
                auto name = withoutTrailingNuls(cls->substr(split + 1));
                if (!name.empty()) w.className = latin1ToUtf8(name);
            }
        }
        if (auto types = props[5].words()) w.windowTypes = *types;
        if (auto states = props[6].words()) w.states = *states;
        w.wmState = props[7].firstWord();
        if (auto transient = props[8].firstWord()) w.transientFor = *transient;
        result.emplace_back(std::move(w));
    }
    // Windows that do not name their process: ask the server who created them, in one batch.
    std::vector<XConnection::ClientPidCookie> pidCookies(result.size());
    for (std::size_t i = 0; i < result.size(); ++i) {
        if (result[i] && !result[i]->pid) pidCookies[i] = conn_.sendClientPid(result[i]->id);
    }
    for (std::size_t i = 0; i < result.size(); ++i) {
        if (pidCookies[i].sent) result[i]->pid = conn_.takeClientPid(pidCookies[i]);
    }
    return result;
}

std::optional<ClientWindow> X11Windows::inspect(xcb_window_t window) {
    if (scopeActive()) {
        if (auto it = scoped_.find(window); it != scoped_.end()) return it->second;
    }
    return std::move(inspect(std::vector<xcb_window_t>{window}).front());
}

std::optional<xcb_window_t> X11Windows::activeClient() {
    auto active = conn_.getProperty(conn_.root(), conn_.atoms()._NET_ACTIVE_WINDOW).firstWord();
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
