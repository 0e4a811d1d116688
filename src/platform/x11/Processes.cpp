// Process facts from /proc: whether a process still runs, and its command name.
#include "platform/x11/Processes.h"

#include <fstream>

namespace tugworth::x11 {
namespace {

std::optional<std::string> readFirstLine(Pid pid, const char* file) {
    if (pid <= 0) return std::nullopt;
    std::ifstream in("/proc/" + std::to_string(pid) + "/" + file);
    std::string line;
    if (!in || !std::getline(in, line)) return std::nullopt;
    return line;
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
