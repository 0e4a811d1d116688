// Pointer, screens, processes and the workspace on an X desktop.
#pragma once

#include <sys/types.h>

#include <vector>

#include "platform/WindowServer.h"
#include "platform/x11/X11Windows.h"

namespace tugworth::x11 {

class X11DesktopServices final : public DesktopServices {
public:
    X11DesktopServices(XConnection& conn, X11Windows& windows) : conn_(conn), windows_(windows) {}
    ~X11DesktopServices() override;

    Point mouseLocation() override;
    std::vector<Screen> screens() override;
    std::optional<std::string> runningApplicationName(Pid pid) override;
    Pid ownProcessId() override;
    bool environmentContains(std::string_view variable) override;
    bool openURL(std::string_view url) override;
    std::chrono::system_clock::time_point now() override;

    // Collects the exit status of URL openers that have finished (they are our children).
    void reapFinishedChildren();

private:
    XConnection& conn_;
    X11Windows& windows_;
    std::vector<pid_t> children_;
};

// Whether `url` may be handed to a URL opener as an argument: not empty, no control characters,
// and not starting with '-' (which the opener would read as an option).
bool isSafeUrlArgument(std::string_view url);

}  // namespace tugworth::x11
