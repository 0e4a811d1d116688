#include "platform/LogSink.h"

#include <cstdio>

namespace tugworth {

void StdoutLogSink::writeLine(std::string_view line) {
    std::fwrite(line.data(), 1, line.size(), stdout);
    std::fputc('\n', stdout);
}

void StdoutLogSink::flush() {
    std::fflush(stdout);
}

}  // namespace tugworth
