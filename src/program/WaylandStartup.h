// Start-up on a Wayland session: pick the compositor's driver and run the program over it.
#pragma once

#include "platform/Log.h"
#include "platform/LogSink.h"

namespace tugworth {

// The Wayland compositors Tugworth has a bridge for.
enum class WaylandCompositor { None, GnomeShell, KWin };

// From WAYLAND_DISPLAY and XDG_CURRENT_DESKTOP: the compositor of this Wayland session, None
// when this is no Wayland session or its compositor has no bridge (then X11 is tried).
WaylandCompositor detectWaylandCompositor(const char* waylandDisplay, const char* currentDesktop);

// Runs the program on the compositor's bridge until it quits; answers the exit status. When
// the bridge does not answer, says on the log exactly what to run, and answers 1.
int runOnWayland(WaylandCompositor compositor, char* programName, LogSink& logSink, Log& log);

}  // namespace tugworth
