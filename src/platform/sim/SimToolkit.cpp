#include "platform/sim/SimToolkit.h"

#include "app/SettingsKeys.h"
#include "platform/MenuActions.h"

#include <algorithm>
#include <array>

namespace tugworth::sim {

namespace {

// The resource whose controls are bound to the settings the preferences window shows.
constexpr std::string_view kPreferencesResource = "PreferencesWindow";

class SimStatusItem final : public StatusItem {
public:
    SimStatusItem(std::shared_ptr<StatusItemState> state, CallCounter& counter)
        : state_(std::move(state)), counter_(counter) {}

    bool hasButton() const override {
        counter_.count();
        return state_->hasButton;
    }
    void setButtonImage(std::optional<Image> image) override {
        counter_.count();
        if (!state_->hasButton) return;
        state_->image = image ? std::optional<std::string>(image->name) : std::nullopt;
    }
    bool buttonHasImage() const override {
        counter_.count();
        return state_->hasButton && state_->image.has_value();
    }
    void setButtonTitle(std::string title) override {
        counter_.count();
        if (state_->hasButton) state_->title = std::move(title);
    }
    void setMenu(std::shared_ptr<Menu> menu) override {
        counter_.count();
        state_->menu = std::move(menu);
    }

    const std::shared_ptr<StatusItemState>& state() const { return state_; }

private:
    std::shared_ptr<StatusItemState> state_;
    CallCounter& counter_;
};

class SimWindow final : public Window {
public:
    SimWindow(std::shared_ptr<HostedWindowState> state, CallCounter& counter)
        : state_(std::move(state)), counter_(counter) {}
    // The owner may be half destroyed by now: only the record is touched.
    ~SimWindow() override {
        state_->alive = false;
        state_->visible = false;
        state_->owner = nullptr;
    }
    SimWindow(const SimWindow&) = delete;
    SimWindow& operator=(const SimWindow&) = delete;

