// Menus as plain data: the core builds them, the toolkit shows them.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/Events.h"

namespace tugworth {

struct Menu;

struct MenuItem {
    std::string title;
    std::string action;         // empty: no action
    std::string keyEquivalent;  // lower case or punctuation: Command+key; upper case: +Shift
    std::uint64_t modifierMask = kModifierCommand;
    bool isSeparator = false;
    std::shared_ptr<Menu> submenu;

    static MenuItem separator() {
        MenuItem item;
        item.isSeparator = true;
        item.modifierMask = 0;
        return item;
    }
};

// Held by shared pointer: the services menu is recognised by identity.
struct Menu {
    std::string title;
    std::vector<MenuItem> items;
};

}  // namespace tugworth
