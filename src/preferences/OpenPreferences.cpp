// The "Preferences..." command: one controller for the whole run, shown on every opening.
#include "app/AppDelegate.h"
#include "preferences/PreferencesWindowController.h"

namespace tugworth {

void AppDelegate::openPreferences() {
    if (!preferences_) {
        preferences_ =
            std::make_unique<PreferencesWindowController>(userDefaults, platform_.toolkit, log_);
    }
    // The first access loads the window, and its set-up centres it; centred again every time.
    if (Window* window = preferences_->window()) window->center();
    preferences_->showWindow();
    platform_.toolkit.activateIgnoringOtherApps(true);
}

}  // namespace tugworth
