// Reading the scenario's JSON: values with the path that led to them, readers that turn a
// value of the wrong kind or range into a fault naming that path, and the parse that refuses
// duplicate keys and documents nested too deep.
#pragma once

#include <cstddef>
#include <cstdint>
#include <nlohmann/json.hpp>
#include <string>
#include <string_view>
#include <vector>

#include "ScenarioParser.h"
#include "platform/AXError.h"
#include "platform/Element.h"
#include "platform/Geometry.h"
#include "platform/Value.h"

namespace tugworth::scenario {

using Json = nlohmann::ordered_json;

// Thrown by the readers, caught once by parseScenario.
struct Fault {
    ScenarioFault fault;
};

[[noreturn]] void fail(std::string path, std::string message);
std::string inQuotes(std::string_view text);

// A JSON value with the path that led to it.
struct Node {
    const Json& json;
    std::string path;

    Node child(std::string_view key) const {
        std::string p = path.empty() ? std::string(key) : path + "." + std::string(key);
        return {json.at(std::string(key)), std::move(p)};
    }
    Node at(std::size_t index) const {
        return {json.at(index), path + "[" + std::to_string(index) + "]"};
    }
    bool has(std::string_view key) const { return json.contains(std::string(key)); }
    std::string childPath(std::string_view key) const {
        return path.empty() ? std::string(key) : path + "." + std::string(key);
    }
};

[[noreturn]] void wrongKind(const Node& node, std::string_view expected);
void requireObject(const Node& node, const std::vector<std::string_view>& allowed);
// The array's length; a fault for any other kind.
std::size_t requireArray(const Node& node);
void requireKey(const Node& node, std::string_view key);

bool readBool(const Node& node);
std::string readString(const Node& node);
std::vector<std::string> readStrings(const Node& node);
std::int64_t readInteger(const Node& node, std::int64_t min, std::int64_t max);
Pid readPid(const Node& node);
std::int64_t readWindowId(const Node& node);
int readInt(const Node& node);
AXError readCode(const Node& node);
double readNumber(const Node& node);
Point readPoint(const Node& node);
Size readSize(const Node& node);
Rect readRect(const Node& node);
// Any JSON as a value: objects become dictionaries.
Value plainValue(const Node& node);

// The document parsed; a fault for text that is not JSON, a duplicate key or deep nesting.
Json parseDocument(std::string_view text);

}  // namespace tugworth::scenario
