// A log sink that keeps every line, for tests and for the scenario runner's comparisons.
#pragma once

#include <string>
#include <vector>

#include "platform/LogSink.h"

namespace tugworth::sim {

class LogCapture final : public LogSink {
public:
    void writeLine(std::string_view line) override;
    const std::vector<std::string>& lines() const { return lines_; }
    void clear() { lines_.clear(); }
    // Every line joined with line feeds, each one ended.
    std::string text() const;

private:
    std::vector<std::string> lines_;
};

}  // namespace tugworth::sim
