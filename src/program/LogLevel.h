// How much of the log reaches standard output: a level drops the lines below it.
#pragma once

#include <optional>
#include <string_view>

#include "platform/LogSink.h"

namespace tugworth {

enum class LogLevel { Debug, Info, Warning, Error };

std::optional<LogLevel> logLevelNamed(std::string_view name);

// Passes on the lines of `minimum` and above, judged by their level tag. Lines without a tag
// continue a debug dump (the error-code table) and go with debug.
class LevelFilterLogSink final : public LogSink {
public:
    LevelFilterLogSink(LogSink& target, LogLevel minimum) : target_(target), minimum_(minimum) {}
    void writeLine(std::string_view line) override;
    void flush() override { target_.flush(); }

private:
    LogSink& target_;
    LogLevel minimum_;
};

}  // namespace tugworth
