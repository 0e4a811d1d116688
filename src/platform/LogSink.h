// Where diagnostic lines go: standard output in the programs, a buffer in tests.
#pragma once

#include <string_view>

namespace tugworth {

class LogSink {
public:
    virtual ~LogSink() = default;
    // One complete diagnostic, without its line feed.
    virtual void writeLine(std::string_view line) = 0;
    virtual void flush() {}
};

// Drops every line: for measuring the work of logging without the cost of writing it.
class NullLogSink final : public LogSink {
public:
    void writeLine(std::string_view /*line*/) override {}
};

// Writes lines to standard output; buffered, flushed by flush() and at exit.
class StdoutLogSink final : public LogSink {
public:
    void writeLine(std::string_view line) override;
    void flush() override;
};

}  // namespace tugworth
