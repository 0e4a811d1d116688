// Everything the core reaches the outside world through, in one bundle.
#pragma once

#include "platform/AccessibilityService.h"
#include "platform/Events.h"
#include "platform/LogSink.h"
#include "platform/SettingsStorage.h"
#include "platform/Toolkit.h"
#include "platform/WindowServer.h"

namespace tugworth {

struct Platform {
    AccessibilityService& accessibility;
    WindowServer& windowServer;
    DesktopServices& desktop;
    EventMonitors& monitors;
    Toolkit& toolkit;
    SettingsStorage& storage;
    LogSink& logSink;
};

}  // namespace tugworth
