// How values and other programs' text are written into diagnostic lines.
#include <gtest/gtest.h>

#include <limits>

#include "platform/LogFormat.h"

namespace tugworth {
namespace {

TEST(LogFormat, DoublesAreShortestWithAFractionalPartOrAnExponentOutsideTheFixedRange) {
    const std::pair<double, const char*> cases[] = {
        {12.0, "12.0"},
        {-3.5, "-3.5"},
        {0.0, "0.0"},
        {-0.0, "-0.0"},
        {0.1 + 0.2, "0.30000000000000004"},
        {1e-4, "0.0001"},
        {9999999999999998.0, "9999999999999998.0"},
        {1e-5, "1e-05"},
        {1e16, "1e+16"},
        {-2.5e20, "-2.5e+20"},
        {std::numeric_limits<double>::denorm_min(), "5e-324"},
        {std::numeric_limits<double>::infinity(), "inf"},
        {std::numeric_limits<double>::quiet_NaN(), "nan"},
    };
    for (const auto& [value, text] : cases) EXPECT_EQ(formatDouble(value), text);
    std::string out;
    appendLogValue(out, Point{512.0, 384.5});
    appendLogValue(out, Size{800.0, 600.0});
    appendLogValue(out, Rect{1.0, -2.0, 3.5, 4.0});
    appendLogValue(out, true);
    appendLogValue(out, AXError::kAXErrorInvalidUIElement);
    EXPECT_EQ(out, "(512.0, 384.5)(800.0, 600.0)(1.0, -2.0, 3.5, 4.0)true-25202");
}

// Bytes that are no UTF-8 are escaped exactly at the edges of what is valid; controls and
// valid text of other programs in log lines belong to a capture scenario.
TEST(LogFormat, EscapesInvalidUtf8ExactlyAtTheEdges) {
    const std::pair<std::string_view, std::string_view> cases[] = {
        {"\xF4\x90\x80\x80", "\\xf4\\x90\\x80\\x80"},  // past the last code point
        {"a\xFF"
         "b",
         "a\\xffb"},                                   // never UTF-8
        {"\xC3", "\\xc3"},                             // truncated sequence
        {"\xED\xA0\x80", "\\xed\\xa0\\x80"},           // a surrogate
        {"\xE0\x80\xAF", "\\xe0\\x80\\xaf"},           // overlong, three bytes
        {"\xE0\x9F\xBF", "\\xe0\\x9f\\xbf"},           // the last overlong one
        {"\xF0\x80\x80\xAF", "\\xf0\\x80\\x80\\xaf"},  // overlong, four bytes
    };
    for (const auto& [text, escaped] : cases) {
        EXPECT_EQ(escapeForLog(text), escaped);
        EXPECT_EQ(needsLogEscape(text), text != escaped) << escaped;
    }
}

}  // namespace
}  // namespace tugworth
