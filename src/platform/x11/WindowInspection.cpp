// Client windows read in batches: each reply handed to the handler of the field it fills.
#include "platform/x11/WindowInspection.h"

#include <algorithm>

#include "platform/x11/Processes.h"

namespace tugworth::x11 {
namespace {

// The property replies of one window, named after the property.
struct PropertyReplies {
    Property frameExtents;
    Property pid;
    Property netWmName;
    Property wmName;
    Property wmClass;
    Property windowType;
    Property netWmState;
    Property wmState;
    Property transientFor;
};

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

// Where a window lies and whether it is mapped, as the server answered.
struct Placement {
    bool viewable = false;
    WindowGeometry geometry;
    Point origin;
};

std::optional<Placement> readPlacement(XConnection& conn, const PlacementCookies& c) {
    const auto attributes = conn.takeAttributes(c.attributes);
    const auto geometry = conn.takeGeometry(c.geometry);
    const auto origin = conn.takeTranslation(c.origin);
    if (!attributes || !geometry || !origin) return std::nullopt;
    return Placement{attributes->mapState == XCB_MAP_STATE_VIEWABLE, *geometry, *origin};
}

// The outer frame from the client's placement and the decorations around it.
void applyPlacement(ClientWindow& w, const Placement& placement) {
    const WindowGeometry& geometry = placement.geometry;
    w.viewable = placement.viewable;
    w.borderWidth = geometry.borderWidth;
    w.clientSize = {double(geometry.width), double(geometry.height)};
    const double bw = double(w.borderWidth);
    w.frame = {placement.origin.x - bw - double(w.extents.left),
               placement.origin.y - bw - double(w.extents.top),
               double(geometry.width) + 2.0 * bw + double(w.extents.left + w.extents.right),
               double(geometry.height) + 2.0 * bw + double(w.extents.top + w.extents.bottom)};
}

void readExtents(ClientWindow& w, const Property& frameExtents) {
    if (auto e = frameExtents.words(); e && e->size() >= 4) {
        w.extents = {(*e)[0], (*e)[1], (*e)[2], (*e)[3]};
    }
}

void readProcess(ClientWindow& w, const Property& pid) {
    // A pid of no running process (a client on another host, or in a sandbox with its own
    // process numbers) says nothing: the server is asked who created the window.
    if (auto value = pid.firstWord(); value && *value > 0 && *value <= 0x7fffffffU &&
                                      processIsRunning(static_cast<Pid>(*value))) {
        w.pid = static_cast<Pid>(*value);
    }
}

void readTitle(ClientWindow& w, const Property& netWmName, const Property& wmName,
               xcb_atom_t utf8String) {
    if (auto name = netWmName.bytes(); name && netWmName.type() == utf8String) {
        w.title = withoutTrailingNuls(*name);
    } else if (auto legacy = wmName.bytes()) {
        w.title = wmName.type() == XCB_ATOM_STRING ? latin1ToUtf8(withoutTrailingNuls(*legacy))
                                                   : withoutTrailingNuls(*legacy);
    }
}

void readClassName(ClientWindow& w, const Property& wmClass) {
    auto cls = wmClass.bytes();
    if (!cls) return;
    // "instance\0class\0"
    const auto split = cls->find('\0');
    if (split == std::string::npos) return;
    auto name = withoutTrailingNuls(cls->substr(split + 1));
    if (!name.empty()) w.className = latin1ToUtf8(name);
}

void readKinds(ClientWindow& w, const PropertyReplies& replies) {
    if (auto types = replies.windowType.words()) w.windowTypes = std::move(*types);
    if (auto states = replies.netWmState.words()) w.states = std::move(*states);
    w.wmState = replies.wmState.firstWord();
    if (auto transient = replies.transientFor.firstWord()) w.transientFor = *transient;
}

}  // namespace

std::string withoutTrailingNuls(std::string s) {
    while (!s.empty() && s.back() == '\0') s.pop_back();
    return s;
}

bool ClientWindow::hasType(xcb_atom_t atom) const {
    return std::find(windowTypes.begin(), windowTypes.end(), atom) != windowTypes.end();
}

bool ClientWindow::hasState(xcb_atom_t atom) const {
    return std::find(states.begin(), states.end(), atom) != states.end();
}

PlacementCookies sendPlacement(XConnection& conn, xcb_window_t w) {
    return {w, conn.sendGetAttributes(w), conn.sendGetGeometry(w), conn.sendTranslateToRoot(w)};
}

bool takePlacement(XConnection& conn, const PlacementCookies& cookies, ClientWindow& window) {
    const auto placement = readPlacement(conn, cookies);
    if (placement) applyPlacement(window, *placement);
    return placement.has_value();
}

InspectionCookies sendInspection(XConnection& conn, xcb_window_t w) {
    const auto& a = conn.atoms();
    return {sendPlacement(conn, w),
            conn.sendGetProperty(w, a.NET_FRAME_EXTENTS),
            conn.sendGetProperty(w, a.NET_WM_PID),
            conn.sendGetProperty(w, a.NET_WM_NAME),
            conn.sendGetProperty(w, XCB_ATOM_WM_NAME),
            conn.sendGetProperty(w, XCB_ATOM_WM_CLASS),
            conn.sendGetProperty(w, a.NET_WM_WINDOW_TYPE),
            conn.sendGetProperty(w, a.NET_WM_STATE),
            conn.sendGetProperty(w, a.WM_STATE),
            conn.sendGetProperty(w, XCB_ATOM_WM_TRANSIENT_FOR)};
}

std::optional<ClientWindow> takeInspection(XConnection& conn, const InspectionCookies& c) {
    const auto placement = readPlacement(conn, c.placement);
    const PropertyReplies replies{
        conn.takeProperty(c.frameExtents), conn.takeProperty(c.pid),
        conn.takeProperty(c.netWmName),    conn.takeProperty(c.wmName),
        conn.takeProperty(c.wmClass),      conn.takeProperty(c.windowType),
        conn.takeProperty(c.netWmState),   conn.takeProperty(c.wmState),
        conn.takeProperty(c.transientFor)};
    if (!placement) return std::nullopt;
    ClientWindow w;
    w.id = c.placement.window;
    readExtents(w, replies.frameExtents);
    applyPlacement(w, *placement);
    readProcess(w, replies.pid);
    readTitle(w, replies.netWmName, replies.wmName, conn.atoms().UTF8_STRING);
    readClassName(w, replies.wmClass);
    readKinds(w, replies);
    return w;
}

std::vector<std::optional<ClientWindow>> inspectWindows(XConnection& conn,
                                                        const std::vector<xcb_window_t>& windows) {
    std::vector<InspectionCookies> cookies;
    cookies.reserve(windows.size());
    for (xcb_window_t w : windows) cookies.push_back(sendInspection(conn, w));
    std::vector<std::optional<ClientWindow>> result;
    result.reserve(windows.size());
    for (const auto& c : cookies) result.push_back(takeInspection(conn, c));
    // Windows that do not name their process: ask the server who created them, in one batch.
    std::vector<XConnection::ClientPidCookie> pidCookies(result.size());
    for (std::size_t i = 0; i < result.size(); ++i) {
        if (result[i] && !result[i]->pid) pidCookies[i] = conn.sendClientPid(result[i]->id);
    }
    for (std::size_t i = 0; i < result.size(); ++i) {
        if (pidCookies[i].sent) result[i]->pid = conn.takeClientPid(pidCookies[i]);
    }
    return result;
}

}  // namespace tugworth::x11
