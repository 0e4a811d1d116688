// Desktop services over the bridge: the compositor's top-left-origin space turned into the
// bottom-left-origin one of the pointer and the screens.
#include "platform/wayland/CompositorDesktopServices.h"

#include <unistd.h>

#include <cstdlib>
#include <string>

namespace tugworth::wayland {
namespace {

// Flips a top-left-origin rectangle about the main monitor's height.
Rect flipped(const Rect& r, double height) {
    return {r.x, height - r.y - r.height, r.width, r.height};
}

}  // namespace

Point CompositorDesktopServices::mouseLocation() {
    const auto pointer = reads_.pointer();
    const auto& monitors = reads_.monitors();
    if (!pointer || monitors.empty()) return {};
    return {pointer->location.x, monitors.front().height - pointer->location.y};
}

std::vector<Screen> CompositorDesktopServices::screens() {
    const auto& monitors = reads_.monitors();
    if (monitors.empty()) return {};
    const auto& areas = reads_.workAreas();
    const double height = monitors.front().height;
    std::vector<Screen> result;
    result.reserve(monitors.size());
    for (std::size_t i = 0; i < monitors.size(); ++i) {
        const Rect visible = i < areas.size() ? areas[i] : monitors[i];
        result.push_back({flipped(monitors[i], height), flipped(visible, height)});
    }
    return result;
}

std::optional<std::string> CompositorDesktopServices::runningApplicationName(Pid pid) {
    const auto& windows = reads_.windows();
    if (!windows) return std::nullopt;
    for (const auto& w : *windows) {
        if (w.pid == pid && !w.applicationName.empty()) return w.applicationName;
    }
    return std::nullopt;
}

Pid CompositorDesktopServices::ownProcessId() {
    return static_cast<Pid>(::getpid());
}

bool CompositorDesktopServices::environmentContains(std::string_view variable) {
    return std::getenv(std::string(variable).c_str()) != nullptr;
}

bool CompositorDesktopServices::openURL(std::string_view url) {
    return openUrl_ && openUrl_(url);
}

std::chrono::system_clock::time_point CompositorDesktopServices::now() {
    return std::chrono::system_clock::now();
}

}  // namespace tugworth::wayland
