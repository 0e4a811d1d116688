// Facts about local processes, read from /proc.
#pragma once

#include <optional>
#include <string>

#include "platform/Element.h"

namespace tugworth::x11 {

// True while the process exists and has not exited (a zombie counts as gone).
bool processIsRunning(Pid pid);

// The process's command name (/proc/PID/comm), or nullopt when it cannot be read.
std::optional<std::string> processCommandName(Pid pid);

// The state letter of /proc/PID/stat ("R", "S", "Z", ...), parsed from text of that file.
std::optional<char> parseProcessState(const std::string& statLine);

}  // namespace tugworth::x11
