// The command-line parser and the log level it sets.
#include <gtest/gtest.h>

#include "platform/sim/LogCapture.h"
#include "program/CommandLine.h"

namespace tugworth {
namespace {

using Action = CommandLine::Action;

TEST(CommandLineParser, ReadsEachOptionAndRefusesWhatItDoesNotKnow) {
    const struct {
        std::vector<std::string> arguments;
        Action action;
        LogLevel level;
    } cases[] = {
        {{}, Action::Run, LogLevel::Debug},
        {{"--log-level", "warning"}, Action::Run, LogLevel::Warning},
        {{"--log-level=error"}, Action::Run, LogLevel::Error},
        {{"--version", "--help"}, Action::PrintHelp, LogLevel::Debug},
        {{"--log-level"}, Action::Refuse, LogLevel::Debug},
        {{"--log-level", "loud"}, Action::Refuse, LogLevel::Debug},
        {{"--log-level=info", "--log-level=info"}, Action::Refuse, LogLevel::Debug},
        {{"--version=2"}, Action::Refuse, LogLevel::Debug},
        {{"-v"}, Action::Refuse, LogLevel::Debug},
    };
    for (const auto& c : cases) {
        const CommandLine parsed = parseCommandLine(c.arguments);
        SCOPED_TRACE(c.arguments.empty() ? "" : c.arguments.front());
        EXPECT_EQ(parsed.action, c.action);
        EXPECT_EQ(parsed.action == Action::Refuse, !parsed.problem.empty());
        if (c.action != Action::Refuse) {
            EXPECT_EQ(parsed.logLevel, c.level);
        }
    }
}

TEST(CommandLineParser, ALevelDropsTheLinesBelowIt) {
    sim::LogCapture capture;
    LevelFilterLogSink warnings(capture, LogLevel::Warning);
    for (const char* line : {"[DEBUG] a", "kAXErrorSuccess: 0", "[INFO] b", "[SUCCESS] c",
                             "[WARNING] d", "[ERROR] e"}) {
        warnings.writeLine(line);
    }
    EXPECT_EQ(capture.lines(), (std::vector<std::string>{"[WARNING] d", "[ERROR] e"}));
}

}  // namespace
}  // namespace tugworth
