#include "platform/Log.h"

namespace tugworth {

// Messages of our own never hold control characters, so escaping the finished line is the
// same as escaping every value that came from another program, and cannot be forgotten.
void Log::emit() {
    if (needsLogEscape(line_)) {
        sink_.writeLine(escapeForLog(line_));
    } else {
        sink_.writeLine(line_);
    }
}

}  // namespace tugworth
