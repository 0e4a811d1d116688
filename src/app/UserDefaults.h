// The settings store: stored values (persisted) over registered defaults (this run only).
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/SettingsStorage.h"
#include "platform/Value.h"

namespace tugworth {

class UserDefaults {
public:
    // Loads what the storage holds; the storage reports its own faults.
    explicit UserDefaults(SettingsStorage& storage);
    UserDefaults(const UserDefaults&) = delete;
    UserDefaults& operator=(const UserDefaults&) = delete;

    // Replaces the registered layer.
    void registerDefaults(SettingsMap defaults);

    // The stored value, else the registered one, else false. A number reads true when
    // non-zero; a string when, after leading blanks, a sign and leading zeros, it goes on
    // with Y, y, T, t or a digit 1-9.
    bool boolForKey(std::string_view key) const;
    // The stored value, else the registered one, else nothing. A number reads as its decimal
    // text (a Boolean as "1" or "0"); other kinds read as nothing.
    std::optional<std::string> stringForKey(std::string_view key) const;

    // Store a value in the stored layer; written out by the next synchronize.
    void setBool(bool value, std::string_view key);
    void setObject(Value value, std::string_view key);

    // Writes the stored layer to the storage when it has changed; false when that failed.
    bool synchronize();

    const SettingsMap& storedValues() const { return stored_; }

private:
    const Value* lookup(std::string_view key) const;

    SettingsStorage& storage_;
    SettingsMap stored_;
    SettingsMap registered_;
    bool dirty_ = false;
};

// Converts a stored value the way boolForKey and stringForKey read it.
bool readValueAsBool(const Value& value);
std::optional<std::string> readValueAsString(const Value& value);

}  // namespace tugworth
