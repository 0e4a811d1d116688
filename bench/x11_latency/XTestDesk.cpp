// Frame observation for the latency harness; its XTEST input is the tests' own.
#include "XTestDesk.h"

#include <poll.h>
#include <time.h>
#include <xcb/xtest.h>

#include <cmath>
#include <cstdlib>
#include <memory>

#include "support/XTestInput.h"

namespace tugworth::bench {
namespace {

struct FreeDeleter {
    void operator()(void* p) const { std::free(p); }
};
template <class T>
using Reply = std::unique_ptr<T, FreeDeleter>;

constexpr std::uint32_t kNorthWestGravity = 1;
constexpr std::uint32_t kSourcePager = 2U << 12;
constexpr std::uint32_t kMoveFlags = (1U << 8) | (1U << 9);

}  // namespace

double monotonicSeconds() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

std::optional<XTestDesk> XTestDesk::open(const std::string& windowClass, std::string& error) {
    XTestDesk desk;
    desk.conn_ = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(desk.conn_) != 0) {
        error = "cannot connect to the display named by DISPLAY";
        return std::nullopt;
    }
    desk.root_ = xcb_setup_roots_iterator(xcb_get_setup(desk.conn_)).data->root;
    const auto* extension = xcb_get_extension_data(desk.conn_, &xcb_test_id);
    if (extension == nullptr || extension->present == 0) {
        error = "the X server lacks the XTEST extension";
        return std::nullopt;
    }
    desk.moveResize_ = xtest::atom(desk.conn_, "_NET_MOVERESIZE_WINDOW");
    if (!desk.findFrame(windowClass, error)) return std::nullopt;
    return std::optional<XTestDesk>(std::move(desk));
}

XTestDesk::XTestDesk(XTestDesk&& other) noexcept
    : conn_(std::exchange(other.conn_, nullptr)),
      root_(other.root_),
      client_(other.client_),
      frame_(other.frame_),
      moveResize_(other.moveResize_) {}

XTestDesk::~XTestDesk() {
    if (conn_ != nullptr) xcb_disconnect(conn_);
}

bool XTestDesk::findFrame(const std::string& windowClass, std::string& error) {
    // A depth-first walk from the root to the first window whose WM_CLASS class matches.
    std::vector<xcb_window_t> pending{root_};
    while (!pending.empty() && client_ == XCB_NONE) {
        const xcb_window_t window = pending.back();
        pending.pop_back();
        Reply<xcb_get_property_reply_t> cls(xcb_get_property_reply(
            conn_, xcb_get_property(conn_, 0, window, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 0, 64),
            nullptr));
        if (cls && cls->format == 8) {
            const auto* bytes = static_cast<const char*>(xcb_get_property_value(cls.get()));
            const std::string value(
                bytes, static_cast<std::size_t>(xcb_get_property_value_length(cls.get())));
            const auto split = value.find('\0');
            if (split != std::string::npos &&
                value.compare(split + 1, windowClass.size(), windowClass) == 0) {
                client_ = window;
                break;
            }
        }
        Reply<xcb_query_tree_reply_t> tree(
            xcb_query_tree_reply(conn_, xcb_query_tree(conn_, window), nullptr));
        if (!tree) continue;
        const xcb_window_t* children = xcb_query_tree_children(tree.get());
        pending.insert(pending.end(), children,
                       children + xcb_query_tree_children_length(tree.get()));
    }
    if (client_ == XCB_NONE) {
        error = "no window of class " + windowClass + " on the display";
        return false;
    }
    // The window manager's frame: the client's ancestor that is a child of the root.
    frame_ = client_;
    for (int depth = 0; depth < 16; ++depth) {
        Reply<xcb_query_tree_reply_t> tree(
            xcb_query_tree_reply(conn_, xcb_query_tree(conn_, frame_), nullptr));
        if (!tree) break;
        if (tree->parent == root_) {
            const std::uint32_t mask = XCB_EVENT_MASK_STRUCTURE_NOTIFY;
            xcb_change_window_attributes(conn_, frame_, XCB_CW_EVENT_MASK, &mask);
            flush();
            return true;
        }
        frame_ = tree->parent;
    }
    error = "the " + windowClass + " window has no top-level frame";
    return false;
}

