#include "program/LogLevel.h"

#include <array>
#include <utility>

namespace tugworth {

namespace {

LogLevel levelOfLine(std::string_view line) {
    // [SUCCESS] reports the outcome of an operation, as [INFO] does.
    constexpr std::array<std::pair<std::string_view, LogLevel>, 4> kTags{{
        {"[ERROR] ", LogLevel::Error},
        {"[WARNING] ", LogLevel::Warning},
        {"[INFO] ", LogLevel::Info},
        {"[SUCCESS] ", LogLevel::Info},
    }};
    for (const auto& [tag, level] : kTags) {
        if (line.starts_with(tag)) return level;
    }
    return LogLevel::Debug;
}

}  // namespace

std::optional<LogLevel> logLevelNamed(std::string_view name) {
    if (name == "debug") return LogLevel::Debug;
    if (name == "info") return LogLevel::Info;
    if (name == "warning") return LogLevel::Warning;
    if (name == "error") return LogLevel::Error;
    return std::nullopt;
}

void LevelFilterLogSink::writeLine(std::string_view line) {
    if (minimum_ == LogLevel::Debug || levelOfLine(line) >= minimum_) target_.writeLine(line);
}

}  // namespace tugworth
