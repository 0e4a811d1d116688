// The Accessibility names that cross layers: attributes, roles, subroles and actions. Every
// reader and writer of an element uses these, so that a misspelt name does not compile.
#pragma once

#include <string_view>

namespace tugworth::ax {

// Attributes of a window element.
inline constexpr std::string_view kPosition = "AXPosition";
inline constexpr std::string_view kSize = "AXSize";
inline constexpr std::string_view kFrame = "AXFrame";
inline constexpr std::string_view kRole = "AXRole";
inline constexpr std::string_view kSubrole = "AXSubrole";
inline constexpr std::string_view kTitle = "AXTitle";
inline constexpr std::string_view kMinimized = "AXMinimized";
inline constexpr std::string_view kHidden = "AXHidden";
inline constexpr std::string_view kParent = "AXParent";
inline constexpr std::string_view kActions = "AXActions";
// Attributes of an application element.
inline constexpr std::string_view kWindows = "AXWindows";
inline constexpr std::string_view kFocusedWindow = "AXFocusedWindow";
inline constexpr std::string_view kMainWindow = "AXMainWindow";

// Roles and subroles.
inline constexpr std::string_view kApplicationRole = "AXApplication";
inline constexpr std::string_view kWindowRole = "AXWindow";
inline constexpr std::string_view kStandardWindowSubrole = "AXStandardWindow";
inline constexpr std::string_view kDialogSubrole = "AXDialog";
inline constexpr std::string_view kFloatingWindowSubrole = "AXFloatingWindow";
inline constexpr std::string_view kUnknownSubrole = "AXUnknown";

// Actions.
inline constexpr std::string_view kMoveAction = "AXMove";
inline constexpr std::string_view kRaiseAction = "AXRaise";

}  // namespace tugworth::ax
