// The fixed lists the search filters with: processes that are never a target, and the titles
// of Finder's desktop-like windows. Membership is exact, case-sensitive equality.
#pragma once

#include <algorithm>
#include <array>
#include <string_view>

#include "platform/Element.h"

namespace tugworth {

// Owners skipped by the first pass of the window-list search.
inline constexpr std::array<std::string_view, 8> firstPassSkipNames{
    "Dock",           "SystemUIServer",      "Tugworth",      "WindowServer",
    "Control Center", "Notification Center", "Window Server", "Wispr Flow"};

// The same without "Wispr Flow": the fall-back pass and the Accessibility stage may use its
// windows.
inline constexpr std::array<std::string_view, 7> systemProcessNames{
    "Dock",           "SystemUIServer",      "Tugworth",     "WindowServer",
    "Control Center", "Notification Center", "Window Server"};

inline constexpr std::array<Pid, 3> systemProcessIDs{1, 0, 420};

inline constexpr std::array<std::string_view, 5> finderDesktopTitles{"Desktop", "", "Trash (Full)",
                                                                     "Trash (Empty)", "Trash"};

inline constexpr std::string_view kFinderOwnerName = "Finder";
// This application's own name, as its windows give it.
inline constexpr std::string_view kOwnApplicationName = "Tugworth";

template <class List, class Item>
constexpr bool listContains(const List& list, const Item& item) {
    return std::find(list.begin(), list.end(), item) != list.end();
}

}  // namespace tugworth
