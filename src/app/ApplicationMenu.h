// The menus the program builds in code, as data.
#pragma once

#include <memory>

#include "platform/Menu.h"

namespace tugworth {

// The application menu, shared by the status item and the main menu. Its "Services" item
// carries `servicesMenu` as its submenu.
std::shared_ptr<Menu> makeApplicationMenu(const std::shared_ptr<Menu>& servicesMenu);
// The main menu: the application item (with `applicationMenu`), Edit and Help.
std::shared_ptr<Menu> makeMainMenu(const std::shared_ptr<Menu>& applicationMenu);

}  // namespace tugworth
