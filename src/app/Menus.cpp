// The status item and the main menu.
#include "app/AppDelegate.h"
#include "app/ApplicationMenu.h"

namespace tugworth {

namespace {
constexpr std::string_view kStatusImageName = "tugworth.iconset";
constexpr std::string_view kWindowPictograph = "\U0001FA9F";

// A fresh, empty services menu, installed as the application's: the last one installed wins.
std::shared_ptr<Menu> installFreshServicesMenu(Toolkit& application) {
    auto services = std::make_shared<Menu>();
    services->title = "Services";
    application.setServicesMenu(services);
    return services;
}
}  // namespace

void AppDelegate::setupStatusItem() {
    Toolkit& application = platform_.toolkit;
    statusItem = application.statusItemWithLength(kVariableStatusItemLength);
    if (statusItem->hasButton()) {
        statusItem->setButtonImage(application.imageNamed(kStatusImageName));
        if (!statusItem->buttonHasImage())
            statusItem->setButtonTitle(std::string(kWindowPictograph));
    }
    statusItem->setMenu(makeApplicationMenu(installFreshServicesMenu(application)));
}

void AppDelegate::setStatusItemVisible(bool visible) {
    if (visible && !statusItem) {
        setupStatusItem();
    } else if (!visible && statusItem) {
        platform_.toolkit.removeStatusItem(statusItem);
        statusItem.reset();
    }
}

void AppDelegate::setupMainMenu() {
    Toolkit& application = platform_.toolkit;
    auto applicationMenu = makeApplicationMenu(installFreshServicesMenu(application));
    application.setMainMenu(makeMainMenu(applicationMenu));
}

void AppDelegate::showHelpAlert() {
    if (isRunningUnderTestHost()) return;
    Alert alert;
    alert.messageText = "Tugworth Help";
    alert.informativeText =
        "To drag a window:\n"
        "- Hold Command+Control and move your mouse\n"
        "\n"
        "To resize a window:\n"
        "- Hold Command+Control+Shift and move your mouse\n"
        "\n"
        "You can customize these shortcuts in Preferences.";
    platform_.toolkit.runModal(alert);
}

}  // namespace tugworth
