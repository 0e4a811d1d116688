// Construction and the lifecycle callbacks of the application delegate.
#include "app/AppDelegate.h"

#include "app/SettingsKeys.h"
#include "platform/MenuActions.h"
#include "preferences/PreferencesWindowController.h"

namespace tugworth {

namespace {
constexpr std::string_view kTestHostVariable = "XCTestConfigurationFilePath";
}

AppDelegate::AppDelegate(UserDefaults& store, Platform& platform)
    : userDefaults(store), platform_(platform), log_(platform.logSink) {}

AppDelegate::~AppDelegate() = default;

bool AppDelegate::isRunningUnderTestHost() {
    return platform_.desktop.environmentContains(kTestHostVariable);
}

void AppDelegate::applicationWillFinishLaunching() {
    setInitialDockVisibility();
}

void AppDelegate::applicationDidFinishLaunching() {
    log_.debug("Application launched");
    const bool underTestHost = isRunningUnderTestHost();
    if (!underTestHost) {
        checkAccessibilityPermissions();
        setupEventMonitoring();
        setupMainMenu();
    }
    registerDefaultSettings();
    const bool showInMenuBar = userDefaults.boolForKey(settings::kShowInMenuBar);
    const bool showInDock = userDefaults.boolForKey(settings::kShowInDock);
    log_.debug("Loading preferences - showInDock: ", showInDock,
               ", showInMenuBar: ", showInMenuBar);
    const VisibilityChoice choice = applyLaunchVisibilityRule();
    if (!underTestHost) applyLaunchDockVisibility(choice);
    logErrorCodeTable();
}

void AppDelegate::logErrorCodeTable() {
    log_.debug("AX Error codes:");
    for (const auto& [code, name] : kAllAXErrors) log_.plain(name, ": ", code);
}

void AppDelegate::applicationWillTerminate() {
    userDefaults.synchronize();
    log_.debug("Application will terminate - saving preferences");
}

bool AppDelegate::performAction(std::string_view action) {
    if (action == actions::kOpenPreferences) {
        openPreferences();
        return true;
    }
    if (action == actions::kShowHelp) {
        showHelpAlert();
        return true;
    }
    return false;
}

}  // namespace tugworth
