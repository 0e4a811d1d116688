// x11_capture: what one capture costs the tugworth program on a real display when nothing is
// under the pointer and one application owns N mapped windows. For each N it maps the windows
// (one client, this process), presses Super+Control over the empty desktop again and again
// (each press captures), and reports tugworth's CPU time from each press to the capture's end
// in the log, and its log lines per press and release.
//
// Usage: x11_capture --tugworth-pid PID --log FILE [--windows 10,20,30,60,100]
//                    [--budget-seconds 60]     (CPU time spent at most per N, about)
#include <unistd.h>
#include <xcb/xcb.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "../x11_latency/ProcessCpu.h"
#include "../x11_latency/XTestDesk.h"

namespace tugworth::bench {
namespace {

constexpr std::uint32_t kSuperL = 0xffeb;
constexpr std::uint32_t kControlL = 0xffe3;
constexpr int kMaxCaptures = 40;
constexpr double kEnoughCpuMs = 1000.0;  // enough captures for a steady figure
constexpr auto kQuiet = std::chrono::milliseconds(400);

struct Options {
    pid_t tugworth = 0;
    std::string log;
    std::vector<int> windows{10, 20, 30, 60, 100};
    double budgetSeconds = 60.0;
};

struct Result {
    int windows = 0;
    int captures = 0;
    double cpuMs = 0.0;
    double lines = 0.0;
};

// The tugworth log as it grows: its lines, and the captures it has reported finished.
class LogWatch {
public:
    explicit LogWatch(std::string path) : path_(std::move(path)) {}

    void update() {
        std::ifstream in(path_, std::ios::binary);
        in.seekg(static_cast<std::streamoff>(offset_));
        char buffer[65536];
        while (in.read(buffer, sizeof buffer) || in.gcount() > 0) {
            const auto n = static_cast<std::size_t>(in.gcount());
            offset_ += n;
            for (std::size_t i = 0; i < n; ++i) {
                if (buffer[i] != '\n') {
                    line_.push_back(buffer[i]);
                    continue;
                }
                ++lines_;
                if (line_.find(kCaptureEnd) != std::string::npos) ++captures_;
                line_.clear();
            }
        }
    }
    std::size_t lines() const { return lines_; }
    std::size_t captures() const { return captures_; }

private:
    static constexpr const char* kCaptureEnd = "===== CAPTURE WINDOW END =====";
    std::string path_;
    std::size_t offset_ = 0;
    std::size_t lines_ = 0;
    std::size_t captures_ = 0;
    std::string line_;
};

// Waits until the process has used no CPU for a while; answers its CPU time then.
double waitIdle(pid_t pid) {
    double cpu = cpuMilliseconds(pid);
    auto quietSince = std::chrono::steady_clock::now();
    while (std::chrono::steady_clock::now() - quietSince < kQuiet) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        if (const double now = cpuMilliseconds(pid); now != cpu) {
            cpu = now;
            quietSince = std::chrono::steady_clock::now();
        }
    }
    return cpu;
}

// Waits until the log reports one more capture finished (it is written when the event loop
// goes idle, after the capture); answers the process's CPU time then, or -1 after 3 minutes.
double waitCapture(pid_t pid, LogWatch& log) {
    const std::size_t before = log.captures();
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(3);
    while (log.captures() == before) {
        if (std::chrono::steady_clock::now() > deadline) return -1.0;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        log.update();
    }
    return cpuMilliseconds(pid);
}

// One application's windows: mapped where the window manager is asked to put them, away from
// the corner where the pointer waits.
class Crowd {
public:
    Crowd(xcb_connection_t* conn, int count) : conn_(conn) {
        const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(conn)).data;
        const xcb_atom_t pidAtom = atom("_NET_WM_PID");
        const auto pid = static_cast<std::uint32_t>(::getpid());
        const char cls[] = "crowd\0Crowd";
        for (int i = 0; i < count; ++i) {
            const xcb_window_t w = xcb_generate_id(conn);
            const auto x = static_cast<std::int16_t>(600 + (i % 10) * 60);
            const auto y = static_cast<std::int16_t>(300 + (i / 10) * 45);
            xcb_create_window(conn, XCB_COPY_FROM_PARENT, w, screen->root, x, y, 50, 30, 0,
                              XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT, 0, nullptr);
            // WM_NORMAL_HINTS with a user-given position, so that the position is kept.
            std::uint32_t hints[18] = {1U | 2U, std::uint32_t(x), std::uint32_t(y), 50, 30};
            xcb_change_property(conn, XCB_PROP_MODE_REPLACE, w, XCB_ATOM_WM_NORMAL_HINTS,
                                XCB_ATOM_WM_SIZE_HINTS, 32, 18, hints);
            xcb_change_property(conn, XCB_PROP_MODE_REPLACE, w, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING,
                                8, sizeof cls, cls);
            const std::string title = "Crowd window " + std::to_string(i + 1);
            xcb_change_property(conn, XCB_PROP_MODE_REPLACE, w, XCB_ATOM_WM_NAME, XCB_ATOM_STRING,
                                8, static_cast<std::uint32_t>(title.size()), title.data());
            xcb_change_property(conn, XCB_PROP_MODE_REPLACE, w, pidAtom, XCB_ATOM_CARDINAL, 32, 1,
                                &pid);
            xcb_map_window(conn, w);
            windows_.push_back(w);
        }
        xcb_flush(conn);
    }
    ~Crowd() {
        for (xcb_window_t w : windows_) xcb_destroy_window(conn_, w);
        xcb_flush(conn_);
    }
    Crowd(const Crowd&) = delete;
    Crowd& operator=(const Crowd&) = delete;

