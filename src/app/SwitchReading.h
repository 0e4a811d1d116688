// The rule for reading the four switches: all on until the settings have been initialised.
#pragma once

#include <string_view>

#include "app/SettingsKeys.h"
#include "app/UserDefaults.h"

namespace tugworth {

inline bool readSwitch(const UserDefaults& defaults, std::string_view key) {
    if (!defaults.boolForKey(settings::kPreferencesInitialized)) return true;
    return defaults.boolForKey(key);
}

}  // namespace tugworth
