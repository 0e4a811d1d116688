// The command line, written once: `--help` prints it and the manual page is generated from it,
// so the two cannot drift apart.
#pragma once

#include <array>
#include <string_view>

namespace tugworth {

struct CommandLineOption {
    std::string_view name;      // "--log-level"
    std::string_view argument;  // "LEVEL", or empty for a flag
    std::string_view help;      // one sentence
};

inline constexpr std::string_view kProgramName = "tugworth";
inline constexpr std::string_view kProgramSummary =
    "move and resize windows by holding a modifier chord";
inline constexpr std::string_view kProgramDescription =
    "Hold Super+Ctrl and move the pointer: the window under the pointer follows it. Add Shift "
    "and the window's bottom-right corner follows instead. The chords can be changed in the "
    "preferences window. Launching Tugworth while it runs opens the preferences of the running "
    "instance.";

inline constexpr std::array kCommandLineOptions{
    CommandLineOption{"--log-level", "LEVEL",
                      "Write only the log lines of LEVEL and above: debug (every line, the "
                      "default), info, warning or error."},
    CommandLineOption{"--version", "", "Print the name and version, then exit."},
    CommandLineOption{"--help", "", "Print this help, then exit."},
};

}  // namespace tugworth
