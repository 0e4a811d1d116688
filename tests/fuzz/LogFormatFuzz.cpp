// Arbitrary bytes through the log: every diagnostic must stay one line of valid UTF-8.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "OneLineSink.h"
#include "platform/Log.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    tugworth::fuzz::OneLineSink sink;
    tugworth::Log log(sink);
    log.debug("Window title: \"", text, "\"");
    // Escaping is idempotent on its own output: escaped text needs no further escaping.
    if (tugworth::needsLogEscape(tugworth::escapeForLog(text))) std::abort();
    if (size >= sizeof(double)) {
        double value = 0;
        std::memcpy(&value, data, sizeof value);
        log.debug("Moving window by dx: ", value, ", dy: ", -value);
        const std::string formatted = tugworth::formatDouble(value);
        if (std::isfinite(value) && std::strtod(formatted.c_str(), nullptr) != value) std::abort();
    }
    sink.requireCleanLines();
    return 0;
}
