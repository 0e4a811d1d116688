#include "app/UserDefaults.h"

#include <array>
#include <charconv>

namespace tugworth {

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

bool stringReadsTrue(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && isBlank(text[i])) ++i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
    while (i < text.size() && text[i] == '0') ++i;
    if (i == text.size()) return false;
    const char c = text[i];
    return c == 'Y' || c == 'y' || c == 'T' || c == 't' || (c >= '1' && c <= '9');
}

}  // namespace

bool readValueAsBool(const Value& value) {
    if (const auto* b = value.asBool()) return *b;
    if (const auto* i = value.asInteger()) return *i != 0;
    if (const auto* r = value.asReal()) return *r != 0.0;
    if (const auto* s = value.asString()) return stringReadsTrue(*s);
    return false;
}

std::optional<std::string> readValueAsString(const Value& value) {
    if (const auto* s = value.asString()) return *s;
    if (const auto* b = value.asBool()) return std::string(*b ? "1" : "0");
    if (const auto* i = value.asInteger()) return std::to_string(*i);
    if (const auto* r = value.asReal()) {
        std::array<char, 32> buffer{};
        auto [end, ec] = std::to_chars(buffer.data(), buffer.data() + buffer.size(), *r);
        if (ec != std::errc{}) return std::nullopt;
        return std::string(buffer.data(), end);
    }
    return std::nullopt;
}

UserDefaults::UserDefaults(SettingsStorage& storage) : storage_(storage), stored_(storage.load()) {}

void UserDefaults::registerDefaults(SettingsMap defaults) {
    registered_ = std::move(defaults);
}

const Value* UserDefaults::lookup(std::string_view key) const {
    if (auto it = stored_.find(key); it != stored_.end()) return &it->second;
    if (auto it = registered_.find(key); it != registered_.end()) return &it->second;
    return nullptr;
}

bool UserDefaults::boolForKey(std::string_view key) const {
    const Value* value = lookup(key);
    return value != nullptr && readValueAsBool(*value);
}

std::optional<std::string> UserDefaults::stringForKey(std::string_view key) const {
    const Value* value = lookup(key);
    if (value == nullptr) return std::nullopt;
    return readValueAsString(*value);
}

void UserDefaults::setBool(bool value, std::string_view key) {
    setObject(Value(value), key);
}

void UserDefaults::setObject(Value value, std::string_view key) {
    auto it = stored_.find(key);
    if (it == stored_.end()) {
        stored_.emplace(std::string(key), std::move(value));
        dirty_ = true;
    } else if (!(it->second == value)) {
        it->second = std::move(value);
        dirty_ = true;
    }
}

bool UserDefaults::synchronize() {
    if (!dirty_) return true;
    if (!storage_.save(stored_)) return false;
    dirty_ = false;
    return true;
}

}  // namespace tugworth
