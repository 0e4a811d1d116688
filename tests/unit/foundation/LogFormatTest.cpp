// How values are written into diagnostic lines.
#include <gtest/gtest.h>

#include <limits>

#include "platform/Log.h"
#include "platform/LogFormat.h"

namespace tugworth {
namespace {

TEST(LogFormat, DoublesAreShortestWithAFractionalPart) {
    EXPECT_EQ(formatDouble(12.0), "12.0");
    EXPECT_EQ(formatDouble(-3.5), "-3.5");
    EXPECT_EQ(formatDouble(0.25), "0.25");
    EXPECT_EQ(formatDouble(0.0), "0.0");
    EXPECT_EQ(formatDouble(-0.0), "-0.0");
    EXPECT_EQ(formatDouble(0.1 + 0.2), "0.30000000000000004");
    EXPECT_EQ(formatDouble(1920.0), "1920.0");
    EXPECT_EQ(formatDouble(1e-4), "0.0001");
    EXPECT_EQ(formatDouble(9999999999999998.0), "9999999999999998.0");
}

TEST(LogFormat, DoublesOutsideTheFixedRangeUseAnExponent) {
    EXPECT_EQ(formatDouble(1e-5), "1e-05");
    EXPECT_EQ(formatDouble(1e16), "1e+16");
    EXPECT_EQ(formatDouble(-2.5e20), "-2.5e+20");
    EXPECT_EQ(formatDouble(std::numeric_limits<double>::denorm_min()), "5e-324");
    EXPECT_EQ(formatDouble(std::numeric_limits<double>::infinity()), "inf");
    EXPECT_EQ(formatDouble(std::numeric_limits<double>::quiet_NaN()), "nan");
}

TEST(LogFormat, GeometryBooleansAndCodes) {
    std::string out;
    appendLogValue(out, Point{512.0, 384.5});
    appendLogValue(out, Size{800.0, 600.0});
    appendLogValue(out, Rect{1.0, -2.0, 3.5, 4.0});
    appendLogValue(out, true);
    appendLogValue(out, AXError::kAXErrorInvalidUIElement);
    EXPECT_EQ(out, "(512.0, 384.5)(800.0, 600.0)(1.0, -2.0, 3.5, 4.0)true-25202");
}

class CollectingSink : public LogSink {
public:
    void writeLine(std::string_view line) override { lines.emplace_back(line); }
    std::vector<std::string> lines;
};

TEST(LogFormat, TextFromOtherProgramsCannotBreakOrForgeALine) {
    CollectingSink sink;
    Log log(sink);
    log.debug("Window title: \"", std::string("evil\n[SUCCESS] forged\r\t\x01"), "\"");
    ASSERT_EQ(sink.lines.size(), 1U);
    EXPECT_EQ(sink.lines[0], "[DEBUG] Window title: \"evil\\n[SUCCESS] forged\\r\\t\\x01\"");
}

TEST(LogFormat, InvalidUtf8AndC1ControlsAreEscapedButValidTextIsKept) {
    EXPECT_EQ(escapeForLog("caf\xC3\xA9 \xF0\x9F\xAA\x9F"), "caf\xC3\xA9 \xF0\x9F\xAA\x9F");
    EXPECT_FALSE(needsLogEscape("caf\xC3\xA9"));
    EXPECT_EQ(escapeForLog("a\xFF"
                           "b"),
              "a\\xffb");
    EXPECT_EQ(escapeForLog("\xC3"), "\\xc3");                    // truncated sequence
    EXPECT_EQ(escapeForLog("\xED\xA0\x80"), "\\xed\\xa0\\x80");  // a surrogate is not UTF-8
    EXPECT_EQ(escapeForLog("\xE0\x80\xAF"), "\\xe0\\x80\\xaf");  // overlong encodings
    EXPECT_EQ(escapeForLog("\xF0\x80\x80\xAF"), "\\xf0\\x80\\x80\\xaf");
    EXPECT_EQ(escapeForLog("x\xC2\x85y"), "x\\x85y");  // NEL, a C1 line break
    EXPECT_TRUE(needsLogEscape("\x7F"));
    EXPECT_EQ(escapeForLog("\x7F"), "\\x7f");
    // The edges: the last C1 control and the first character after it; the last code point
    // and the first past it.
    for (const std::string_view kept : {"\xC2\xA0", "\xF4\x8F\xBF\xBF"}) {
        EXPECT_FALSE(needsLogEscape(kept));
        EXPECT_EQ(escapeForLog(kept), kept);
    }
    EXPECT_TRUE(needsLogEscape("\xC2\x9F"));
    EXPECT_EQ(escapeForLog("\xC2\x9F"), "\\x9f");
    EXPECT_TRUE(needsLogEscape("\xF4\x90\x80\x80"));
    EXPECT_EQ(escapeForLog("\xF4\x90\x80\x80"), "\\xf4\\x90\\x80\\x80");
}

}  // namespace
}  // namespace tugworth
