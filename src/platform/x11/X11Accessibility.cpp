// Window and application elements over X: attribute reads from EWMH/ICCCM properties, frame
// writes through the window manager (or a direct configure when none runs).
#include "platform/x11/X11Accessibility.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

#include "platform/AXNames.h"
#include "platform/x11/Processes.h"

namespace tugworth::x11 {
namespace {

constexpr std::uint32_t kNorthWestGravity = 1;
constexpr std::uint32_t kSourcePager = 2;  // EWMH source indication: a pager or similar tool
constexpr std::uint32_t kStateRemove = 0;
constexpr double kMaxCoordinate = 32767.0;  // X coordinates and sizes are 16-bit

bool isWindowId(std::int64_t id) {
    return id > 0 && id <= std::int64_t{0xffffffff};
}

bool validOrigin(Point p) {
    return std::isfinite(p.x) && std::isfinite(p.y) && std::fabs(p.x) <= kMaxCoordinate &&
           std::fabs(p.y) <= kMaxCoordinate;
}

bool validSize(Size s) {
    return std::isfinite(s.width) && std::isfinite(s.height) && s.width >= 1.0 && s.height >= 1.0 &&
           s.width <= kMaxCoordinate && s.height <= kMaxCoordinate;
}

std::uint32_t asWord(double v) {
    return static_cast<std::uint32_t>(static_cast<std::int32_t>(std::lround(v)));
}

// The client size that gives the outer size `outer` around this window's decorations.
std::uint32_t clientExtent(double outer, std::uint32_t decorations) {
    const double inner = std::round(outer) - double(decorations);
    return static_cast<std::uint32_t>(std::max(1.0, inner));
}

// A ConfigureWindow request's value mask and its values, in the protocol's order.
struct ConfigureRequest {
    std::uint16_t mask = 0;
    std::array<std::uint32_t, 4> values{};
};

ConfigureRequest configureRequest(const Rect& to, std::uint32_t width, std::uint32_t height,
                                  bool move, bool resize) {
    ConfigureRequest request;
    std::size_t n = 0;
    if (move) {
        request.mask |= XCB_CONFIG_WINDOW_X | XCB_CONFIG_WINDOW_Y;
        request.values[n++] = asWord(to.x);
        request.values[n++] = asWord(to.y);
    }
    if (resize) {
        request.mask |= XCB_CONFIG_WINDOW_WIDTH | XCB_CONFIG_WINDOW_HEIGHT;
        request.values[n++] = width;
        request.values[n++] = height;
    }
    return request;
}

}  // namespace

namespace {

// Whether `frame` is one the server passes through on its way; frames before it are behind
// the server now and are dropped, which also keeps the search short.
bool passesThrough(std::vector<Rect>& passedThrough, const Rect& frame) {
    const auto at = std::find(passedThrough.begin(), passedThrough.end(), frame);
    if (at == passedThrough.end()) return false;
    passedThrough.erase(passedThrough.begin(), at);
    return true;
}

}  // namespace

Rect PendingFrames::effective(xcb_window_t window, const Rect& serverFrame, Clock::time_point now) {
    auto it = entries_.find(window);
    if (it == entries_.end()) return serverFrame;
    Entry& entry = it->second;
    const bool stillOnTheWay = now - entry.at <= kPatience && serverFrame != entry.requested &&
                               passesThrough(entry.passedThrough, serverFrame);
    if (stillOnTheWay) return entry.requested;
    // Landed, refused, adjusted by the window manager, or moved by someone else: the server
    // is right from here on.
    entries_.erase(it);
    return serverFrame;
}

void PendingFrames::requested(xcb_window_t window, const Rect& serverFrame, const Rect& requested,
                              Clock::time_point now) {
    // A window manager that falls behind a fast pointer can have many steps in flight: a
    // second's worth at 1000 motions a second.
    constexpr std::size_t kMaxSteps = 1024;
    Entry& entry = entries_[window];
    const bool continues =
        entry.passedThrough.size() < kMaxSteps && passesThrough(entry.passedThrough, serverFrame);
    if (continues) {
        entry.passedThrough.push_back(entry.requested);
    } else {
        entry.passedThrough.assign({serverFrame});
    }
    entry.requested = requested;
    entry.at = now;
}

bool X11Accessibility::isProcessTrusted() {
    return !conn_.broken() && conn_.hasXInput2();
}

bool X11Accessibility::isProcessTrustedWithOptions(bool /*prompt: nothing to ask on X*/) {
    return isProcessTrusted();
}

Element X11Accessibility::createApplication(Pid pid) {
    return Element::application(pid);
}

std::optional<ClientWindow> X11Accessibility::liveWindow(const Element& element) {
    if (element.isApplication() || !isWindowId(element.id()) || conn_.broken()) return std::nullopt;
    return windows_.inspect(static_cast<xcb_window_t>(element.id()));
}

AXError X11Accessibility::getPid(const Element& element, Pid& pid) {
    if (element.isApplication()) {
        pid = static_cast<Pid>(element.id());
        return AXError::kAXErrorSuccess;
    }
    auto window = liveWindow(element);
    if (!window) return AXError::kAXErrorInvalidUIElement;
    if (!window->pid) return AXError::kAXErrorFailure;
    pid = *window->pid;
    return AXError::kAXErrorSuccess;
}

AXError X11Accessibility::copyAttributeValue(const Element& element, std::string_view attribute,
                                             Value& value) {
    value = Value();
    if (element.isApplication())
        return readApplication(static_cast<Pid>(element.id()), attribute, value);
    auto window = liveWindow(element);
    if (!window) return AXError::kAXErrorInvalidUIElement;
    return readWindow(*window, attribute, value);
}

Rect X11Accessibility::currentFrame(const ClientWindow& window) {
    return pending_.effective(window.id, window.frame, PendingFrames::Clock::now());
}

AXError X11Accessibility::readWindow(const ClientWindow& window, std::string_view attribute,
                                     Value& value) {
    const auto& a = conn_.atoms();
    const bool minimized = window.hasState(a._NET_WM_STATE_HIDDEN) || window.wmState == 3U;
    if (attribute == ax::kRole) {
        value = ax::kWindowRole;
    } else if (attribute == ax::kSubrole) {
        value = subrole(window);
    } else if (attribute == ax::kTitle) {
        if (!window.title) return AXError::kAXErrorNoValue;
        value = *window.title;
    } else if (attribute == ax::kPosition || attribute == ax::kSize || attribute == ax::kFrame) {
        const Rect frame = windows_.coordinateSpace().rootToTopLeft(currentFrame(window));
        if (attribute == ax::kPosition)
            value = AXValue::create(frame.origin());
        else if (attribute == ax::kSize)
            value = AXValue::create(frame.size());
        else
            value = AXValue::create(frame);
    } else if (attribute == ax::kMinimized) {
        value = minimized;
    } else if (attribute == ax::kHidden) {
        // Unmapped without being minimized: withdrawn, or on another desktop.
        value = !window.viewable && !minimized;
    } else if (attribute == ax::kParent) {
        if (window.transientFor != XCB_NONE && window.transientFor != conn_.root() &&
            window.transientFor != window.id && windows_.inspect(window.transientFor)) {
            value = Element::window(window.transientFor);
        } else if (window.pid) {
            value = Element::application(*window.pid);
        } else {
            return AXError::kAXErrorNoValue;
        }
    } else if (attribute == ax::kActions) {
        value = Value::Array{Value(ax::kRaiseAction)};
    } else {
        return AXError::kAXErrorAttributeUnsupported;
    }
    return AXError::kAXErrorSuccess;
}

std::string_view X11Accessibility::subrole(const ClientWindow& window) const {
    const auto& a = conn_.atoms();
    for (std::uint32_t type : window.windowTypes) {
        if (type == a._NET_WM_WINDOW_TYPE_NORMAL) return ax::kStandardWindowSubrole;
        if (type == a._NET_WM_WINDOW_TYPE_DIALOG) return ax::kDialogSubrole;
        if (type == a._NET_WM_WINDOW_TYPE_DESKTOP || type == a._NET_WM_WINDOW_TYPE_DOCK ||
            type == a._NET_WM_WINDOW_TYPE_SPLASH) {
            return ax::kUnknownSubrole;
        }
    }
    if (!window.windowTypes.empty())
        return ax::kFloatingWindowSubrole;  // utility, toolbar, menu, ...
    // Untyped transient windows count as dialogs.
    return window.transientFor != XCB_NONE ? ax::kDialogSubrole : ax::kStandardWindowSubrole;
}

std::vector<ClientWindow> X11Accessibility::clientsFrontToBack() {
    auto ids = windows_.clientsBottomToTop();
    std::reverse(ids.begin(), ids.end());
    std::vector<ClientWindow> result;
    for (auto& w : windows_.inspect(ids)) {
        if (w) result.push_back(std::move(*w));
    }
    return result;
}

AXError X11Accessibility::readApplication(Pid pid, std::string_view attribute, Value& value) {
    if (conn_.broken() || !processIsRunning(pid)) return AXError::kAXErrorInvalidUIElement;
    if (attribute == ax::kRole) {
        value = ax::kApplicationRole;
        return AXError::kAXErrorSuccess;
    }
    if (attribute == ax::kTitle) {
        auto name = applicationName(pid, clientsFrontToBack());
        if (!name) return AXError::kAXErrorNoValue;
        value = *name;
        return AXError::kAXErrorSuccess;
    }
    if (attribute == ax::kWindows) {
        Value::Array elements;
        for (const auto& w : clientsFrontToBack()) {
            if (w.pid == pid) elements.emplace_back(Element::window(w.id));
        }
        value = std::move(elements);
        return AXError::kAXErrorSuccess;
    }
    if (attribute == ax::kFocusedWindow || attribute == ax::kMainWindow) {
        auto active = windows_.activeClient();
        if (!active) return AXError::kAXErrorNoValue;
        auto window = windows_.inspect(*active);
        if (!window || window->pid != pid) return AXError::kAXErrorNoValue;
        value = Element::window(window->id);
        return AXError::kAXErrorSuccess;
    }
    return AXError::kAXErrorAttributeUnsupported;
}

AXError X11Accessibility::setAttributeValue(const Element& element, std::string_view attribute,
                                            const Value& value) {
    if (element.isApplication()) {
        if (conn_.broken() || !processIsRunning(static_cast<Pid>(element.id()))) {
            return AXError::kAXErrorInvalidUIElement;
        }
        return AXError::kAXErrorAttributeUnsupported;
    }
    auto window = liveWindow(element);
    if (!window) return AXError::kAXErrorInvalidUIElement;
    if (attribute != ax::kPosition && attribute != ax::kSize && attribute != ax::kFrame) {
        return AXError::kAXErrorAttributeUnsupported;
    }
    const AXValue* box = value.asAXValue();
    if (box == nullptr) return AXError::kAXErrorIllegalArgument;

    const CoordinateSpace space = windows_.coordinateSpace();
    const Rect from = currentFrame(*window);
    Rect to = from;
    Point origin;
    Size size;
    Rect frame;
    if (attribute == ax::kPosition && box->getValue(origin) && validOrigin(origin)) {
        const Point root = space.topLeftToRoot(origin);
        to.x = root.x;
        to.y = root.y;
    } else if (attribute == ax::kSize && box->getValue(size) && validSize(size)) {
        to.width = size.width;
        to.height = size.height;
    } else if (attribute == ax::kFrame && box->getValue(frame) && validOrigin(frame.origin()) &&
               validSize(frame.size())) {
        const Point root = space.topLeftToRoot(frame.origin());
        to = {root.x, root.y, frame.width, frame.height};
    } else {
        return AXError::kAXErrorIllegalArgument;  // a box of another kind, or out of range
    }
    return applyFrame(*window, to, attribute != ax::kSize, attribute != ax::kPosition);
}

AXError X11Accessibility::applyFrame(const ClientWindow& window, const Rect& to, bool move,
                                     bool resize) {
    const auto& a = conn_.atoms();
    windows_.changed(window.id);
    const std::uint32_t bw2 = 2U * window.borderWidth;
    const std::uint32_t width =
        clientExtent(to.width, window.extents.left + window.extents.right + bw2);
    const std::uint32_t height =
        clientExtent(to.height, window.extents.top + window.extents.bottom + bw2);

    if (!windows_.windowManagerRunning()) {
        // Nobody frames the window: its outer corner is its own position.
        const ConfigureRequest request = configureRequest(to, width, height, move, resize);
        // Waiting for the server makes the change visible to everyone once we answer.
        if (conn_.configureNow(window.id, request.mask, request.values.data())) {
            return AXError::kAXErrorSuccess;
        }
        return conn_.broken() ? AXError::kAXErrorCannotComplete : AXError::kAXErrorInvalidUIElement;
    }

    if (window.hasState(a._NET_WM_STATE_MAXIMIZED_VERT) ||
        window.hasState(a._NET_WM_STATE_MAXIMIZED_HORZ)) {
        // A maximized window would snap back: restore it first.
        conn_.sendRootMessage(window.id, a._NET_WM_STATE,
                              {kStateRemove, a._NET_WM_STATE_MAXIMIZED_VERT,
                               a._NET_WM_STATE_MAXIMIZED_HORZ, kSourcePager, 0});
    }
    if (windows_.windowManagerSupports(a._NET_MOVERESIZE_WINDOW)) {
        // North-west gravity: (x, y) is where the frame's outer corner goes, whatever gravity
        // the client asked for, so repeated moves cannot drift by the decoration size.
        std::uint32_t flags = kNorthWestGravity | (kSourcePager << 12);
        if (move) flags |= (1U << 8) | (1U << 9);
        if (resize) flags |= (1U << 10) | (1U << 11);
        conn_.sendRootMessage(window.id, a._NET_MOVERESIZE_WINDOW,
                              {flags, asWord(to.x), asWord(to.y), width, height});
    } else {
        // ICCCM: the window manager places the frame's corner where an unframed window's
        // corner would be.
        const ConfigureRequest request = configureRequest(to, width, height, move, resize);
        conn_.configure(window.id, request.mask, request.values.data());
    }
    if (conn_.broken()) return AXError::kAXErrorCannotComplete;
    const Rect expected{std::round(to.x), std::round(to.y), std::round(to.width),
                        std::round(to.height)};
    pending_.requested(window.id, window.frame, expected, PendingFrames::Clock::now());
    return AXError::kAXErrorSuccess;
}

AXError X11Accessibility::performAction(const Element& element, std::string_view action) {
    if (element.isApplication()) {
        if (conn_.broken() || !processIsRunning(static_cast<Pid>(element.id()))) {
            return AXError::kAXErrorInvalidUIElement;
        }
        return AXError::kAXErrorActionUnsupported;
    }
    auto window = liveWindow(element);
    if (!window) return AXError::kAXErrorInvalidUIElement;
    if (action != ax::kRaiseAction) return AXError::kAXErrorActionUnsupported;
    windows_.changed(window->id);
    if (windows_.windowManagerRunning()) {
        conn_.sendRootMessage(window->id, conn_.atoms()._NET_ACTIVE_WINDOW,
                              {kSourcePager, 0, 0, 0, 0});
    } else {
        const std::uint32_t above = XCB_STACK_MODE_ABOVE;
        if (!conn_.configureNow(window->id, XCB_CONFIG_WINDOW_STACK_MODE, &above)) {
            return conn_.broken() ? AXError::kAXErrorCannotComplete
                                  : AXError::kAXErrorInvalidUIElement;
        }
    }
    return conn_.broken() ? AXError::kAXErrorCannotComplete : AXError::kAXErrorSuccess;
}

}  // namespace tugworth::x11
