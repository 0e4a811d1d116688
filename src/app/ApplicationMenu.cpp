#include "app/ApplicationMenu.h"
#include "platform/MenuActions.h"

#include <string>

namespace tugworth {

namespace {

MenuItem item(std::string title, std::string_view action, std::string key) {
    MenuItem result;
    result.title = std::move(title);
    result.action = std::string(action);
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
    MenuItem hideOthers = item("Hide Others", actions::kHideOthers, "h");
    hideOthers.modifierMask = kModifierCommand | kModifierOption;
    auto menu = std::make_shared<Menu>();
    menu->title = "Tugworth";
    menu->items = {
        item("About Tugworth", actions::kAbout, ""),
        MenuItem::separator(),
        item("Preferences...", actions::kOpenPreferences, ","),
        MenuItem::separator(),
        submenuItem("Services", servicesMenu),
        MenuItem::separator(),
        item("Hide Tugworth", actions::kHide, "h"),
        hideOthers,
        item("Show All", actions::kShowAll, ""),
        MenuItem::separator(),
        item("Quit Tugworth", actions::kQuit, "q"),
    };
    return menu;
}

std::shared_ptr<Menu> makeMainMenu(const std::shared_ptr<Menu>& applicationMenu) {
    auto edit = std::make_shared<Menu>();
    edit->title = "Edit";
    edit->items = {
        item("Undo", actions::kUndo, "z"),
        item("Redo", actions::kRedo, "Z"),
        MenuItem::separator(),
        item("Cut", actions::kCut, "x"),
        item("Copy", actions::kCopy, "c"),
        item("Paste", actions::kPaste, "v"),
        item("Select All", actions::kSelectAll, "a"),
    };
    auto help = std::make_shared<Menu>();
    help->title = "Help";
    help->items = {item("Tugworth Help", actions::kShowHelp, "?")};

    auto mainMenu = std::make_shared<Menu>();
    mainMenu->items = {
        submenuItem("Tugworth", applicationMenu),
        submenuItem("Edit", edit),
        submenuItem("Help", help),
    };
    return mainMenu;
}

}  // namespace tugworth
