// The application delegate: the one long-lived object that owns the run-time state of the
// gesture machinery and receives the application's lifecycle callbacks. Its operations are
// defined in the folder of their subsystem (app/, input/, targeting/).
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/UserDefaults.h"
#include "platform/Geometry.h"
#include "platform/Log.h"
#include "platform/Platform.h"
#include "targeting/Targeting.h"

namespace tugworth {

class PreferencesWindowController;

// The Dock and menu-bar presence a launch settles on.
struct VisibilityChoice {
    bool dockVisible = true;
    bool menuBarVisible = true;
};

// The activation policy that shows (Regular) or hides (Accessory) the Dock icon.
ActivationPolicy policyFor(bool dockVisible);

class AppDelegate final : public ApplicationDelegate {
public:
    // Builds nothing on the platform yet: that waits for the launch callbacks.
    AppDelegate(UserDefaults& userDefaults, Platform& platform);
    ~AppDelegate() override;
    AppDelegate(const AppDelegate&) = delete;
    AppDelegate& operator=(const AppDelegate&) = delete;

    // --- lifecycle (app/AppDelegate.cpp) ---
    void applicationWillFinishLaunching() override;
    void applicationDidFinishLaunching() override;
    void applicationWillTerminate() override;
    bool applicationSupportsSecureRestorableState() override { return true; }
    bool performAction(std::string_view action) override;  // openPreferences:, showHelp:
    bool isRunningUnderTestHost();
    void logErrorCodeTable();

    // --- settings rules (app/LaunchSettings.cpp) ---
    void registerDefaultSettings();
    VisibilityChoice applyLaunchVisibilityRule();  // after registerDefaultSettings()

    // --- Dock and menu-bar presence, menus, help (app/) ---
    void setInitialDockVisibility();
    void applyLaunchDockVisibility(const VisibilityChoice& choice);
    void setupStatusItem();
    void setStatusItemVisible(bool visible);
    void setupMainMenu();
    void showHelpAlert();
    void openPreferences();  // the "openPreferences:" menu action

    // --- gesture input (input/) ---
    void checkAccessibilityPermissions();
    void handleFlagsChanged(const Event& event);
    void setupEventMonitoring();
    void handleMouseMove(const Event& event);
    void moveTargetWindow(double dx, double dy, const Element& element);
    void resizeTargetWindow(double dx, double dy, const Element& element);

    // --- window targeting (targeting/, over the narrow context; app/WindowTargeting.cpp) ---
    TargetingContext targeting();
    void captureWindow();
    void logWindowInfo(const Element& element);
    std::optional<WindowSearchResult> findWindowUnderPointer();
    std::vector<Element> getAllAccessibleWindows(Pid pid);
    std::string processName(Pid pid);
    void logWindowFrames(const Element& element, std::int64_t index);
    bool isWindowUnderMouse(const Element& element, Point location);
    std::optional<Element> getFinderWindow(Pid pid);

    // --- stored fields, in declaration order ---
    std::shared_ptr<StatusItem> statusItem;  // present while shown in the menu bar
    UserDefaults& userDefaults;
    bool isResizing = false;
    bool isDragging = false;
    Point initialLocation{0.0, 0.0};
    std::optional<Element> targetWindow;
    bool hasAccessibilityPermissions = false;
    std::optional<std::chrono::system_clock::time_point> lastPermissionCheckTime;
    bool hasShownPermissionDialog = false;

    Platform& platform() { return platform_; }
    Log& log() { return log_; }
    PreferencesWindowController* preferencesWindowController() { return preferences_.get(); }

private:
    Platform& platform_;
    Log log_;
    std::unique_ptr<PreferencesWindowController> preferences_;  // created on first opening
};

}  // namespace tugworth
