// The program's entry point over any platform.
#pragma once

#include "platform/Platform.h"

namespace tugworth {

// Obtains the application and the standard settings store, constructs the delegate with the
// store, installs it and runs the event loop. Answers the exit status: 0.
int runApplication(Platform& platform);

}  // namespace tugworth
