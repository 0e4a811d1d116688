// Registration of the default settings and the launch rule for the Dock and menu bar.
#include "app/AppDelegate.h"
#include "app/SettingsKeys.h"

namespace tugworth {

void AppDelegate::registerDefaultSettings() {
    using namespace settings;
    SettingsMap defaults;
    for (const Setting& setting : kAll) defaults[std::string(setting.key)] = setting.defaultValue();
    userDefaults.registerDefaults(std::move(defaults));
    userDefaults.synchronize();
    // Only a false stored explicitly can read false here: the one-time write.
    if (!userDefaults.boolForKey(kPreferencesInitialized)) {
        userDefaults.setBool(true, kPreferencesInitialized);
        userDefaults.setBool(true, kEnableDragging);
        userDefaults.setBool(true, kEnableResizing);
        userDefaults.synchronize();
    }
}

// Runs after registerDefaultSettings(), whose one-time write has marked the settings
// initialised, so only the pair itself is left to repair.
VisibilityChoice AppDelegate::applyLaunchVisibilityRule() {
    using namespace settings;
    const bool dock = userDefaults.boolForKey(kShowInDock);
    const bool menuBar = userDefaults.boolForKey(kShowInMenuBar);
    if (!dock && !menuBar) {
        // The program must stay reachable somewhere.
        userDefaults.setBool(true, kShowInMenuBar);
        userDefaults.synchronize();
        return {false, true};
    }
    return {dock, menuBar};
}

}  // namespace tugworth
