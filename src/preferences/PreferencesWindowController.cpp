#include "preferences/PreferencesWindowController.h"

#include "app/AppDelegate.h"
#include "app/SettingsKeys.h"
#include "app/SwitchReading.h"
#include "platform/MenuActions.h"

namespace tugworth {

namespace {

constexpr std::string_view kWindowTitle = "Tugworth Preferences";

}  // namespace

PreferencesWindowController::PreferencesWindowController(UserDefaults& store, Toolkit& toolkit,
                                                         Log& log)
    : userDefaults(store),
      enableDragging_(observers_, settings::kEnableDragging, true),
      enableResizing_(observers_, settings::kEnableResizing, true),
      showInDock_(observers_, settings::kShowInDock, true),
      showInMenuBar_(observers_, settings::kShowInMenuBar, true),
      dragModifier_(observers_, settings::kDragModifier,
                    std::string(settings::kDefaultDragModifier)),
      resizeModifier_(observers_, settings::kResizeModifier,
                      std::string(settings::kDefaultResizeModifier)),
      toolkit_(toolkit),
      log_(log),
      lifetime_(std::make_shared<PreferencesWindowController*>(this)) {}

PreferencesWindowController::~PreferencesWindowController() {
    // The window goes first: its controls may still unbind themselves from us.
    window_.reset();
    if (isObservingVisibility) {
        observers_.remove(dockObserver_);
        observers_.remove(menuBarObserver_);
    }
}

// --- the window ---

Window* PreferencesWindowController::window() {
    if (window_) return window_.get();
    window_ = toolkit_.loadWindow(windowNibName(), *this);
    if (!window_) {
        log_.error("Could not load the window resource ", windowNibName());
        return nullptr;
    }
    windowDidLoad();
    return window_.get();
}

void PreferencesWindowController::showWindow() {
    if (Window* w = window()) w->show();
}

void PreferencesWindowController::close() {
    if (window_) window_->close();
}

void PreferencesWindowController::windowDidLoad() {
    loadPreferences();
    window_->setTitle(std::string(kWindowTitle));
    window_->center();
    // Kept when closed, so that the next opening shows the same window.
    window_->setReleasedWhenClosed(false);
    window_->setLevel(kFloatingWindowLevel);
    auto observe = [this](std::string_view key, const Value& newValue) {
        observeValueForKeyPath(key, newValue);
    };
    dockObserver_ = observers_.add(settings::kShowInDock, observe);
    menuBarObserver_ = observers_.add(settings::kShowInMenuBar, observe);
    isObservingVisibility = true;
}

// --- the visibility rule ---

void PreferencesWindowController::observeValueForKeyPath(std::string_view keyPath,
                                                         const Value& /*newValue*/) {
    VisibilitySetter repair = nullptr;
    if (keyPath == settings::kShowInDock) {
        repair = &PreferencesWindowController::setShowInMenuBar;
    } else if (keyPath == settings::kShowInMenuBar) {
        repair = &PreferencesWindowController::setShowInDock;
    } else {
        return;
    }
    if (!isEnforcingVisibility && bothVisibilityOff()) enforceVisibility(repair);
}

void PreferencesWindowController::enforceVisibility(VisibilitySetter repair) {
    const bool alreadyEnforcing = isEnforcingVisibility;
    isEnforcingVisibility = true;
    (this->*repair)(true);
    isEnforcingVisibility = alreadyEnforcing;
}

void PreferencesWindowController::setVisibility(ObservableProperty<bool>& property, bool value,
                                                VisibilitySetter repair) {
    property.store(value);
    if (!isEnforcingVisibility && bothVisibilityOff()) enforceVisibility(repair);
    // Observers hear of the change once the rule holds again.
    property.notifyObservers();
}

void PreferencesWindowController::setShowInDock(bool value) {
    setVisibility(showInDock_, value, &PreferencesWindowController::setShowInMenuBar);
}

void PreferencesWindowController::setShowInMenuBar(bool value) {
    setVisibility(showInMenuBar_, value, &PreferencesWindowController::setShowInDock);
}

void PreferencesWindowController::setEnableDragging(bool value) {
    enableDragging_.set(value);
}
void PreferencesWindowController::setEnableResizing(bool value) {
    enableResizing_.set(value);
}
void PreferencesWindowController::setDragModifier(std::string value) {
    dragModifier_.set(std::move(value));
}
void PreferencesWindowController::setResizeModifier(std::string value) {
    resizeModifier_.set(std::move(value));
}

// --- load, save, apply ---

void PreferencesWindowController::loadPreferences() {
    using namespace settings;
    // Until the settings have been initialised every switch counts as on. The menu bar is
    // set last, so a store holding both off comes back with the Dock switched on.
    setEnableDragging(readSwitch(userDefaults, kEnableDragging));
    setEnableResizing(readSwitch(userDefaults, kEnableResizing));
    setShowInDock(readSwitch(userDefaults, kShowInDock));
    setShowInMenuBar(readSwitch(userDefaults, kShowInMenuBar));
    setDragModifier(
        userDefaults.stringForKey(kDragModifier).value_or(std::string(kDefaultDragModifier)));
    setResizeModifier(
        userDefaults.stringForKey(kResizeModifier).value_or(std::string(kDefaultResizeModifier)));
    userDefaults.setBool(true, kPreferencesInitialized);
    log_.debug("Loaded preferences - showInDock: ", showInDock(),
               ", showInMenuBar: ", showInMenuBar());
}

void PreferencesWindowController::savePreferences() {
    using namespace settings;
    if (bothVisibilityOff()) {
        // Repaired even while another repair is under way (which only a re-entrant save can
        // meet): the store must never receive both switched off.
        enforceVisibility(&PreferencesWindowController::setShowInMenuBar);
        Alert alert;
        alert.messageText = "Visibility Settings";
        alert.informativeText =
            "At least one visibility option (Dock or Menu Bar) must be enabled. "
            "Menu Bar visibility has been turned on.";
        alert.style = AlertStyle::Informational;
        toolkit_.runModal(alert);
    }
    userDefaults.setBool(enableDragging(), kEnableDragging);
    userDefaults.setBool(enableResizing(), kEnableResizing);
    userDefaults.setBool(showInDock(), kShowInDock);
    userDefaults.setBool(showInMenuBar(), kShowInMenuBar);
    userDefaults.setObject(Value(dragModifier()), kDragModifier);
    userDefaults.setObject(Value(resizeModifier()), kResizeModifier);
    userDefaults.synchronize();
    log_.debug("Saved preferences - showInDock: ", showInDock(),
               ", showInMenuBar: ", showInMenuBar());
    log_.debug("Setting dock visibility: ", showInDock() ? "visible" : "hidden");

    std::weak_ptr<PreferencesWindowController*> controller = lifetime_;
    toolkit_.dispatchAsyncMain([controller] {
        if (auto alive = controller.lock()) (*alive)->applyDockVisibility();
    });
    if (auto* delegate = dynamic_cast<AppDelegate*>(toolkit_.delegate())) {
        delegate->setStatusItemVisible(showInMenuBar());
    }
}

void PreferencesWindowController::applyDockVisibility() {
    const ActivationPolicy wanted = policyFor(showInDock());
    if (toolkit_.activationPolicy() == wanted) return;
    toolkit_.setActivationPolicy(wanted);
    toolkit_.activateIgnoringOtherApps(true);
}

void PreferencesWindowController::savePreferencesAction() {
    savePreferences();
    close();
}

void PreferencesWindowController::cancelAction() {
    loadPreferences();
    close();
}

// --- bindings ---

Value PreferencesWindowController::valueForKey(std::string_view key) const {
    using namespace settings;
    if (key == kEnableDragging) return Value(enableDragging());
    if (key == kEnableResizing) return Value(enableResizing());
    if (key == kShowInDock) return Value(showInDock());
    if (key == kShowInMenuBar) return Value(showInMenuBar());
    if (key == kDragModifier) return Value(dragModifier());
    if (key == kResizeModifier) return Value(resizeModifier());
    return Value();
}

void PreferencesWindowController::setValueForKey(std::string_view key, const Value& value) {
    using namespace settings;
    const Setting* setting = findInPreferencesWindow(key);
    if (setting == nullptr) {
        log_.warning("Preferences window has no setting named ", key, "; value ignored");
        return;
    }
    const bool* flag = value.asBool();
    const std::string* text = value.asString();
    if (setting->kind == Kind::Switch && flag != nullptr) {
        setSwitch(key, *flag);
    } else if (setting->kind == Kind::Text && text != nullptr) {
        (key == kDragModifier ? dragModifier_ : resizeModifier_).set(*text);
    } else {
        log_.warning("Preferences setting ", key, " takes ",
                     setting->kind == Kind::Switch ? "a Boolean" : "a string", "; value ignored");
    }
}

void PreferencesWindowController::setSwitch(std::string_view key, bool value) {
    using namespace settings;
    if (key == kShowInDock) {
        setShowInDock(value);
    } else if (key == kShowInMenuBar) {
        setShowInMenuBar(value);
    } else {
        (key == kEnableDragging ? enableDragging_ : enableResizing_).set(value);
    }
}

BindableObject::ObserverId PreferencesWindowController::addObserver(std::string_view key,
                                                                    Observer observer) {
    if (valueForKey(key).isNone()) {
        log_.warning("Preferences window has no setting named ", key, "; nothing to observe");
    }
    return observers_.add(key, std::move(observer));
}

void PreferencesWindowController::removeObserver(ObserverId id) {
    observers_.remove(id);
}

void PreferencesWindowController::performAction(std::string_view action) {
    if (action == actions::kSavePreferences) {
        savePreferencesAction();
    } else if (action == actions::kCancelPreferences) {
        cancelAction();
    } else {
        log_.warning("Preferences window has no action named ", action);
    }
}

}  // namespace tugworth
