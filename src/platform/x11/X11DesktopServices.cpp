// Desktop services on X: the pointer and the RandR monitors in the bottom-left-origin space,
// the work area, application names, and URL opening through xdg-open.
#include "platform/x11/X11DesktopServices.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <string>

namespace tugworth::x11 {
namespace {

std::optional<Rect> intersect(const Rect& a, const Rect& b) {
    const double x1 = std::max(a.minX(), b.minX());
    const double y1 = std::max(a.minY(), b.minY());
    const double x2 = std::min(a.maxX(), b.maxX());
    const double y2 = std::min(a.maxY(), b.maxY());
    if (x2 <= x1 || y2 <= y1) return std::nullopt;
    return Rect{x1, y1, x2 - x1, y2 - y1};
}

}  // namespace

bool isSafeUrlArgument(std::string_view url) {
    if (url.empty() || url.front() == '-') return false;
    return std::none_of(url.begin(), url.end(), [](char c) {
        const auto u = static_cast<unsigned char>(c);
        return u < 0x20 || u == 0x7f;
    });
}

X11DesktopServices::~X11DesktopServices() {
    reapFinishedChildren();
}

Point X11DesktopServices::mouseLocation() {
    auto pointer = windows_.pointer();
    if (!pointer) return {};
    return windows_.coordinateSpace().rootToBottomLeft(
        Point{double(pointer->rootX), double(pointer->rootY)});
}

std::vector<Screen> X11DesktopServices::screens() {
    if (conn_.broken()) return {};
    const auto monitors = conn_.monitors();
    const auto space = CoordinateSpace::fromMonitors(monitors);
    const auto area = windows_.workArea();
    std::vector<Screen> result;
    result.reserve(monitors.size());
    for (const auto& m : monitors) {
        // The work area spans all monitors; each monitor's visible part is its share of it.
        const Rect visible = area ? intersect(m.rootRect, *area).value_or(m.rootRect) : m.rootRect;
        result.push_back({space.rootToBottomLeft(m.rootRect), space.rootToBottomLeft(visible)});
    }
    return result;
}

std::optional<std::string> X11DesktopServices::runningApplicationName(Pid pid) {
    if (conn_.broken()) return applicationName(pid, {});
    return applicationName(pid, windows_.clientsFrontToBack());
}

Pid X11DesktopServices::ownProcessId() {
    return static_cast<Pid>(::getpid());
}

bool X11DesktopServices::environmentContains(std::string_view variable) {
    return std::getenv(std::string(variable).c_str()) != nullptr;
}

bool X11DesktopServices::openURL(std::string_view url) {
    reapFinishedChildren();
    if (!isSafeUrlArgument(url)) return false;
    // An argument vector, no shell: nothing in the URL is interpreted on the way.
    std::string program = "xdg-open";
    std::string argument(url);
    char* argv[] = {program.data(), argument.data(), nullptr};
    pid_t child = 0;
    if (posix_spawnp(&child, "xdg-open", nullptr, nullptr, argv, environ) != 0) return false;
    children_.push_back(child);
    return true;
}

void X11DesktopServices::reapFinishedChildren() {
    std::erase_if(children_, [](pid_t child) {
        int status = 0;
        const pid_t r = ::waitpid(child, &status, WNOHANG);
        return r == child || r < 0;
    });
}

std::chrono::system_clock::time_point X11DesktopServices::now() {
    return std::chrono::system_clock::now();
}

}  // namespace tugworth::x11
