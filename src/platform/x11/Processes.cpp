// Process facts from /proc: whether a process still runs, and its command name.
#include "platform/x11/Processes.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <string_view>

namespace tugworth::x11 {
namespace {

// Plain reads into a stack buffer: this runs for every window read, on every drag step.
std::optional<std::string> readFirstLine(Pid pid, const char* file) {
    if (pid <= 0) return std::nullopt;
    char path[64];
    std::snprintf(path, sizeof path, "/proc/%d/%s", static_cast<int>(pid), file);
    const int fd = ::open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0) return std::nullopt;
    char buffer[1024];
    const ssize_t length = ::read(fd, buffer, sizeof buffer);
    ::close(fd);
    if (length <= 0) return std::nullopt;
    const std::string_view text(buffer, static_cast<std::size_t>(length));
    return std::string(text.substr(0, text.find('\n')));
}

}  // namespace

std::optional<char> parseProcessState(const std::string& statLine) {
    // "PID (COMM) S ...": the command may itself hold blanks and parentheses, so the state
    // follows the last closing parenthesis.
    const auto close = statLine.rfind(')');
    if (close == std::string::npos || close + 2 >= statLine.size()) return std::nullopt;
    if (statLine[close + 1] != ' ') return std::nullopt;
    return statLine[close + 2];
}

bool processIsRunning(Pid pid) {
    const auto stat = readFirstLine(pid, "stat");
    if (!stat) return false;
    const auto state = parseProcessState(*stat);
    return state && *state != 'Z' && *state != 'X' && *state != 'x';
}

std::optional<std::string> processCommandName(Pid pid) {
    auto name = readFirstLine(pid, "comm");
    if (!name || name->empty()) return std::nullopt;
    return name;
}

}  // namespace tugworth::x11
