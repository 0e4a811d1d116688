// Where the settings store keeps its values between runs.
#pragma once

#include <functional>
#include <map>
#include <string>

#include "platform/Value.h"

namespace tugworth {

using SettingsMap = std::map<std::string, Value, std::less<>>;

class SettingsStorage {
public:
    virtual ~SettingsStorage() = default;

    // Everything persisted, as found. Unreadable storage answers what it could read (or
    // nothing) and reports the fault itself: losing the values is not the caller's error.
    virtual SettingsMap load() = 0;
    // Replaces the persisted values as a whole; false when they could not be written.
    virtual bool save(const SettingsMap& values) = 0;

protected:
    SettingsStorage() = default;
    SettingsStorage(const SettingsStorage&) = delete;
    SettingsStorage& operator=(const SettingsStorage&) = delete;
};

}  // namespace tugworth
