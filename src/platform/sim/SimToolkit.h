// The simulated user-interface toolkit: application object and loop, status bar, menus, alerts,
// deferred work and the window host. Everything it shows is recorded for tests to read back.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Toolkit.h"
#include "platform/sim/CallCounter.h"

namespace tugworth::sim {

// What the menu bar shows for one status item.
struct StatusItemState {
    double length = 0.0;
    bool hasButton = true;
    std::optional<std::string> image;  // name of the button's image
    std::optional<std::string> title;  // the button's title, once set
    std::shared_ptr<Menu> menu;
    bool removed = false;
};

struct AlertRecord {
    Alert alert;
    int answer = kAlertFirstButtonReturn;
};

// A window loaded through loadWindow, as the user would see it. The controls bound to the
// owner are modelled by `properties`: they follow the owner's observed keys.
struct HostedWindowState {
    std::string resource;
    std::string title;
    int level = 0;
    int centred = 0;  // how many times center() was called
    bool visible = false;
    bool releasedWhenClosed = true;
    bool alive = true;                // false once the Window object is destroyed
    BindableObject* owner = nullptr;  // valid while alive
    std::map<std::string, Value, std::less<>> properties;
};

class SimToolkit final : public Toolkit {
public:
    explicit SimToolkit(CallCounter& counter);
    ~SimToolkit() override;

    // --- Toolkit ---
    void setDelegate(ApplicationDelegate* delegate) override;
    ApplicationDelegate* delegate() const override;
    int run() override;
    void terminate() override;
    ActivationPolicy activationPolicy() const override;
    void setActivationPolicy(ActivationPolicy policy) override;
    void activateIgnoringOtherApps(bool ignoreOthers) override;
    void setMainMenu(std::shared_ptr<Menu> menu) override;
    void setServicesMenu(std::shared_ptr<Menu> menu) override;
    std::shared_ptr<StatusItem> statusItemWithLength(double length) override;
    void removeStatusItem(const std::shared_ptr<StatusItem>& item) override;
    std::optional<Image> imageNamed(std::string_view name) override;
    int runModal(const Alert& alert) override;
    void dispatchAsyncMain(std::function<void()> work) override;
    std::unique_ptr<Window> loadWindow(std::string_view resourceName,
                                       BindableObject& owner) override;

    // --- set-up ---
    void setImages(std::set<std::string, std::less<>> names);
    void setStatusItemHasButton(bool hasButton);
    // What the running loop does between launch and termination (a scenario's steps). run()
    // drains the deferred work after it and stops early once terminate() was called.
    void setMainLoop(std::function<void()> loop);
    // Called at the end of run(), after will-terminate, while the delegate still lives.
    void setBeforeExit(std::function<void()> hook);
    // Answers for the next modal alerts, oldest first; `during` runs inside the nested loop.
    void prepareAlertAnswer(int answer, std::function<void()> during = {});
    // Forgets everything that belonged to the program's process (not the recorded alerts,
    // the prepared answers or the image resources), for a relaunch.
    void startFreshProcess();

    // --- driving ---
    // A menu action travelling the responder chain: the delegate first, then terminate:,
    // then the application's standard actions, which are only recorded.
    void performMenuAction(std::string_view action);
    // The user quits the program from outside it: will-terminate, and the loop ends.
    void quit();
    // Runs queued deferred work until none is left; nothing once the program has quit.
    void runDeferredWork();
    std::size_t pendingDeferredWork() const { return deferred_.size(); }
    bool isTerminated() const { return terminated_; }

    // --- observation (these do not count as platform calls) ---
    ActivationPolicy currentPolicy() const { return policy_; }
    int activationCount() const { return activations_; }
    const std::shared_ptr<Menu>& mainMenu() const { return mainMenu_; }
    const std::shared_ptr<Menu>& servicesMenu() const { return servicesMenu_; }
    // The newest status item still in the menu bar, if any.
    const StatusItemState* statusItem() const;
    std::size_t statusItemCount() const;
    int removedStatusItemCount() const { return removedStatusItems_; }
    const std::vector<AlertRecord>& alerts() const { return alerts_; }
    const std::vector<std::string>& standardActions() const { return standardActions_; }
    // The newest window loaded from this resource, if any (also after it was destroyed).
    HostedWindowState* hostedWindow(std::string_view resource);
    const HostedWindowState* hostedWindow(std::string_view resource) const;

    // The user at a hosted window: changes a bound control (through the owner's setter),
    // presses a control that sends an action, or presses the close button. Each answers
    // false, doing nothing, when that window is not shown.
    bool changeControl(std::string_view resource, std::string_view key, const Value& value);
    bool pressControl(std::string_view resource, std::string_view action);
    bool pressCloseButton(std::string_view resource);

private:
    struct PreparedAnswer {
        int answer;
        std::function<void()> during;
    };

    void sendWillTerminate();

    CallCounter& counter_;
    ApplicationDelegate* delegate_ = nullptr;
    std::function<void()> mainLoop_;
    std::function<void()> beforeExit_;
    bool terminated_ = false;
    bool willTerminateSent_ = false;
    ActivationPolicy policy_ = ActivationPolicy::Regular;
    int activations_ = 0;
    std::shared_ptr<Menu> mainMenu_;
    std::shared_ptr<Menu> servicesMenu_;
    std::vector<std::shared_ptr<StatusItemState>> statusItems_;
    bool statusItemHasButton_ = true;
    int removedStatusItems_ = 0;
    std::set<std::string, std::less<>> images_{"tugworth.iconset"};
    std::deque<PreparedAnswer> preparedAnswers_;
    std::vector<AlertRecord> alerts_;
    std::deque<std::function<void()>> deferred_;
    std::vector<std::string> standardActions_;
    std::vector<std::shared_ptr<HostedWindowState>> hostedWindows_;
};

}  // namespace tugworth::sim
