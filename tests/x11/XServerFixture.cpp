// Test support: a private Xvfb (with or without openbox), client programs, XTEST input
// (support/XTestInput, which the X11 latency bench shares).
#include "XServerFixture.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <thread>

#include "support/XTestInput.h"

namespace tugworth::x11::testing {
namespace {

using Clock = std::chrono::steady_clock;

template <class T>
struct Freed {
    T* p;
    ~Freed() { std::free(p); }
    T* operator->() const { return p; }
    explicit operator bool() const { return p != nullptr; }
};

constexpr const char* kOpenboxConfig = R"(<?xml version="1.0"?>
<openbox_config xmlns="http://openbox.org/3.4/rc">
  <focus><focusNew>yes</focusNew><followMouse>no</followMouse></focus>
  <desktops><number>1</number></desktops>
  <margins><top>0</top><bottom>0</bottom><left>0</left><right>0</right></margins>
</openbox_config>
)";

}  // namespace

bool waitUntil(const std::function<bool()>& condition, std::chrono::milliseconds limit) {
    const auto deadline = Clock::now() + limit;
    while (true) {
        if (condition()) return true;
        if (Clock::now() >= deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

bool dispatchUntil(X11Desktop& desktop, const std::function<bool()>& condition,
                   std::chrono::milliseconds limit) {
    const auto deadline = Clock::now() + limit;
    while (true) {
        if (!desktop.dispatchPendingEvents()) return false;
        if (condition()) return true;
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0) return false;
        pollfd fd{desktop.fileDescriptor(), POLLIN, 0};
        ::poll(&fd, 1, static_cast<int>(std::min<long long>(left.count(), 50)));
    }
}

pid_t XServer::launch(const std::vector<std::string>& argv, int keepFd) {
    std::vector<char*> args;
    for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    const pid_t parent = ::getpid();
    const pid_t pid = ::fork();
    if (pid != 0) return pid;
    // Child: die with the test program, whatever way it ends.
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (::getppid() != parent) ::_exit(127);
    const int null = ::open("/dev/null", O_RDWR);
    ::dup2(null, STDIN_FILENO);
    ::dup2(null, STDOUT_FILENO);
    ::dup2(null, STDERR_FILENO);
    for (int fd = 3; fd < 256; ++fd) {
        if (fd != keepFd) ::close(fd);
    }
    if (!display_.empty()) ::setenv("DISPLAY", display_.c_str(), 1);
    ::setenv("HOME", home_.c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", home_.c_str(), 1);
    ::execvp(args[0], args.data());
    ::_exit(127);
}

std::unique_ptr<XServer> XServer::start(bool windowManager, std::string& error) {
    std::unique_ptr<XServer> server(new XServer());
    char dir[] = "/tmp/tugworth-x11-XXXXXX";
    if (::mkdtemp(dir) == nullptr) {
        error = "cannot make a temporary folder";
        return nullptr;
    }
    server->home_ = dir;

    int fds[2];
    if (::pipe(fds) != 0) {
        error = "cannot make a pipe";
        return nullptr;
    }
    server->xvfb_ = server->launch({"Xvfb", "-displayfd", std::to_string(fds[1]), "-screen", "0",
                                    "1280x800x24", "-nolisten", "tcp", "-noreset"},
                                   fds[1]);
    ::close(fds[1]);
    std::string number;
    pollfd p{fds[0], POLLIN, 0};
    const auto deadline = Clock::now() + std::chrono::seconds(20);
    while (number.find('\n') == std::string::npos && Clock::now() < deadline) {
        if (::poll(&p, 1, 200) <= 0) continue;
        char buffer[16];
        const ssize_t n = ::read(fds[0], buffer, sizeof buffer);
        if (n <= 0) break;
        number.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(fds[0]);
    if (number.find('\n') == std::string::npos) {
        error = "Xvfb did not report a display";
        return nullptr;
    }
    server->display_ = ":" + number.substr(0, number.find('\n'));
    server->conn_ = xcb_connect(server->display_.c_str(), nullptr);
    if (xcb_connection_has_error(server->conn_) != 0) {
        error = "cannot connect to " + server->display_;
        return nullptr;
    }
    server->root_ = xcb_setup_roots_iterator(xcb_get_setup(server->conn_)).data->root;

    if (windowManager) {
        const std::string config = server->home_ + "/rc.xml";
        std::ofstream(config) << kOpenboxConfig;
        server->wm_ = server->launch({"openbox", "--sm-disable", "--config-file", config});
        const xcb_atom_t check = server->atom("_NET_SUPPORTING_WM_CHECK");
        const bool ready = waitUntil(
            [&] {
                auto cookie =
                    xcb_get_property(server->conn_, 0, server->root_, check, XCB_ATOM_WINDOW, 0, 1);
                Freed<xcb_get_property_reply_t> reply{
                    xcb_get_property_reply(server->conn_, cookie, nullptr)};
                return reply && xcb_get_property_value_length(reply.p) == 4;
            },
            std::chrono::seconds(20));
        if (!ready || !server->windowManagerManages()) {
            error = "openbox did not start";
            return nullptr;
        }
    }
    return server;
}

bool XServer::windowManagerManages() {
    // The check window appears before the window manager handles map requests; a probe window
    // that it takes into its client list shows that it does. Requests made too early can be
    // lost, so the probe is mapped again while we wait.
    const xcb_window_t probe = xcb_generate_id(conn_);
    xcb_create_window(conn_, XCB_COPY_FROM_PARENT, probe, root_, 0, 0, 10, 10, 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT, 0, nullptr);
    const xcb_atom_t clients = atom("_NET_CLIENT_LIST");
    int attempt = 0;
    const bool managed = waitUntil(
        [&] {
            if (attempt++ % 40 == 0) {
                xcb_map_window(conn_, probe);
                xcb_flush(conn_);
            }
            auto cookie = xcb_get_property(conn_, 0, root_, clients, XCB_ATOM_WINDOW, 0, 1024);
            Freed<xcb_get_property_reply_t> reply{xcb_get_property_reply(conn_, cookie, nullptr)};
            if (!reply) return false;
            const auto* windows = static_cast<const xcb_window_t*>(xcb_get_property_value(reply.p));
            const int count = xcb_get_property_value_length(reply.p) / 4;
            return std::find(windows, windows + count, probe) != windows + count;
        },
        std::chrono::seconds(20));
    xcb_destroy_window(conn_, probe);
    sync();
    return managed;
}

XServer::~XServer() {
    while (!clients_.empty()) kill(clients_.back());
    if (conn_ != nullptr) xcb_disconnect(conn_);
    for (pid_t pid : {wm_, xvfb_}) {
        if (pid > 0) {
            ::kill(pid, SIGTERM);
            ::waitpid(pid, nullptr, 0);
        }
    }
    if (!home_.empty()) {
        std::error_code ignored;
        std::filesystem::remove_all(home_, ignored);
    }
}

pid_t XServer::spawn(const std::vector<std::string>& argv) {
    const pid_t pid = launch(argv);
    clients_.push_back(pid);
    return pid;
}

void XServer::kill(pid_t pid) {
    if (std::erase(clients_, pid) == 0) return;  // not ours, or already ended
    ::kill(pid, SIGKILL);
    ::waitpid(pid, nullptr, 0);
}

xcb_atom_t XServer::atom(const char* name) {
    return xtest::atom(conn_, name);
}

std::optional<xcb_window_t> XServer::waitForWindow(const std::string& title) {
    std::optional<xcb_window_t> found;
    // Searches the top-levels and, under a window manager, their frames' descendants.
    std::function<void(xcb_window_t, int)> search = [&](xcb_window_t parent, int depth) {
        Freed<xcb_query_tree_reply_t> tree{
            xcb_query_tree_reply(conn_, xcb_query_tree(conn_, parent), nullptr)};
        if (!tree) return;
        const xcb_window_t* children = xcb_query_tree_children(tree.p);
        for (int i = 0; i < xcb_query_tree_children_length(tree.p) && !found; ++i) {
            auto nameCookie =
                xcb_get_property(conn_, 0, children[i], XCB_ATOM_WM_NAME, XCB_ATOM_ANY, 0, 256);
            auto attrCookie = xcb_get_window_attributes(conn_, children[i]);
            Freed<xcb_get_property_reply_t> name{
                xcb_get_property_reply(conn_, nameCookie, nullptr)};
            Freed<xcb_get_window_attributes_reply_t> attr{
                xcb_get_window_attributes_reply(conn_, attrCookie, nullptr)};
            if (name && attr && attr->map_state == XCB_MAP_STATE_VIEWABLE &&
                std::string(static_cast<const char*>(xcb_get_property_value(name.p)),
                            static_cast<std::size_t>(xcb_get_property_value_length(name.p))) ==
                    title) {
                found = children[i];
            } else if (depth < 3) {
                search(children[i], depth + 1);
            }
        }
    };
    waitUntil(
        [&] {
            search(root_, 0);
            return found.has_value();
        },
        std::chrono::seconds(15));
    return found;
}

std::optional<Rect> XServer::outerFrame(xcb_window_t window) {
    auto geometryCookie = xcb_get_geometry(conn_, window);
    auto translateCookie = xcb_translate_coordinates(conn_, window, root_, 0, 0);
    auto extentsCookie =
        xcb_get_property(conn_, 0, window, atom("_NET_FRAME_EXTENTS"), XCB_ATOM_CARDINAL, 0, 4);
    Freed<xcb_get_geometry_reply_t> g{xcb_get_geometry_reply(conn_, geometryCookie, nullptr)};
    Freed<xcb_translate_coordinates_reply_t> t{
        xcb_translate_coordinates_reply(conn_, translateCookie, nullptr)};
    Freed<xcb_get_property_reply_t> e{xcb_get_property_reply(conn_, extentsCookie, nullptr)};
    if (!g || !t) return std::nullopt;
    std::uint32_t left = 0, right = 0, top = 0, bottom = 0;
    if (e && xcb_get_property_value_length(e.p) == 16) {
        const auto* v = static_cast<const std::uint32_t*>(xcb_get_property_value(e.p));
        left = v[0], right = v[1], top = v[2], bottom = v[3];
    }
    const double bw = g->border_width;
    return Rect{t->dst_x - bw - left, t->dst_y - bw - top, g->width + 2 * bw + left + right,
                g->height + 2 * bw + top + bottom};
}

void XServer::activate(xcb_window_t window) {
    xtest::sendRootMessage(conn_, root_, window, atom("_NET_ACTIVE_WINDOW"),
                           {2, XCB_CURRENT_TIME, 0});
}

void XServer::iconify(xcb_window_t window) {
    xtest::sendRootMessage(conn_, root_, window, atom("WM_CHANGE_STATE"), {3});
}

xcb_keycode_t XServer::keycodeFor(std::uint32_t keysym) {
    return xtest::keycodeFor(conn_, keysym);
}

void XServer::key(xcb_keycode_t keycode, bool press) {
    xtest::key(conn_, keycode, press);
    sync();
}

void XServer::button(std::uint8_t number, bool press) {
    xtest::button(conn_, number, press);
    sync();
}

void XServer::movePointer(int x, int y) {
    xtest::warpTo(conn_, root_, x, y);
}

void XServer::sync() {
    std::free(xcb_get_input_focus_reply(conn_, xcb_get_input_focus(conn_), nullptr));
}

}  // namespace tugworth::x11::testing