    void setTitle(std::string title) override {
        counter_.count();
        state_->title = std::move(title);
    }
    void center() override {
        counter_.count();
        ++state_->centred;
    }
    void setReleasedWhenClosed(bool released) override {
        counter_.count();
        state_->releasedWhenClosed = released;
    }
    void setLevel(int level) override {
        counter_.count();
        state_->level = level;
    }
    void show() override {
        counter_.count();
        state_->visible = true;
    }
    void close() override {
        counter_.count();
        state_->visible = false;
    }
    bool isVisible() const override {
        counter_.count();
        return state_->visible;
    }

private:
    std::shared_ptr<HostedWindowState> state_;
    CallCounter& counter_;
};

}  // namespace

SimToolkit::SimToolkit(CallCounter& counter) : counter_(counter) {}

SimToolkit::~SimToolkit() = default;

void SimToolkit::setDelegate(ApplicationDelegate* delegate) {
    counter_.count();
    delegate_ = delegate;
}

ApplicationDelegate* SimToolkit::delegate() const {
    counter_.count();
    return delegate_;
}

int SimToolkit::run() {
    counter_.count();
    terminated_ = false;
    willTerminateSent_ = false;
    if (delegate_ != nullptr) delegate_->applicationWillFinishLaunching();
    runDeferredWork();
    if (!terminated_ && delegate_ != nullptr) delegate_->applicationDidFinishLaunching();
    runDeferredWork();
    if (!terminated_ && mainLoop_) mainLoop_();
    runDeferredWork();
    quit();
    if (beforeExit_) beforeExit_();
    return 0;
}

void SimToolkit::terminate() {
    counter_.count();
    quit();
}

void SimToolkit::sendWillTerminate() {
    if (willTerminateSent_) return;
    willTerminateSent_ = true;
    if (delegate_ != nullptr) delegate_->applicationWillTerminate();
}

ActivationPolicy SimToolkit::activationPolicy() const {
    counter_.count();
    return policy_;
}

void SimToolkit::setActivationPolicy(ActivationPolicy policy) {
    counter_.count();
    policy_ = policy;
}

void SimToolkit::activateIgnoringOtherApps(bool /*ignoreOthers*/) {
    counter_.count();
    ++activations_;
}

void SimToolkit::setMainMenu(std::shared_ptr<Menu> menu) {
    counter_.count();
    mainMenu_ = std::move(menu);
}

void SimToolkit::setServicesMenu(std::shared_ptr<Menu> menu) {
    counter_.count();
    servicesMenu_ = std::move(menu);
}

std::shared_ptr<StatusItem> SimToolkit::statusItemWithLength(double length) {
    counter_.count();
    auto state = std::make_shared<StatusItemState>();
    state->length = length;
    state->hasButton = statusItemHasButton_;
    statusItems_.push_back(state);
    return std::make_shared<SimStatusItem>(std::move(state), counter_);
}

void SimToolkit::removeStatusItem(const std::shared_ptr<StatusItem>& item) {
    counter_.count();
    const auto* simItem = dynamic_cast<const SimStatusItem*>(item.get());
    if (simItem == nullptr) return;  // not one of ours: nothing in our bar to remove
    simItem->state()->removed = true;
    removedStatusItems_ += static_cast<int>(std::erase(statusItems_, simItem->state()));
}

std::optional<Image> SimToolkit::imageNamed(std::string_view name) {
    counter_.count();
    if (!images_.contains(name)) return std::nullopt;
    return Image{std::string(name)};
}

int SimToolkit::runModal(const Alert& alert) {
    counter_.count();
    const std::size_t index = alerts_.size();
    alerts_.push_back({alert, kAlertFirstButtonReturn});
    if (preparedAnswers_.empty()) return kAlertFirstButtonReturn;
    PreparedAnswer prepared = std::move(preparedAnswers_.front());
    preparedAnswers_.pop_front();
    if (prepared.during) prepared.during();  // the nested loop's events
    alerts_[index].answer = prepared.answer;
    return prepared.answer;
}

void SimToolkit::dispatchAsyncMain(std::function<void()> work) {
    counter_.count();
    deferred_.push_back(std::move(work));
}

std::unique_ptr<Window> SimToolkit::loadWindow(std::string_view resourceName,
                                               BindableObject& owner) {
    counter_.count();
    if (resourceName != kPreferencesResource) return nullptr;
    auto state = std::make_shared<HostedWindowState>();
    state->resource = std::string(resourceName);
    state->owner = &owner;
    for (const settings::Setting& setting : settings::kAll) {
        if (!setting.inPreferencesWindow) continue;
        const std::string_view key = setting.key;
        state->properties[std::string(key)] = owner.valueForKey(key);
        // A bound control follows its property; it outlives neither the record nor the owner.
        std::weak_ptr<HostedWindowState> record = state;
        owner.addObserver(key, [record](std::string_view changed, const Value& newValue) {
            if (auto live = record.lock()) live->properties[std::string(changed)] = newValue;
        });
    }
    hostedWindows_.push_back(state);
    return std::make_unique<SimWindow>(std::move(state), counter_);
}

void SimToolkit::setImages(std::set<std::string, std::less<>> names) {
    images_ = std::move(names);
}

void SimToolkit::setStatusItemHasButton(bool hasButton) {
    statusItemHasButton_ = hasButton;
}

void SimToolkit::setMainLoop(std::function<void()> loop) {
    mainLoop_ = std::move(loop);
}

void SimToolkit::setBeforeExit(std::function<void()> hook) {
    beforeExit_ = std::move(hook);
}

void SimToolkit::prepareAlertAnswer(int answer, std::function<void()> during) {
    preparedAnswers_.push_back({answer, std::move(during)});
}

void SimToolkit::startFreshProcess() {
    delegate_ = nullptr;
    terminated_ = false;
    willTerminateSent_ = false;
    policy_ = ActivationPolicy::Regular;
    activations_ = 0;
    mainMenu_.reset();
    servicesMenu_.reset();
    statusItems_.clear();
    removedStatusItems_ = 0;
    deferred_.clear();
    standardActions_.clear();
    hostedWindows_.clear();
}

void SimToolkit::performMenuAction(std::string_view action) {
    if (delegate_ != nullptr && delegate_->performAction(action)) return;
    if (action == actions::kQuit) {
        quit();
        return;
    }
    standardActions_.emplace_back(action);
}

void SimToolkit::quit() {
    terminated_ = true;
    sendWillTerminate();
}

void SimToolkit::runDeferredWork() {
    // A program that has quit runs nothing more: its queue dies with the process.
    while (!terminated_ && !deferred_.empty()) {
        std::function<void()> work = std::move(deferred_.front());
        deferred_.pop_front();
        work();
    }
}

const StatusItemState* SimToolkit::statusItem() const {
    return statusItems_.empty() ? nullptr : statusItems_.back().get();
}

std::size_t SimToolkit::statusItemCount() const {
    return statusItems_.size();
}

HostedWindowState* SimToolkit::hostedWindow(std::string_view resource) {
    auto found = std::find_if(hostedWindows_.rbegin(), hostedWindows_.rend(),
                              [resource](const auto& w) { return w->resource == resource; });
    return found == hostedWindows_.rend() ? nullptr : found->get();
}

const HostedWindowState* SimToolkit::hostedWindow(std::string_view resource) const {
    auto found = std::find_if(hostedWindows_.rbegin(), hostedWindows_.rend(),
                              [resource](const auto& w) { return w->resource == resource; });
    return found == hostedWindows_.rend() ? nullptr : found->get();
}

namespace {
BindableObject* shownOwner(HostedWindowState* window) {
    if (window == nullptr || !window->alive || !window->visible) return nullptr;
    return window->owner;
}
}  // namespace

bool SimToolkit::changeControl(std::string_view resource, std::string_view key,
                               const Value& value) {
    BindableObject* owner = shownOwner(hostedWindow(resource));
    if (owner == nullptr) return false;
    owner->setValueForKey(key, value);
    return true;
}

bool SimToolkit::pressControl(std::string_view resource, std::string_view action) {
    BindableObject* owner = shownOwner(hostedWindow(resource));
    if (owner == nullptr) return false;
    owner->performAction(action);
    return true;
}

bool SimToolkit::pressCloseButton(std::string_view resource) {
    HostedWindowState* window = hostedWindow(resource);
    if (shownOwner(window) == nullptr) return false;
    window->visible = false;
    return true;
}

}  // namespace tugworth::sim
