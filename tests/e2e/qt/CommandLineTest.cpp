// The command-line parser: each option, its value, and what it refuses.
#include <gtest/gtest.h>

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

}  // namespace
}  // namespace tugworth
