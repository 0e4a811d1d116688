// The Dock choice: the activation policy at will-finish-launching and at launch.
#include "app/AppDelegate.h"
#include "app/SwitchReading.h"

namespace tugworth {

namespace {

std::string_view choiceName(bool visible) {
    return visible ? "visible" : "hidden";
}

}  // namespace

ActivationPolicy policyFor(bool dockVisible) {
    return dockVisible ? ActivationPolicy::Regular : ActivationPolicy::Accessory;
}

void AppDelegate::setInitialDockVisibility() {
    // Before the defaults are registered: unless initialised, the Dock counts as visible.
    const bool visible = readSwitch(userDefaults, settings::kShowInDock);
    log_.debug("Setting initial dock visibility: ", choiceName(visible));
    platform_.toolkit.setActivationPolicy(policyFor(visible));
}

void AppDelegate::applyLaunchDockVisibility(const VisibilityChoice& choice) {
    if (choice.menuBarVisible) setupStatusItem();
    Toolkit& application = platform_.toolkit;
    const ActivationPolicy wanted = policyFor(choice.dockVisible);
    if (application.activationPolicy() == wanted) {
        log_.debug("Dock visibility already correct: ", choiceName(choice.dockVisible));
        return;
    }
    log_.debug("Reapplying dock visibility: ", choiceName(choice.dockVisible));
    application.setActivationPolicy(wanted);
}

}  // namespace tugworth
