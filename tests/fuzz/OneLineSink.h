// A log sink for fuzz targets: every diagnostic must be one line of printable UTF-8. The first
// line that is not stays on record for the caller to report.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

#include "platform/LogFormat.h"
#include "platform/LogSink.h"

namespace tugworth::fuzz {

inline bool isOneCleanLine(std::string_view text) {
    return text.find_first_of("\r\n") == std::string_view::npos && !needsLogEscape(text);
}

// Reports the offending text on standard error and aborts, so that libFuzzer keeps the input.
[[noreturn]] inline void failWith(std::string_view what, std::string_view text) {
    std::fprintf(stderr, "%s: %s\n", std::string(what).c_str(), escapeForLog(text).c_str());
    std::abort();
}

struct OneLineSink final : LogSink {
    void writeLine(std::string_view line) override {
        if (!badLine && !isOneCleanLine(line)) badLine = escapeForLog(line);
    }
    void requireCleanLines() const {
        if (badLine) failWith("diagnostic is not one clean line", *badLine);
    }
    std::optional<std::string> badLine;  // the first line that was not one clean line, escaped
};

}  // namespace tugworth::fuzz
