#include "JsonReading.h"

#include <array>
#include <cmath>
#include <limits>
#include <optional>
#include <set>

namespace tugworth::scenario {

namespace {

const char* kindName(const Json& json) {
    switch (json.type()) {
        case Json::value_t::null:
            return "null";
        case Json::value_t::boolean:
            return "a Boolean";
        case Json::value_t::string:
            return "a string";
        case Json::value_t::array:
            return "an array";
        case Json::value_t::object:
            return "an object";
        default:
            return "a number";
    }
}

template <std::size_t N>
std::array<double, N> readNumbers(const Node& node, std::string_view shape) {
    if (!node.json.is_array() || node.json.size() != N)
        fail(node.path, "expected " + std::string(shape));
    std::array<double, N> out{};
    for (std::size_t i = 0; i < N; ++i) out[i] = readNumber(node.at(i));
    return out;
}

// The reader walks values recursively: deeper documents are refused rather than left to
// exhaust the stack.
constexpr std::size_t kMaxNesting = 100;

// Duplicate keys are a fault, but the parser would keep one silently: spot them while parsing,
// tracking the path of the value being read. Nesting beyond kMaxNesting is spotted too.
class DuplicateKeyFinder {
public:
    bool operator()(int /*depth*/, Json::parse_event_t event, Json& parsed) {
        switch (event) {
            case Json::parse_event_t::object_start:
            case Json::parse_event_t::array_start:
                if (frames_.size() == kMaxNesting && !tooDeep_) tooDeep_ = path();
                frames_.push_back({event == Json::parse_event_t::array_start, {}, 0, {}});
                break;
            case Json::parse_event_t::key: {
                Frame& top = frames_.back();
                top.key = parsed.get<std::string>();
                if (!top.keys.insert(top.key).second && !found_) found_ = path();
                break;
            }
            case Json::parse_event_t::object_end:
            case Json::parse_event_t::array_end:
                frames_.pop_back();
                elementDone();
                break;
            case Json::parse_event_t::value:
                elementDone();
                break;
        }
        return true;
    }

    const std::optional<std::string>& duplicate() const { return found_; }
    const std::optional<std::string>& tooDeep() const { return tooDeep_; }

private:
    struct Frame {
        bool isArray;
        std::string key;
        std::size_t index;
        std::set<std::string> keys;
    };

    void elementDone() {
        if (!frames_.empty() && frames_.back().isArray) ++frames_.back().index;
    }

    std::string path() const {
        std::string p;
        for (const Frame& f : frames_) {
            if (f.isArray)
                p += "[" + std::to_string(f.index) + "]";
            else
                p += (p.empty() ? "" : ".") + f.key;
        }
        return p;
    }