void XTestDesk::disablePointerAcceleration() {
    xcb_change_pointer_control(conn_, 1, 1, 1, 1, 1);
    flush();
}

std::optional<std::uint8_t> XTestDesk::keycodeOf(std::uint32_t keysym) {
    const xcb_keycode_t code = xtest::keycodeFor(conn_, keysym);
    return code != 0 ? std::optional<std::uint8_t>(code) : std::nullopt;
}

void XTestDesk::key(std::uint8_t keycode, bool press) {
    xtest::key(conn_, keycode, press);
}

void XTestDesk::button(std::uint8_t number, bool press) {
    xtest::button(conn_, number, press);
}

void XTestDesk::moveRelative(std::int32_t dx, std::int32_t dy) {
    xtest::moveBy(conn_, dx, dy);
}

void XTestDesk::warpPointer(std::int32_t x, std::int32_t y) {
    xtest::warpTo(conn_, root_, x, y);
}

std::optional<FramePosition> XTestDesk::pointer() {
    Reply<xcb_query_pointer_reply_t> reply(
        xcb_query_pointer_reply(conn_, xcb_query_pointer(conn_, root_), nullptr));
    if (!reply) return std::nullopt;
    return FramePosition{reply->root_x, reply->root_y};
}

std::optional<FramePosition> XTestDesk::frame() {
    Reply<xcb_get_geometry_reply_t> reply(
        xcb_get_geometry_reply(conn_, xcb_get_geometry(conn_, frame_), nullptr));
    if (!reply) return std::nullopt;
    return FramePosition{reply->x, reply->y};
}

std::optional<FramePosition> XTestDesk::frameSize() {
    Reply<xcb_get_geometry_reply_t> reply(
        xcb_get_geometry_reply(conn_, xcb_get_geometry(conn_, frame_), nullptr));
    if (!reply) return std::nullopt;
    return FramePosition{reply->width + 2 * reply->border_width,
                         reply->height + 2 * reply->border_width};
}

void XTestDesk::placeFrame(std::int32_t x, std::int32_t y) {
    xtest::sendRootMessage(conn_, root_, client_, moveResize_,
                           {kNorthWestGravity | kSourcePager | kMoveFlags,
                            static_cast<std::uint32_t>(x), static_cast<std::uint32_t>(y), 0, 0});
}

void XTestDesk::flush() {
    xcb_flush(conn_);
}

void XTestDesk::drain(std::vector<std::pair<double, FramePosition>>& moves) {
    while (Reply<xcb_generic_event_t> event{xcb_poll_for_event(conn_)}) {
        if ((event->response_type & 0x7f) != XCB_CONFIGURE_NOTIFY) continue;
        const auto& configure = reinterpret_cast<const xcb_configure_notify_event_t&>(*event);
        if (configure.window != frame_) continue;
        const FramePosition at{configure.x, configure.y};
        moves.emplace_back(monotonicSeconds(), at);
    }
}

void XTestDesk::waitReadable(double deadline) {
    const double left = deadline - monotonicSeconds();
    if (left <= 0.0) return;
    pollfd fd{xcb_get_file_descriptor(conn_), POLLIN, 0};
    const double whole = std::floor(left);
    const timespec timeout{static_cast<time_t>(whole), static_cast<long>((left - whole) * 1e9)};
    ppoll(&fd, 1, &timeout, nullptr);
}

bool XTestDesk::waitForFrame(FramePosition wanted, double seconds) {
    const double deadline = monotonicSeconds() + seconds;
    std::vector<std::pair<double, FramePosition>> moves;
    for (;;) {
        if (auto now = frame(); now && now->x == wanted.x && now->y == wanted.y) return true;
        if (monotonicSeconds() >= deadline) return false;
        waitReadable(std::min(deadline, monotonicSeconds() + 0.05));
        drain(moves);
    }
}

std::optional<FramePosition> XTestDesk::waitForFrameToLeave(FramePosition from, double seconds) {
    const double deadline = monotonicSeconds() + seconds;
    std::vector<std::pair<double, FramePosition>> moves;
    for (;;) {
        if (auto now = frame(); now && (now->x != from.x || now->y != from.y)) return now;
        if (monotonicSeconds() >= deadline) return std::nullopt;
        waitReadable(std::min(deadline, monotonicSeconds() + 0.05));
        drain(moves);
    }
}

}  // namespace tugworth::bench
