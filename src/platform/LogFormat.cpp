#include "platform/LogFormat.h"

#include <array>
#include <charconv>
#include <cmath>

namespace tugworth {

namespace {

template <class Int>
void appendInteger(std::string& out, Int value) {
    std::array<char, 24> buffer{};
    auto [end, ec] = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value);
    (void)ec;  // 24 characters hold every 64-bit integer
    out.append(buffer.data(), end);
}

// Length of the valid UTF-8 sequence at text[i], or 0 when it is not one.
std::size_t utf8SequenceLength(std::string_view text, std::size_t i) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char lead = byte(i);
    std::size_t length = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0) low = 0xA0;
        if (lead == 0xED) high = 0x9F;  // no surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0) low = 0x90;
        if (lead == 0xF4) high = 0x8F;
    } else {
        return 0;
    }
    if (i + length > text.size()) return 0;
    if (byte(i + 1) < low || byte(i + 1) > high) return 0;
    for (std::size_t k = 2; k < length; ++k) {
        if (byte(i + k) < 0x80 || byte(i + k) > 0xBF) return 0;
    }
    return length;
}

bool isC1Control(std::string_view text, std::size_t i) {
    return static_cast<unsigned char>(text[i]) == 0xC2 &&
           static_cast<unsigned char>(text[i + 1]) <= 0x9F;
}

void appendHexEscape(std::string& out, unsigned char c) {
    static constexpr std::string_view kDigits = "0123456789abcdef";
    out += "\\x";
    out += kDigits[c >> 4U];
    out += kDigits[c & 0xFU];
}

}  // namespace

void appendLogValue(std::string& out, double value) {
    std::array<char, 64> buffer{};
    char* first = buffer.data();
    char* last = buffer.data() + buffer.size();
    const double magnitude = std::fabs(value);
    const bool fixed = magnitude == 0.0 || (magnitude >= 1e-4 && magnitude < 1e16);
    if (!std::isfinite(value)) {
        out += std::isnan(value) ? "nan" : (value < 0 ? "-inf" : "inf");
        return;
    }
    auto [end, ec] = std::to_chars(
        first, last, value, fixed ? std::chars_format::fixed : std::chars_format::scientific);
    (void)ec;  // 64 characters hold the shortest form of every double in these ranges
    const std::string_view digits(first, static_cast<std::size_t>(end - first));
    out += digits;
    if (fixed && digits.find('.') == std::string_view::npos) out += ".0";
}

void appendLogValue(std::string& out, Point value) {
    out += '(';
    appendLogValue(out, value.x);
    out += ", ";
    appendLogValue(out, value.y);
    out += ')';
}

void appendLogValue(std::string& out, Size value) {
    out += '(';
    appendLogValue(out, value.width);
    out += ", ";
    appendLogValue(out, value.height);
    out += ')';
}

void appendLogValue(std::string& out, Rect value) {
    out += '(';
    appendLogValue(out, value.x);
    out += ", ";
    appendLogValue(out, value.y);
    out += ", ";
    appendLogValue(out, value.width);
    out += ", ";
    appendLogValue(out, value.height);
    out += ')';
}

void appendLogValue(std::string& out, bool value) {
    out += value ? "true" : "false";
}
void appendLogValue(std::string& out, std::int32_t value) {
    appendInteger(out, value);
}
void appendLogValue(std::string& out, std::int64_t value) {
    appendInteger(out, value);
}
void appendLogValue(std::string& out, std::uint64_t value) {
    appendInteger(out, value);
}
void appendLogValue(std::string& out, AXError value) {
    appendInteger(out, toInt(value));
}
void appendLogValue(std::string& out, std::string_view text) {
    out += text;
}

std::string formatDouble(double value) {
    std::string out;
    appendLogValue(out, value);
    return out;
}

bool needsLogEscape(std::string_view line) {
    for (std::size_t i = 0; i < line.size(); ++i) {
        const auto c = static_cast<unsigned char>(line[i]);
        if (c < 0x20 || c == 0x7F) return true;
        if (c >= 0x80) {
            const std::size_t length = utf8SequenceLength(line, i);
            if (length == 0 || (length == 2 && isC1Control(line, i))) return true;
            i += length - 1;
        }
    }
    return false;
}

std::string escapeForLog(std::string_view text) {
    std::string out;
    out.reserve(text.size() + 8);
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c == '\n') {
            out += "\\n";
        } else if (c == '\r') {
            out += "\\r";
        } else if (c == '\t') {
            out += "\\t";
        } else if (c < 0x20 || c == 0x7F) {
            appendHexEscape(out, c);
        } else if (c < 0x80) {
            out += static_cast<char>(c);
        } else {
            const std::size_t length = utf8SequenceLength(text, i);
            if (length == 0) {
                appendHexEscape(out, c);
            } else if (length == 2 && isC1Control(text, i)) {
                appendHexEscape(out, static_cast<unsigned char>(text[i + 1]));
                i += 1;
            } else {
                out.append(text.substr(i, length));
                i += length - 1;
            }
        }
    }
    return out;
}

}  // namespace tugworth
