// The preferences window's controller: the six settings as observable properties that the
// window's controls bind to, copied from the settings store on load and cancel, written back
// on save, with the rule that the Dock and the menu bar are never both switched off.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "app/UserDefaults.h"
#include "platform/Log.h"
#include "platform/Toolkit.h"
#include "preferences/ObservableProperty.h"

namespace tugworth {

class PreferencesWindowController final : public BindableObject {
public:
    // The window is not loaded here but on first use of window().
    PreferencesWindowController(UserDefaults& userDefaults, Toolkit& toolkit, Log& log);
    ~PreferencesWindowController() override;
    PreferencesWindowController(const PreferencesWindowController&) = delete;
    PreferencesWindowController& operator=(const PreferencesWindowController&) = delete;

    static constexpr std::string_view windowNibName() { return "PreferencesWindow"; }

    // The window, loaded from its resource (and set up by windowDidLoad) on the first call.
    // Null while the resource cannot be loaded; the next call tries again.
    Window* window();
    void showWindow();  // loads the window first when needed
    void close();

    // Called once, right after the window has been loaded.
    void windowDidLoad();
    // The controller's own observer of "showInDock" and "showInMenuBar".
    void observeValueForKeyPath(std::string_view keyPath, const Value& newValue);

    void loadPreferences();
    void savePreferences();
    void applyDockVisibility();

    // Actions of the window's controls.
    void savePreferencesAction();
    void cancelAction();

    // The six properties: getters and setters.
    bool enableDragging() const { return enableDragging_.get(); }
    bool enableResizing() const { return enableResizing_.get(); }
    bool showInDock() const { return showInDock_.get(); }
    bool showInMenuBar() const { return showInMenuBar_.get(); }
    const std::string& dragModifier() const { return dragModifier_.get(); }
    const std::string& resizeModifier() const { return resizeModifier_.get(); }
    void setEnableDragging(bool value);
    void setEnableResizing(bool value);
    void setShowInDock(bool value);
    void setShowInMenuBar(bool value);
    void setDragModifier(std::string value);
    void setResizeModifier(std::string value);

    // BindableObject: what the window's controls bind to. The keys are the property names;
    // the actions "savePreferencesAction:" and "cancelAction:".
    Value valueForKey(std::string_view key) const override;
    void setValueForKey(std::string_view key, const Value& value) override;
    ObserverId addObserver(std::string_view key, Observer observer) override;
    void removeObserver(ObserverId id) override;
    void performAction(std::string_view action) override;

    // --- stored fields, in declaration order ---
    bool isEnforcingVisibility = false;  // true only while the visibility rule is repairing
    bool isObservingVisibility = false;  // the own observers are registered
    UserDefaults& userDefaults;

private:
    using VisibilitySetter = void (PreferencesWindowController::*)(bool);

    void setVisibility(ObservableProperty<bool>& property, bool value, VisibilitySetter repair);
    // The setter of the switch bound under `key`, one of the four switches of the window.
    void setSwitch(std::string_view key, bool value);
    bool bothVisibilityOff() const { return !showInDock() && !showInMenuBar(); }
    // Switches the other side on under the guard, unless a repair is already under way.
    void enforceVisibility(VisibilitySetter repair);

    KeyValueObservers observers_;
    ObservableProperty<bool> enableDragging_;
    ObservableProperty<bool> enableResizing_;
    ObservableProperty<bool> showInDock_;
    ObservableProperty<bool> showInMenuBar_;
    ObservableProperty<std::string> dragModifier_;
    ObservableProperty<std::string> resizeModifier_;

    Toolkit& toolkit_;
    Log& log_;
    std::unique_ptr<Window> window_;
    ObserverId dockObserver_ = 0;
    ObserverId menuBarObserver_ = 0;
    // Work queued on the main loop holds a weak reference, so it does nothing once we are gone.
    std::shared_ptr<PreferencesWindowController*> lifetime_;
};

}  // namespace tugworth
