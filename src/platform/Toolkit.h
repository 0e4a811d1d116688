// The user-interface toolkit: the application object and its event loop, the status bar,
// menus, named images, modal alerts, deferred work and the preferences window.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Menu.h"
#include "platform/Value.h"

namespace tugworth {

enum class ActivationPolicy : int {
    Regular = 0,    // Dock icon, own main menu when frontmost
    Accessory = 1,  // no Dock icon
};

enum class AlertStyle : int { Warning = 0, Informational = 1, Critical = 2 };

inline constexpr int kAlertFirstButtonReturn = 1000;

struct Alert {
    std::string messageText;
    std::string informativeText;
    AlertStyle style = AlertStyle::Warning;
    std::vector<std::string> buttons;  // empty: the toolkit's single default button ("OK")
};

struct Image {
    std::string name;
};

// The callbacks the application object makes on its delegate, on the main thread.
class ApplicationDelegate {
public:
    virtual ~ApplicationDelegate() = default;
    virtual void applicationWillFinishLaunching() = 0;
    virtual void applicationDidFinishLaunching() = 0;
    virtual void applicationWillTerminate() = 0;
    virtual bool applicationSupportsSecureRestorableState() = 0;
    // A menu action travelling the responder chain; true when the delegate handled it.
    virtual bool performAction(std::string_view action) = 0;
};

class StatusItem {
public:
    virtual ~StatusItem() = default;
    virtual bool hasButton() const = 0;
    // Button operations do nothing on an item without a button.
    virtual void setButtonImage(std::optional<Image> image) = 0;
    virtual bool buttonHasImage() const = 0;
    virtual void setButtonTitle(std::string title) = 0;
    virtual void setMenu(std::shared_ptr<Menu> menu) = 0;
};

inline constexpr double kVariableStatusItemLength = -1.0;

// Observable, bindable properties with actions: what a window's controls bind to.
// A control's change goes through setValueForKey (and so through the property's setter);
// a property's change reaches the control through its observer.
class BindableObject {
public:
    using Observer = std::function<void(std::string_view key, const Value& newValue)>;
    using ObserverId = std::size_t;

    virtual ~BindableObject() = default;
    virtual Value valueForKey(std::string_view key) const = 0;
    virtual void setValueForKey(std::string_view key, const Value& value) = 0;
    virtual ObserverId addObserver(std::string_view key, Observer observer) = 0;
    virtual void removeObserver(ObserverId id) = 0;
    virtual void performAction(std::string_view action) = 0;
};

// A window loaded from an interface resource, its controls bound to its owner.
class Window {
public:
    virtual ~Window() = default;
    virtual void setTitle(std::string title) = 0;
    virtual void center() = 0;
    virtual void setReleasedWhenClosed(bool released) = 0;
    virtual void setLevel(int level) = 0;
    virtual void show() = 0;  // makes it visible and key
    virtual void close() = 0;
    virtual bool isVisible() const = 0;
};

inline constexpr int kFloatingWindowLevel = 3;

class Toolkit {
public:
    virtual ~Toolkit() = default;

    // Application object and event loop. run() sends the launch callbacks to the delegate,
    // runs the loop until terminate, sends will-terminate, and returns the exit status.
    virtual void setDelegate(ApplicationDelegate* delegate) = 0;
    virtual ApplicationDelegate* delegate() const = 0;
    virtual int run() = 0;
    virtual void terminate() = 0;

    virtual ActivationPolicy activationPolicy() const = 0;
    virtual void setActivationPolicy(ActivationPolicy policy) = 0;
    virtual void activateIgnoringOtherApps(bool ignoreOthers) = 0;
    virtual void setMainMenu(std::shared_ptr<Menu> menu) = 0;
    virtual void setServicesMenu(std::shared_ptr<Menu> menu) = 0;

    // System status bar.
    virtual std::shared_ptr<StatusItem> statusItemWithLength(double length) = 0;
    virtual void removeStatusItem(const std::shared_ptr<StatusItem>& item) = 0;

    virtual std::optional<Image> imageNamed(std::string_view name) = 0;

    // Runs a nested event loop until the alert is answered; the first button answers 1000,
    // the second 1001, and so on.
    virtual int runModal(const Alert& alert) = 0;

    // Queues work for a later turn of the main loop.
    virtual void dispatchAsyncMain(std::function<void()> work) = 0;

    // Loads the named window resource with its controls bound to `owner`.
    virtual std::unique_ptr<Window> loadWindow(std::string_view resourceName,
                                               BindableObject& owner) = 0;

protected:
    Toolkit() = default;
    Toolkit(const Toolkit&) = delete;
    Toolkit& operator=(const Toolkit&) = delete;
};

}  // namespace tugworth