    std::vector<Frame> frames_;
    std::optional<std::string> found_;
    std::optional<std::string> tooDeep_;
};

}  // namespace

[[noreturn]] void fail(std::string path, std::string message) {
    throw Fault{{path.empty() ? "scenario" : std::move(path), std::move(message)}};
}

std::string inQuotes(std::string_view text) {
    return Json(text).dump();
}

[[noreturn]] void wrongKind(const Node& node, std::string_view expected) {
    fail(node.path, "expected " + std::string(expected) + ", found " + kindName(node.json));
}

void requireObject(const Node& node, const std::vector<std::string_view>& allowed) {
    if (!node.json.is_object()) wrongKind(node, "an object");
    for (const auto& [key, value] : node.json.items()) {
        bool known = false;
        for (std::string_view name : allowed) known = known || key == name;
        if (!known) fail(node.childPath(key), "unknown key");
    }
}

std::size_t requireArray(const Node& node) {
    if (!node.json.is_array()) wrongKind(node, "an array");
    return node.json.size();
}

void requireKey(const Node& node, std::string_view key) {
    if (!node.has(key)) fail(node.path, "missing key " + inQuotes(key));
}

bool readBool(const Node& node) {
    if (!node.json.is_boolean()) wrongKind(node, "a Boolean");
    return node.json.get<bool>();
}

std::string readString(const Node& node) {
    if (!node.json.is_string()) wrongKind(node, "a string");
    return node.json.get<std::string>();
}

std::vector<std::string> readStrings(const Node& node) {
    requireArray(node);
    std::vector<std::string> out;
    for (std::size_t i = 0; i < node.json.size(); ++i) out.push_back(readString(node.at(i)));
    return out;
}

std::int64_t readInteger(const Node& node, std::int64_t min, std::int64_t max) {
    if (node.json.is_number_unsigned()) {
        const auto v = node.json.get<std::uint64_t>();
        if (v > static_cast<std::uint64_t>(max)) fail(node.path, "number out of range");
        return static_cast<std::int64_t>(v);
    }
    if (!node.json.is_number_integer()) wrongKind(node, "an integer");
    const auto v = node.json.get<std::int64_t>();
    if (v < min || v > max) fail(node.path, "number out of range");
    return v;
}

Pid readPid(const Node& node) {
    return static_cast<Pid>(
        readInteger(node, std::numeric_limits<Pid>::min(), std::numeric_limits<Pid>::max()));
}

std::int64_t readWindowId(const Node& node) {
    return readInteger(node, std::numeric_limits<std::int64_t>::min(),
                       std::numeric_limits<std::int64_t>::max());
}

int readInt(const Node& node) {
    return static_cast<int>(
        readInteger(node, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

AXError readCode(const Node& node) {
    return static_cast<AXError>(readInteger(node, std::numeric_limits<std::int32_t>::min(),
                                            std::numeric_limits<std::int32_t>::max()));
}

double readNumber(const Node& node) {
    if (!node.json.is_number()) wrongKind(node, "a number");
    const double v = node.json.get<double>();
    if (!std::isfinite(v)) fail(node.path, "number out of range");
    return v;
}

Point readPoint(const Node& node) {
    const auto v = readNumbers<2>(node, "[x, y]");
    return {v[0], v[1]};
}

Size readSize(const Node& node) {
    const auto v = readNumbers<2>(node, "[width, height]");
    return {v[0], v[1]};
}

Rect readRect(const Node& node) {
    const auto v = readNumbers<4>(node, "[x, y, width, height]");
    if (v[2] < 0 || v[3] < 0) fail(node.path, "width and height must not be negative");
    return {v[0], v[1], v[2], v[3]};
}

Value plainValue(const Node& node) {
    const Json& j = node.json;
    switch (j.type()) {
        case Json::value_t::null:
            return Value();
        case Json::value_t::boolean:
            return Value(j.get<bool>());
        case Json::value_t::string:
            return Value(j.get<std::string>());
        case Json::value_t::number_integer:
        case Json::value_t::number_unsigned:
            return Value(readInteger(node, std::numeric_limits<std::int64_t>::min(),
                                     std::numeric_limits<std::int64_t>::max()));
        case Json::value_t::number_float:
            return Value(readNumber(node));
        case Json::value_t::array: {
            Value::Array items;
            for (std::size_t i = 0; i < j.size(); ++i) items.push_back(plainValue(node.at(i)));
            return Value(std::move(items));
        }
        case Json::value_t::object: {
            Value::Dictionary entries;
            for (const auto& [key, value] : j.items()) entries[key] = plainValue(node.child(key));
            return Value(std::move(entries));
        }
        default:
            fail(node.path, "unsupported JSON value");
    }
}

Json parseDocument(std::string_view text) {
    DuplicateKeyFinder duplicates;
    Json root;
    try {
        root = Json::parse(text.begin(), text.end(), std::ref(duplicates));
    } catch (const Json::exception& e) {
        // Mostly parse errors; also a number too large for a double (out_of_range).
        std::string what = e.what();
        // "[json.exception.parse_error.101] parse error at line 1, ..." without the tag.
        if (auto tagEnd = what.find("] "); tagEnd != std::string::npos) what.erase(0, tagEnd + 2);
        fail("", "not valid JSON: " + what);
    }
    if (duplicates.tooDeep())
        fail(*duplicates.tooDeep(),
             "nested more than " + std::to_string(kMaxNesting) + " levels deep");
    if (duplicates.duplicate()) fail(*duplicates.duplicate(), "duplicate key");
    return root;
}

}  // namespace tugworth::scenario
