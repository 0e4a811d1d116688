// How values are written in diagnostic lines.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/AXError.h"
#include "platform/Geometry.h"

namespace tugworth {

// Shortest text that reads back to the same double: fixed with at least one fractional digit
// for magnitudes in [1e-4, 1e16) and for zero (12.0, -3.5, 0.25, -0.0), exponent form
// outside (1e-05, 1e+16).
void appendLogValue(std::string& out, double value);
void appendLogValue(std::string& out, Point value);  // (x, y)
void appendLogValue(std::string& out, Size value);   // (width, height)
void appendLogValue(std::string& out, Rect value);   // (x, y, width, height)
void appendLogValue(std::string& out, bool value);   // true / false
void appendLogValue(std::string& out, std::int32_t value);
void appendLogValue(std::string& out, std::int64_t value);
void appendLogValue(std::string& out, std::uint64_t value);
void appendLogValue(std::string& out, AXError value);  // signed decimal
void appendLogValue(std::string& out, std::string_view text);
inline void appendLogValue(std::string& out, const std::string& text) {
    appendLogValue(out, std::string_view(text));
}
inline void appendLogValue(std::string& out, const char* text) {
    appendLogValue(out, std::string_view(text));
}

std::string formatDouble(double value);

// Whether `line` holds anything that escapeForLog would change.
bool needsLogEscape(std::string_view line);
// Makes text from other programs safe for a one-line log: control characters (C0, DEL, C1)
// become \n, \r, \t or \xNN, and bytes that are not valid UTF-8 become \xNN.
std::string escapeForLog(std::string_view text);

}  // namespace tugworth
