// Pointer, screens and processes as the compositor's bridge reports them.
#pragma once

#include <functional>
#include <string_view>

#include "platform/WindowServer.h"
#include "platform/wayland/CompositorReads.h"

namespace tugworth::wayland {

// Hands a URL to the desktop (the program's toolkit knows how); answers whether it was taken.
using UrlOpener = std::function<bool(std::string_view url)>;

class CompositorDesktopServices final : public DesktopServices {
public:
    CompositorDesktopServices(CompositorReads& reads, UrlOpener openUrl)
        : reads_(reads), openUrl_(std::move(openUrl)) {}

    Point mouseLocation() override;
    std::vector<Screen> screens() override;
    std::optional<std::string> runningApplicationName(Pid pid) override;
    Pid ownProcessId() override;
    bool environmentContains(std::string_view variable) override;
    bool openURL(std::string_view url) override;
    std::chrono::system_clock::time_point now() override;

private:
    CompositorReads& reads_;
    UrlOpener openUrl_;
};

}  // namespace tugworth::wayland
