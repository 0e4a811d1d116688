// The action names of menu items and window controls, shared by the menus that send them and
// the toolkits and controllers that perform them.
#pragma once

#include <string_view>

namespace tugworth::actions {

// The application menu.
inline constexpr std::string_view kAbout = "orderFrontStandardAboutPanel:";
inline constexpr std::string_view kOpenPreferences = "openPreferences:";
inline constexpr std::string_view kHide = "hide:";
inline constexpr std::string_view kHideOthers = "hideOtherApplications:";
inline constexpr std::string_view kShowAll = "unhideAllApplications:";
inline constexpr std::string_view kQuit = "terminate:";
// The Edit menu.
inline constexpr std::string_view kUndo = "undo:";
inline constexpr std::string_view kRedo = "redo:";
inline constexpr std::string_view kCut = "cut:";
inline constexpr std::string_view kCopy = "copy:";
inline constexpr std::string_view kPaste = "paste:";
inline constexpr std::string_view kSelectAll = "selectAll:";
// The Help menu.
inline constexpr std::string_view kShowHelp = "showHelp:";
// The preferences window's buttons.
inline constexpr std::string_view kSavePreferences = "savePreferencesAction:";
inline constexpr std::string_view kCancelPreferences = "cancelAction:";

}  // namespace tugworth::actions
