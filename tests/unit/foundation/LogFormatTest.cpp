// How values and other programs' text are written into diagnostic lines.
#include <gtest/gtest.h>

#include <limits>

#include "platform/Log.h"
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

// Valid UTF-8 is kept; controls (C0, DEL, C1) and bytes that are no UTF-8 are escaped, so
// that text from other programs cannot break or forge a line. Rows that escape nothing
// also show that needsLogEscape lets them through.
TEST(LogFormat, EscapesControlsAndInvalidUtf8ExactlyAtTheEdges) {
    const std::pair<std::string_view, std::string_view> cases[] = {
        {"caf\xC3\xA9 \xF0\x9F\xAA\x9F", "caf\xC3\xA9 \xF0\x9F\xAA\x9F"},
        {"evil\n[SUCCESS] forged\r\t\x01\x1F ~", "evil\\n[SUCCESS] forged\\r\\t\\x01\\x1f ~"},
        {"a\x7F", "a\\x7f"},                           // DEL
        {"x\xC2\x85y", "x\\x85y"},                     // NEL, a C1 line break
        {"\xC2\x9F", "\\x9f"},                         // the last C1 control
        {"\xC2\xA0", "\xC2\xA0"},                      // and the character after it
        {"\xF4\x8F\xBF\xBF", "\xF4\x8F\xBF\xBF"},      // the last code point
        {"\xF4\x90\x80\x80", "\\xf4\\x90\\x80\\x80"},  // the first past it
        {"a\xFF"
         "b",
         "a\\xffb"},                                   // never UTF-8
        {"\xC3", "\\xc3"},                             // truncated sequence
        {"\xED\xA0\x80", "\\xed\\xa0\\x80"},           // a surrogate
        {"\xE0\x80\xAF", "\\xe0\\x80\\xaf"},           // overlong, three bytes
        {"\xE0\x9F\xBF", "\\xe0\\x9f\\xbf"},           // the last overlong one
        {"\xE0\xA0\x80", "\xE0\xA0\x80"},              // U+0800 itself
        {"\xF0\x80\x80\xAF", "\\xf0\\x80\\x80\\xaf"},  // overlong, four bytes
    };
    for (const auto& [text, escaped] : cases) {
        EXPECT_EQ(escapeForLog(text), escaped);
        EXPECT_EQ(needsLogEscape(text), text != escaped) << escaped;
    }
    class Lines : public LogSink {
    public:
        void writeLine(std::string_view line) override { lines.emplace_back(line); }
        std::vector<std::string> lines;
    } sink;
    Log(sink).debug("Window title: \"", std::string("a\nb\x7F"), "\"");
    EXPECT_EQ(sink.lines, std::vector<std::string>{"[DEBUG] Window title: \"a\\nb\\x7f\""});
}

}  // namespace
}  // namespace tugworth
