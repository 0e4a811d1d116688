// Window and application elements over X: attribute reads from EWMH/ICCCM properties, frame
// writes through the window manager (or a direct configure when none runs).
#include "platform/x11/X11Accessibility.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

#include "platform/AXNames.h"
#include "platform/FrameLimits.h"
#include "platform/x11/Processes.h"

namespace tugworth::x11 {
namespace {

constexpr std::uint32_t kNorthWestGravity = 1;
constexpr std::uint32_t kSourcePager = 2;  // EWMH source indication: a pager or similar tool
constexpr std::uint32_t kStateRemove = 0;
// _NET_MOVERESIZE_WINDOW flags: which of x, y, width and height are given, and the source.
constexpr std::uint32_t kMoveResizeX = 1U << 8;
constexpr std::uint32_t kMoveResizeY = 1U << 9;
constexpr std::uint32_t kMoveResizeWidth = 1U << 10;
constexpr std::uint32_t kMoveResizeHeight = 1U << 11;
constexpr std::uint32_t kMoveResizeSourceShift = 12;
constexpr std::uint32_t kIconicState = 3;   // ICCCM WM_STATE
constexpr double kMaxCoordinate = 32767.0;  // X coordinates and sizes are 16-bit

bool isWindowId(std::int64_t id) {
    return id > 0 && id <= std::int64_t{0xffffffff};
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
    const bool minimized = window.hasState(a.NET_WM_STATE_HIDDEN) || window.wmState == kIconicState;
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
        if (type == a.NET_WM_WINDOW_TYPE_NORMAL) return ax::kStandardWindowSubrole;
        if (type == a.NET_WM_WINDOW_TYPE_DIALOG) return ax::kDialogSubrole;
        if (type == a.NET_WM_WINDOW_TYPE_DESKTOP || type == a.NET_WM_WINDOW_TYPE_DOCK ||
            type == a.NET_WM_WINDOW_TYPE_SPLASH) {
            return ax::kUnknownSubrole;
        }
    }
    if (!window.windowTypes.empty())
        return ax::kFloatingWindowSubrole;  // utility, toolbar, menu, ...
    // Untyped transient windows count as dialogs.
    return window.transientFor != XCB_NONE ? ax::kDialogSubrole : ax::kStandardWindowSubrole;
}

AXError X11Accessibility::readApplication(Pid pid, std::string_view attribute, Value& value) {
    if (conn_.broken() || !processIsRunning(pid)) return AXError::kAXErrorInvalidUIElement;
    if (attribute == ax::kRole) {
        value = ax::kApplicationRole;
        return AXError::kAXErrorSuccess;
    }
    if (attribute == ax::kTitle) {
        auto name = applicationName(pid, windows_.clientsFrontToBack());
        if (!name) return AXError::kAXErrorNoValue;
        value = *name;
        return AXError::kAXErrorSuccess;
    }
    if (attribute == ax::kWindows) {
        Value::Array elements;
        for (const auto& w : windows_.clientsFrontToBack()) {
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

    auto change = frameChangeFor(attribute, *box, kMaxCoordinate);
    // A box of another kind, or out of range.
    if (!change) return AXError::kAXErrorIllegalArgument;
    if (change->origin) change->origin = windows_.coordinateSpace().topLeftToRoot(*change->origin);
    const Rect from = currentFrame(*window);
    const Rect to = change->appliedTo(from);
    // A move that keeps the size asks for the position only: a window manager that rounds
    // sizes, or restores a maximized window, then keeps the size it has.
    const bool resize = attribute != ax::kPosition && to.size() != from.size();
    return applyFrame(*window, from, to, attribute != ax::kSize, resize);
}

bool X11Accessibility::refusesFrameChanges(const ClientWindow& window) {
    const auto& a = conn_.atoms();
    // Window managers keep a full-screen window where it is.
    if (window.hasState(a.NET_WM_STATE_FULLSCREEN)) return true;
    // i3 places tiled windows itself; it marks the floating ones, which it lets us move.
    // Asked once a gesture: a window rarely changes between the two during one.
    if (pending_.rules(window.id) != nullptr) return false;
    if (conn_.getProperty(conn_.root(), a.I3_SOCKET_PATH).exists()) {
        return !conn_.getProperty(window.id, a.I3_FLOATING_WINDOW).exists();
    }
    return false;
}

SizeRules X11Accessibility::sizeRules(const ClientWindow& window) {
    if (const SizeRules* kept = pending_.rules(window.id)) return *kept;
    const Size decoration{window.frame.width - window.clientSize.width,
                          window.frame.height - window.clientSize.height};
    return SizeRules::fromNormalHints(
        conn_.getProperty(window.id, XCB_ATOM_WM_NORMAL_HINTS).words(), decoration);
}

AXError X11Accessibility::applyFrame(const ClientWindow& window, const Rect& from, const Rect& to,
                                     bool move, bool resize) {
    const auto& a = conn_.atoms();
    windows_.changed(window.id);
    const std::uint32_t bw2 = 2U * window.borderWidth;
    const std::uint32_t width =
        clientExtent(to.width, window.extents.left + window.extents.right + bw2);
    const std::uint32_t height =
        clientExtent(to.height, window.extents.top + window.extents.bottom + bw2);

    const auto now = PendingFrames::Clock::now();
    const Rect expected{std::round(to.x), std::round(to.y),
                        std::round(resize ? to.width : from.width),
                        std::round(resize ? to.height : from.height)};
    if (!windows_.windowManagerRunning()) {
        // Nobody frames the window: its outer corner is its own position.
        const ConfigureRequest request = configureRequest(to, width, height, move, resize);
        const SizeRules rules = sizeRules(window);
        // Waiting for the server makes the change visible to everyone once we answer. A
        // client may then hold itself to its own minimum size: that is its answer.
        if (conn_.configureNow(window.id, request.mask, request.values.data())) {
            pending_.requested(window.id, window.frame, expected, rules, now);
            return AXError::kAXErrorSuccess;
        }
        return conn_.broken() ? AXError::kAXErrorCannotComplete : AXError::kAXErrorInvalidUIElement;
    }

    // Asking what will not be done would only report a success that never happens.
    if (refusesFrameChanges(window) || pending_.refused(window.id, window.frame, now)) {
        return AXError::kAXErrorCannotComplete;
    }
    const SizeRules rules = sizeRules(window);
    const bool maximized = window.hasState(a.NET_WM_STATE_MAXIMIZED_VERT) ||
                           window.hasState(a.NET_WM_STATE_MAXIMIZED_HORZ);
    if (maximized) {
        // A maximized window would snap back: restore it first.
        conn_.sendRootMessage(window.id, a.NET_WM_STATE,
                              {kStateRemove, a.NET_WM_STATE_MAXIMIZED_VERT,
                               a.NET_WM_STATE_MAXIMIZED_HORZ, kSourcePager, 0});
    }
    // Fluxbox grows a window by its title bar at every NET_MOVERESIZE_WINDOW that leaves out
    // the size, so it is given the size the window has; a maximized window's restored size is
    // the window manager's, so that one move goes as a configure request.
    const bool fluxbox = windows_.windowManagerName() == "Fluxbox";
    if (windows_.windowManagerSupports(a.NET_MOVERESIZE_WINDOW) && !(fluxbox && maximized)) {
        // North-west gravity: (x, y) is where the frame's outer corner goes, whatever gravity
        // the client asked for (window managers disagree on how a configure request meets a
        // client's own gravity), so repeated moves cannot drift by the decoration size.
        std::uint32_t flags = kNorthWestGravity | (kSourcePager << kMoveResizeSourceShift);
        if (move) flags |= kMoveResizeX | kMoveResizeY;
        if (resize || fluxbox) flags |= kMoveResizeWidth | kMoveResizeHeight;
        conn_.sendRootMessage(window.id, a.NET_MOVERESIZE_WINDOW,
                              {flags, asWord(to.x), asWord(to.y), width, height});
    } else {
        // ICCCM: the window manager places the frame's corner where an unframed window's
        // corner would be.
        const ConfigureRequest request = configureRequest(to, width, height, move, resize);
        conn_.configure(window.id, request.mask, request.values.data());
    }
    if (conn_.broken()) return AXError::kAXErrorCannotComplete;
    // The restored size of a maximized window is the window manager's to choose.
    if (!maximized) pending_.requested(window.id, window.frame, expected, rules, now);
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
        conn_.sendRootMessage(window->id, conn_.atoms().NET_ACTIVE_WINDOW,
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
