// The Accessibility permission gate: the trust test with its cached result, and the one
// request per run (the platform's own prompt plus a modal alert pointing at the settings pane).
#include "app/AppDelegate.h"

namespace tugworth {

namespace {

constexpr std::string_view kSettingsURL =
    "x-apple.systempreferences:com.apple.preference.security?Privacy_Accessibility";

Alert permissionAlert() {
    Alert alert;
    alert.messageText = "Accessibility Permissions Required";
    alert.informativeText =
        "This app needs accessibility permissions to move and resize windows. Please grant "
        "permission in System Settings > Privacy & Security > Accessibility.";
    alert.style = AlertStyle::Warning;
    alert.buttons = {"Open System Settings", "Later"};
    return alert;
}

}  // namespace

void AppDelegate::checkAccessibilityPermissions() {
    // The platform's own request is asked for only until this run has shown the alert.
    const bool trusted =
        platform_.accessibility.isProcessTrustedWithOptions(!hasShownPermissionDialog);
    hasAccessibilityPermissions = trusted;
    lastPermissionCheckTime = platform_.desktop.now();
    if (trusted) {
        log_.debug("Accessibility permissions granted");
        return;
    }
    log_.warning("Accessibility permissions not granted. Some features may not work.");
    if (hasShownPermissionDialog) return;
    // Set before the alert runs: events handled inside its nested loop must not open another.
    hasShownPermissionDialog = true;
    if (platform_.toolkit.runModal(permissionAlert()) == kAlertFirstButtonReturn) {
        platform_.desktop.openURL(kSettingsURL);
    }
}

}  // namespace tugworth
