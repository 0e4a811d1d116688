#include "app/ApplicationMenu.h"

#include <string>

namespace tugworth {

namespace {

MenuItem item(std::string title, std::string action, std::string key) {
    MenuItem result;
    result.title = std::move(title);
    result.action = std::move(action);
    result.keyEquivalent = std::move(key);
    return result;
}

MenuItem submenuItem(std::string title, std::shared_ptr<Menu> submenu) {
    MenuItem result = item(std::move(title), "", "");
    result.submenu = std::move(submenu);
    return result;
}

}  // namespace

std::shared_ptr<Menu> makeApplicationMenu(const std::shared_ptr<Menu>& servicesMenu) {
    MenuItem hideOthers = item("Hide Others", "hideOtherApplications:", "h");
    hideOthers.modifierMask = kModifierCommand | kModifierOption;
    auto menu = std::make_shared<Menu>();
    menu->title = "Tugworth";
    menu->items = {
        item("About Tugworth", "orderFrontStandardAboutPanel:", ""),
        MenuItem::separator(),
        item("Preferences...", "openPreferences:", ","),
        MenuItem::separator(),
        submenuItem("Services", servicesMenu),
        MenuItem::separator(),
        item("Hide Tugworth", "hide:", "h"),
        hideOthers,
        item("Show All", "unhideAllApplications:", ""),
        MenuItem::separator(),
        item("Quit Tugworth", "terminate:", "q"),
    };
    return menu;
}

std::shared_ptr<Menu> makeMainMenu(const std::shared_ptr<Menu>& applicationMenu) {
    auto edit = std::make_shared<Menu>();
    edit->title = "Edit";
    edit->items = {
        item("Undo", "undo:", "z"),
        item("Redo", "redo:", "Z"),
        MenuItem::separator(),
        item("Cut", "cut:", "x"),
        item("Copy", "copy:", "c"),
        item("Paste", "paste:", "v"),
        item("Select All", "selectAll:", "a"),
    };
    auto help = std::make_shared<Menu>();
    help->title = "Help";
    help->items = {item("Tugworth Help", "showHelp:", "?")};

    auto mainMenu = std::make_shared<Menu>();
    mainMenu->items = {
        submenuItem("Tugworth", applicationMenu),
        submenuItem("Edit", edit),
        submenuItem("Help", help),
    };
    return mainMenu;
}

}  // namespace tugworth
