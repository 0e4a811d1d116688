// The diagnostic log: one line per message, a level tag, values written by LogFormat.
#pragma once

#include <string>
#include <string_view>

#include "platform/LogFormat.h"
#include "platform/LogSink.h"

namespace tugworth {

class Log {
public:
    explicit Log(LogSink& sink) : sink_(sink) {}
    Log(const Log&) = delete;
    Log& operator=(const Log&) = delete;

    template <class... Parts>
    void debug(const Parts&... parts) {
        write("[DEBUG] ", parts...);
    }
    template <class... Parts>
    void info(const Parts&... parts) {
        write("[INFO] ", parts...);
    }
    template <class... Parts>
    void warning(const Parts&... parts) {
        write("[WARNING] ", parts...);
    }
    template <class... Parts>
    void error(const Parts&... parts) {
        write("[ERROR] ", parts...);
    }
    template <class... Parts>
    void success(const Parts&... parts) {
        write("[SUCCESS] ", parts...);
    }
    // A line written as given, for the few lines that carry no level tag.
    template <class... Parts>
    void plain(const Parts&... parts) {
        write("", parts...);
    }

    LogSink& sink() { return sink_; }

private:
    template <class... Parts>
    void write(std::string_view tag, const Parts&... parts) {
        line_.assign(tag);
        (appendLogValue(line_, parts), ...);
        emit();
    }
    void emit();

    LogSink& sink_;
    std::string line_;  // reused so that steady logging does not allocate
};

}  // namespace tugworth
