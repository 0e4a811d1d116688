// The seven settings: their keys and registered defaults.
#pragma once

#include <string_view>

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

}  // namespace tugworth::settings
