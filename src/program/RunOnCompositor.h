// The program on a Wayland compositor: the core over a CompositorDesktop, with the Qt user
// interface drawn natively on Wayland.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "platform/Log.h"
#include "platform/LogSink.h"
#include "platform/wayland/CompositorDriver.h"

namespace tugworth {

// Makes the compositor's driver once Qt runs; nullptr with `error` set when it cannot.
using DriverFactory = std::function<std::unique_ptr<wayland::CompositorDriver>(std::string& error)>;

int runOnCompositor(char* programName, LogSink& logSink, Log& log,
                    const DriverFactory& connectDriver);

}  // namespace tugworth
