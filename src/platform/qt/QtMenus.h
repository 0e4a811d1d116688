// Menus as data turned into QMenu and QAction, with their key equivalents.
#pragma once

#include <cstdint>
#include <string_view>

#include <QKeySequence>
#include <QList>

#include "platform/Menu.h"

class QAction;
class QMenu;

namespace tugworth::qt {

// Where the menu items' actions go, and whether an action can be performed at the moment.
class ActionTarget {
public:
    virtual ~ActionTarget() = default;
    virtual void sendAction(std::string_view action) = 0;
    virtual bool validateAction(std::string_view action) = 0;
};

// A key equivalent as a Qt shortcut: Command is Ctrl, Option is Alt, Control is Meta (the
// same swap Qt makes on macOS), and an upper-case letter adds Shift.
QKeySequence keySequenceFor(std::string_view keyEquivalent, std::uint64_t modifierMask);

// Adds the items of `menu` to `qmenu`, submenus included. Each item sends its action to
// `target`; items are enabled as the target validates them each time a menu opens.
void populateMenu(QMenu& qmenu, const Menu& menu, ActionTarget& target);

// Every action below `qmenu` (submenus included) that has a shortcut.
QList<QAction*> actionsWithShortcuts(const QMenu& qmenu);

}  // namespace tugworth::qt
