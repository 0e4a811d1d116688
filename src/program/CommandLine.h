// The command line: the few options of the option table, read once at start-up.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "program/LogLevel.h"

namespace tugworth {

struct CommandLine {
    enum class Action { Run, PrintHelp, PrintVersion, Refuse };
    Action action = Action::Run;
    LogLevel logLevel = LogLevel::Debug;
    std::string problem;  // why the arguments were refused
};

// Reads the arguments after the program's name. Every option may appear once; an option's
// value follows it as the next argument or after "=".
CommandLine parseCommandLine(const std::vector<std::string>& arguments);

// The usage line, the summary and every option, as `--help` prints them.
std::string usageText();

// Prints what --help, --version or refused arguments call for and answers the exit status;
// nothing when the program should run.
std::optional<int> answerCommandLine(const CommandLine& commandLine);

}  // namespace tugworth
