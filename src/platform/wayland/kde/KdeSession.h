// Start-up on KDE Plasma's Wayland session: telling it apart, and the driver with its parts.
#pragma once

#include <memory>
#include <string>

#include "platform/wayland/CompositorDriver.h"

namespace tugworth::wayland::kde {

// A Wayland session whose desktop says it is KDE (before any bus is reached).
bool looksLikePlasmaWayland(const char* waylandDisplay, const char* currentDesktop);

// The KDE driver over the running KWin: its modifier keys and its bridge script, which is
// looked for beside the program (an installed tree) and where the build installs it. nullptr
// with `error` set to one sentence for the user. Needs a QCoreApplication.
std::unique_ptr<CompositorDriver> connectKdeDriver(std::string& error);

}  // namespace tugworth::wayland::kde
