// The dynamically typed value of an Accessibility attribute or of a window-list entry.
// Readers test the kind before use: the other program decides what it hands us.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "platform/AXValue.h"
#include "platform/Element.h"

namespace tugworth {

class Value {
public:
    using Array = std::vector<Value>;
    using Dictionary = std::map<std::string, Value, std::less<>>;

    enum class Kind : std::uint8_t {
        None,
        Boolean,
        Integer,
        Real,
        String,
        Element,
        Geometry,
        Array,
        Dictionary
    };

    Value() = default;
    Value(bool v) : data_(v) {}
    Value(int v) : data_(std::int64_t{v}) {}
    Value(long v) : data_(std::int64_t{v}) {}
    Value(long long v) : data_(std::int64_t{v}) {}
    Value(double v) : data_(v) {}
    Value(std::string v) : data_(std::move(v)) {}
    Value(std::string_view v) : data_(std::string(v)) {}
    Value(const char* v) : data_(std::string(v)) {}
    Value(tugworth::Element v) : data_(v) {}
    Value(AXValue v) : data_(v) {}
    Value(Array v) : data_(std::move(v)) {}
    Value(Dictionary v) : data_(std::move(v)) {}

    Kind kind() const { return static_cast<Kind>(data_.index()); }
    bool isNone() const { return kind() == Kind::None; }

    // Each answers null when the value is of another kind.
    const bool* asBool() const { return std::get_if<bool>(&data_); }
    const std::int64_t* asInteger() const { return std::get_if<std::int64_t>(&data_); }
    const double* asReal() const { return std::get_if<double>(&data_); }
    const std::string* asString() const { return std::get_if<std::string>(&data_); }
    const tugworth::Element* asElement() const { return std::get_if<tugworth::Element>(&data_); }
    const AXValue* asAXValue() const { return std::get_if<AXValue>(&data_); }
    const Array* asArray() const { return std::get_if<Array>(&data_); }
    const Dictionary* asDictionary() const { return std::get_if<Dictionary>(&data_); }

    // An integer or a real, as a double; nothing for any other kind.
    std::optional<double> asNumber() const {
        if (const auto* i = asInteger()) return static_cast<double>(*i);
        if (const auto* r = asReal()) return *r;
        return std::nullopt;
    }

    // The entry under `key` of a dictionary; null when absent or when this is no dictionary.
    const Value* find(std::string_view key) const {
        const auto* dict = asDictionary();
        if (dict == nullptr) return nullptr;
        auto it = dict->find(key);
        return it == dict->end() ? nullptr : &it->second;
    }

    friend bool operator==(const Value&, const Value&) = default;

private:
    std::variant<std::monostate, bool, std::int64_t, double, std::string, tugworth::Element,
                 AXValue, Array, Dictionary>
        data_;
};

}  // namespace tugworth
