// Test support: a private Xvfb (with or without openbox), client programs, XTEST input
// (support/XTestInput, which the X11 latency bench shares).
#include "XServerFixture.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <thread>

#include "platform/x11/ReplyPtr.h"
#include "support/XTestInput.h"

namespace tugworth::x11::testing {
namespace {

using Clock = std::chrono::steady_clock;

constexpr const char* kOpenboxConfig = R"(<?xml version="1.0"?>
<openbox_config xmlns="http://openbox.org/3.4/rc">
  <focus><focusNew>yes</focusNew><followMouse>no</followMouse></focus>
  <desktops><number>1</number></desktops>
  <margins><top>0</top><bottom>0</bottom><left>0</left><right>0</right></margins>
</openbox_config>
)";

// A property's value as 32-bit words (or as bytes, for `format` 8); empty when it is unset.
template <class Word = std::uint32_t>
std::vector<Word> property(xcb_connection_t* c, xcb_window_t window, xcb_atom_t name) {
    ReplyPtr<xcb_get_property_reply_t> reply{xcb_get_property_reply(
        c, xcb_get_property(c, 0, window, name, XCB_ATOM_ANY, 0, 1024), nullptr)};
    if (!reply) return {};
    const auto* data = static_cast<const Word*>(xcb_get_property_value(reply.get()));
    return {data, data + static_cast<std::size_t>(xcb_get_property_value_length(reply.get())) /
                             sizeof(Word)};
}

}  // namespace

bool waitUntil(const std::function<bool()>& condition, std::chrono::milliseconds limit) {
    const auto deadline = Clock::now() + limit;
    while (!condition()) {
        if (Clock::now() >= deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

bool dispatchUntil(X11Desktop& desktop, const std::function<bool()>& condition,
                   std::chrono::milliseconds limit) {
    return waitUntil(
               [&] {
                   pollfd fd{desktop.fileDescriptor(), POLLIN, 0};
                   ::poll(&fd, 1, 20);
                   return !desktop.dispatchPendingEvents() || condition();
               },
               limit) &&
           condition();
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
    for (int fd : {STDIN_FILENO, STDOUT_FILENO, STDERR_FILENO}) ::dup2(null, fd);
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
    int fds[2];
    if (::mkdtemp(dir) != nullptr) server->home_ = dir;  // removed with the server
    if (server->home_.empty() || ::pipe(fds) != 0) {
        error = "cannot make a temporary folder or a pipe";
        return nullptr;
    }
    server->xvfb_ = server->launch({"Xvfb", "-displayfd", std::to_string(fds[1]), "-screen", "0",
                                    "1280x800x24", "-nolisten", "tcp", "-noreset"},
                                   fds[1]);
    ::close(fds[1]);
    // Xvfb writes its display number and a newline once it is ready (end of file: it died;
    // a hang is bounded by the test's timeout).
    std::string number;
    for (char c = 0; ::read(fds[0], &c, 1) == 1 && c != '\n';) number += c;
    ::close(fds[0]);
    if (number.empty()) {
        error = "Xvfb did not report a display";
        return nullptr;
    }
    server->display_ = ":" + number;
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
        if (!server->windowManagerManages()) {
            error = "openbox did not start";
            return nullptr;
        }
    }
    return server;
}

bool XServer::windowManagerManages() {
    // Openbox names its check window once it has taken over the root's map requests.
    return waitUntil(
        [&] { return !property(conn_, root_, atom("_NET_SUPPORTING_WM_CHECK")).empty(); },
        std::chrono::seconds(20));
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
    std::error_code ignored;
    if (!home_.empty()) std::filesystem::remove_all(home_, ignored);
}

pid_t XServer::spawn(const std::vector<std::string>& argv) {
    return clients_.emplace_back(launch(argv));
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
    // The top-levels and, under a window manager, their frames' descendants.
    std::function<void(xcb_window_t, int)> search = [&](xcb_window_t parent, int depth) {
        ReplyPtr<xcb_query_tree_reply_t> tree{
            xcb_query_tree_reply(conn_, xcb_query_tree(conn_, parent), nullptr)};
        if (!tree) return;
        const xcb_window_t* children = xcb_query_tree_children(tree.get());
        for (int i = 0; i < xcb_query_tree_children_length(tree.get()) && !found; ++i) {
            ReplyPtr<xcb_get_window_attributes_reply_t> attr{xcb_get_window_attributes_reply(
                conn_, xcb_get_window_attributes(conn_, children[i]), nullptr)};
            const auto name = property<char>(conn_, children[i], XCB_ATOM_WM_NAME);
            if (attr && attr->map_state == XCB_MAP_STATE_VIEWABLE &&
                std::string(name.begin(), name.end()) == title) {
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
    ReplyPtr<xcb_get_geometry_reply_t> g{
        xcb_get_geometry_reply(conn_, xcb_get_geometry(conn_, window), nullptr)};
    ReplyPtr<xcb_translate_coordinates_reply_t> t{xcb_translate_coordinates_reply(
        conn_, xcb_translate_coordinates(conn_, window, root_, 0, 0), nullptr)};
    if (!g || !t) return std::nullopt;
    auto e = property(conn_, window, atom("_NET_FRAME_EXTENTS"));  // left, right, top, bottom
    e.resize(4);
    const double bw = g->border_width;
    return Rect{t->dst_x - bw - e[0], t->dst_y - bw - e[2], g->width + 2 * bw + e[0] + e[1],
                g->height + 2 * bw + e[2] + e[3]};
}

xcb_window_t XServer::makeWindow(xcb_window_t parent, xcb_rectangle_t r, const char* property,
                                 xcb_atom_t type, std::uint32_t value) {
    const xcb_window_t window = xcb_generate_id(conn_);
    xcb_create_window(conn_, XCB_COPY_FROM_PARENT, window, parent, r.x, r.y, r.width, r.height, 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT, 0, nullptr);
    if (property != nullptr) setProperty(window, property, type, {value});
    xcb_map_window(conn_, window);
    xcb_flush(conn_);
    return window;
}

void XServer::setProperty(xcb_window_t window, const char* name, xcb_atom_t type,
                          const std::vector<std::uint32_t>& words) {
    xcb_change_property(conn_, XCB_PROP_MODE_REPLACE, window, atom(name), type, 32,
                        static_cast<std::uint32_t>(words.size()), words.data());
}

void XServer::activate(xcb_window_t window) {
    xtest::sendRootMessage(conn_, root_, window, atom("_NET_ACTIVE_WINDOW"),
                           {2, XCB_CURRENT_TIME, 0});
}

void XServer::key(std::uint32_t keysym, bool press) {
    xtest::key(conn_, xtest::keycodeFor(conn_, keysym), press);
    sync();
}

void XServer::button(std::uint8_t number, bool press) {
    xtest::button(conn_, number, press);
    sync();
}

void XServer::movePointer(int x, int y) {
    xtest::warpTo(conn_, root_, x, y);
    sync();
}

void XServer::sync() {
    std::free(xcb_get_input_focus_reply(conn_, xcb_get_input_focus(conn_), nullptr));
}

}  // namespace tugworth::x11::testing