    // Waits until the window manager lists every window; false after ten seconds.
    bool waitManaged() {
        const xcb_atom_t list = atom("_NET_CLIENT_LIST");
        const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(conn_)).data->root;
        for (int attempt = 0; attempt < 200; ++attempt) {
            xcb_get_property_reply_t* reply = xcb_get_property_reply(
                conn_, xcb_get_property(conn_, 0, root, list, XCB_ATOM_WINDOW, 0, 65536), nullptr);
            std::size_t listed = 0;
            if (reply != nullptr) {
                const auto* ids = static_cast<const xcb_window_t*>(xcb_get_property_value(reply));
                const auto n = static_cast<std::size_t>(xcb_get_property_value_length(reply)) / 4;
                for (std::size_t i = 0; i < n; ++i) {
                    for (xcb_window_t w : windows_) listed += ids[i] == w ? 1 : 0;
                }
                std::free(reply);
            }
            if (listed == windows_.size()) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        return false;
    }

private:
    xcb_atom_t atom(const char* name) {
        xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
            conn_, xcb_intern_atom(conn_, 0, static_cast<std::uint16_t>(std::strlen(name)), name),
            nullptr);
        const xcb_atom_t a = reply != nullptr ? reply->atom : XCB_NONE;
        std::free(reply);
        return a;
    }

    xcb_connection_t* conn_;
    std::vector<xcb_window_t> windows_;
};

bool measure(xcb_connection_t* conn, const Options& options, int count, Result& result,
             std::string& error) {
    Crowd crowd(conn, count);
    if (!crowd.waitManaged()) {
        error = "the window manager did not take the windows";
        return false;
    }
    auto opened = XTestDesk::open("Crowd", error);
    if (!opened) return false;
    XTestDesk& desk = *opened;
    desk.warpPointer(20, 780);
    const auto super = desk.keycodeOf(kSuperL);
    const auto control = desk.keycodeOf(kControlL);
    if (!super || !control) {
        error = "the keyboard map lacks Super or Control";
        return false;
    }
    LogWatch log(options.log);
    log.update();
    const std::size_t linesStart = log.lines();
    const auto wallStart = std::chrono::steady_clock::now();
    const auto budget = std::chrono::duration<double>(options.budgetSeconds);
    double cpu = 0.0;
    int captures = 0;
    // Each press of the chord captures: from the press to the capture's last log line.
    while (captures < kMaxCaptures && cpu < kEnoughCpuMs &&
           std::chrono::steady_clock::now() - wallStart < budget) {
        const double before = waitIdle(options.tugworth);
        desk.key(*super, true);
        desk.key(*control, true);
        const double after = waitCapture(options.tugworth, log);
        desk.key(*control, false);
        desk.key(*super, false);
        if (after < 0.0) {
            error = "tugworth reported no capture for 3 minutes";
            return false;
        }
        cpu += after - before;
        ++captures;
    }
    waitIdle(options.tugworth);
    log.update();
    const std::size_t linesEnd = log.lines();
    result = {count, captures, cpu / captures, double(linesEnd - linesStart) / captures};
    return true;
}

bool parse(int argc, char** argv, Options& options) {
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string key = argv[i];
        const std::string value = argv[i + 1];
        if (key == "--tugworth-pid") {
            options.tugworth = std::stoi(value);
        } else if (key == "--log") {
            options.log = value;
        } else if (key == "--budget-seconds") {
            options.budgetSeconds = std::stod(value);
        } else if (key == "--windows") {
            options.windows.clear();
            std::istringstream list(value);
            for (std::string n; std::getline(list, n, ',');)
                options.windows.push_back(std::stoi(n));
        } else {
            return false;
        }
    }
    return argc % 2 == 1 && options.tugworth > 0 && !options.log.empty() &&
           !options.windows.empty();
}

}  // namespace
}  // namespace tugworth::bench

int main(int argc, char** argv) {
    using namespace tugworth::bench;
    Options options;
    try {
        if (!parse(argc, argv, options)) {
            std::fprintf(
                stderr,
                "usage: x11_capture --tugworth-pid PID --log FILE [--windows 10,20,30,60,100]"
                " [--budget-seconds 60]\n");
            return 2;
        }
    } catch (const std::exception&) {
        std::fprintf(stderr, "x11_capture: a number was expected\n");
        return 2;
    }
    xcb_connection_t* conn = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(conn) != 0) {
        std::fprintf(stderr, "x11_capture: cannot connect to the display\n");
        return 1;
    }
    std::printf("| windows | captures | CPU per capture (ms) | log lines per capture |\n");
    std::printf("|---:|---:|---:|---:|\n");
    std::string error;
    for (int count : options.windows) {
        Result result;
        if (!measure(conn, options, count, result, error)) {
            std::fprintf(stderr, "x11_capture: %s\n", error.c_str());
            return 1;
        }
        std::printf("| %d | %d | %.1f | %.0f |\n", result.windows, result.captures, result.cpuMs,
                    result.lines);
        std::fflush(stdout);
    }
    xcb_disconnect(conn);
    return 0;
}
