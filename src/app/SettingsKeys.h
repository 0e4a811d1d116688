// The seven settings, in one table: key, kind and registered default. The launch rule, the
// preferences window and the tools that drive it all read this table.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <string_view>

#include "platform/Value.h"

namespace tugworth::settings {

inline constexpr std::string_view kEnableDragging = "enableDragging";
inline constexpr std::string_view kEnableResizing = "enableResizing";
inline constexpr std::string_view kShowInDock = "showInDock";
inline constexpr std::string_view kShowInMenuBar = "showInMenuBar";
inline constexpr std::string_view kDragModifier = "dragModifier";
inline constexpr std::string_view kResizeModifier = "resizeModifier";
inline constexpr std::string_view kPreferencesInitialized = "preferencesInitialized";

inline constexpr std::string_view kDefaultDragModifier = "Command+Control";
inline constexpr std::string_view kDefaultResizeModifier = "Command+Control+Shift";

enum class Kind : std::uint8_t { Switch, Text };

struct Setting {
    std::string_view key;
    Kind kind;
    bool defaultSwitch;            // for a Switch
    std::string_view defaultText;  // for a Text
    bool inPreferencesWindow;      // bound to a control of the preferences window

    Value defaultValue() const {
        return kind == Kind::Switch ? Value(defaultSwitch) : Value(defaultText);
    }
};

inline constexpr std::array<Setting, 7> kAll{{
    {kEnableDragging, Kind::Switch, true, {}, true},
    {kEnableResizing, Kind::Switch, true, {}, true},
    {kShowInDock, Kind::Switch, true, {}, true},
    {kShowInMenuBar, Kind::Switch, true, {}, true},
    {kDragModifier, Kind::Text, false, kDefaultDragModifier, true},
    {kResizeModifier, Kind::Text, false, kDefaultResizeModifier, true},
    {kPreferencesInitialized, Kind::Switch, true, {}, false},
}};

// The setting named `key`, or null.
inline const Setting* find(std::string_view key) {
    const auto* found =
        std::find_if(kAll.begin(), kAll.end(), [key](const Setting& s) { return s.key == key; });
    return found == kAll.end() ? nullptr : found;
}

// The setting named `key` when the preferences window binds a control to it, or null.
inline const Setting* findInPreferencesWindow(std::string_view key) {
    const Setting* setting = find(key);
    return setting != nullptr && setting->inPreferencesWindow ? setting : nullptr;
}

}  // namespace tugworth::settings
