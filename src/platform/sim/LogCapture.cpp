#include "platform/sim/LogCapture.h"

namespace tugworth::sim {

void LogCapture::writeLine(std::string_view line) {
    lines_.emplace_back(line);
}

std::string LogCapture::text() const {
    std::string out;
    for (const auto& line : lines_) {
        out += line;
        out += '\n';
    }
    return out;
}

}  // namespace tugworth::sim
