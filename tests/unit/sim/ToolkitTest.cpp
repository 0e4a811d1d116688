// The simulated toolkit: the launch and quit sequence, modal alerts with nested events,
// deferred work, status items and the window host.
#include <gtest/gtest.h>

#include <map>

#include "platform/sim/Desktop.h"

namespace tugworth {
namespace {

struct RecordingDelegate : ApplicationDelegate {
    explicit RecordingDelegate(std::vector<std::string>& log) : calls(log) {}
    void applicationWillFinishLaunching() override { calls.push_back("will-finish"); }
    void applicationDidFinishLaunching() override { calls.push_back("did-finish"); }
    void applicationWillTerminate() override { calls.push_back("will-terminate"); }
    bool applicationSupportsSecureRestorableState() override { return true; }
    bool performAction(std::string_view action) override {
        calls.push_back(std::string(action));
        return action == "openPreferences:";
    }
    std::vector<std::string>& calls;
};

TEST(ToolkitRun, LaunchesPlaysTheLoopAndTerminatesOnce) {
    sim::Desktop desktop;
    sim::SimToolkit& toolkit = desktop.toolkit();
    std::vector<std::string> calls;
    RecordingDelegate delegate(calls);
    toolkit.setDelegate(&delegate);
    toolkit.setMainLoop([&] {
        toolkit.dispatchAsyncMain([&] { calls.push_back("deferred"); });
        calls.push_back("loop");
        toolkit.performMenuAction("openPreferences:");
        toolkit.performMenuAction("hide:");
        toolkit.performMenuAction("terminate:");
        EXPECT_TRUE(toolkit.isTerminated());
    });
    toolkit.setBeforeExit([&] { calls.push_back("before-exit"); });

    EXPECT_EQ(toolkit.run(), 0);
    EXPECT_EQ(calls,
              (std::vector<std::string>{"will-finish", "did-finish", "loop", "openPreferences:",
                                        "hide:", "terminate:", "will-terminate", "before-exit"}));
    EXPECT_EQ(toolkit.pendingDeferredWork(), 1U);  // queued work dies with the process
    EXPECT_EQ(toolkit.standardActions(), (std::vector<std::string>{"hide:"}));
    toolkit.setDelegate(nullptr);
}

TEST(ToolkitAlerts, PreparedAnswersAreTakenOldestFirstWithTheirEventsInside) {
    sim::Desktop desktop;
    sim::SimToolkit& toolkit = desktop.toolkit();
    std::vector<std::string> events;
    Alert outer;
    outer.messageText = "outer";
    Alert inner;
    inner.messageText = "inner";
    inner.buttons = {"Open", "Later"};

    toolkit.prepareAlertAnswer(1001, [&] {
        events.push_back("during outer");
        // An alert opened inside the nested loop takes the next prepared answer.
        events.push_back("inner answered " + std::to_string(toolkit.runModal(inner)));
    });
    toolkit.prepareAlertAnswer(1000, [&] { events.push_back("during inner"); });

    EXPECT_EQ(toolkit.runModal(outer), 1001);
    EXPECT_EQ(toolkit.runModal(outer), kAlertFirstButtonReturn);  // nothing prepared is left
    EXPECT_EQ(events,
              (std::vector<std::string>{"during outer", "during inner", "inner answered 1000"}));
    ASSERT_EQ(toolkit.alerts().size(), 3U);
    EXPECT_EQ(toolkit.alerts()[0].alert.messageText, "outer");
    EXPECT_EQ(toolkit.alerts()[0].answer, 1001);
    EXPECT_EQ(toolkit.alerts()[1].alert.buttons, inner.buttons);
    EXPECT_EQ(toolkit.alerts()[1].answer, 1000);
    EXPECT_EQ(toolkit.alerts()[2].answer, 1000);
}

TEST(ToolkitDeferredWork, RunsLaterInOrderIncludingWorkItQueues) {
    sim::Desktop desktop;
    sim::SimToolkit& toolkit = desktop.toolkit();
    std::vector<int> order;
    toolkit.dispatchAsyncMain([&] {
        order.push_back(1);
        toolkit.dispatchAsyncMain([&] { order.push_back(3); });
    });
    toolkit.dispatchAsyncMain([&] { order.push_back(2); });
    EXPECT_TRUE(order.empty());
    EXPECT_EQ(toolkit.pendingDeferredWork(), 2U);
    toolkit.runDeferredWork();
    EXPECT_EQ(order, (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(toolkit.pendingDeferredWork(), 0U);
}

TEST(ToolkitStatusBar, ItemsShowTheirButtonUnlessTheyHaveNone) {
    sim::Desktop desktop;
    Toolkit& toolkit = desktop.platform().toolkit;
    auto first = toolkit.statusItemWithLength(kVariableStatusItemLength);
    first->setButtonImage(toolkit.imageNamed("tugworth.iconset"));
    EXPECT_TRUE(first->buttonHasImage());
    first->setButtonImage(toolkit.imageNamed("missing"));
    EXPECT_FALSE(first->buttonHasImage());
    first->setButtonTitle("T");

    desktop.toolkit().setStatusItemHasButton(false);
    auto second = toolkit.statusItemWithLength(kVariableStatusItemLength);
    second->setButtonImage(Image{"tugworth.iconset"});
    second->setButtonTitle("ignored");
    second->setMenu(std::make_shared<Menu>());
    EXPECT_FALSE(second->hasButton());
    EXPECT_FALSE(second->buttonHasImage());

    ASSERT_EQ(desktop.toolkit().statusItemCount(), 2U);
    const sim::StatusItemState* shown = desktop.toolkit().statusItem();
    EXPECT_FALSE(shown->image);
    EXPECT_FALSE(shown->title);
    EXPECT_TRUE(shown->menu);

    toolkit.removeStatusItem(second);
    EXPECT_EQ(desktop.toolkit().statusItem()->title, "T");
    toolkit.removeStatusItem(first);
    EXPECT_EQ(desktop.toolkit().statusItem(), nullptr);
}

// A bindable owner with plain properties, as a window controller would be.
struct Owner : BindableObject {
    Value valueForKey(std::string_view key) const override {
        auto it = values.find(std::string(key));
        return it == values.end() ? Value() : it->second;
    }
    void setValueForKey(std::string_view key, const Value& value) override {
        values[std::string(key)] = value;
        for (const auto& [id, observer] : observers) {
            if (observer.first == key) observer.second(key, value);
        }
    }
    ObserverId addObserver(std::string_view key, Observer observer) override {
        observers.emplace(++lastId, std::make_pair(std::string(key), std::move(observer)));
        return lastId;
    }
    void removeObserver(ObserverId id) override { observers.erase(id); }
    void performAction(std::string_view action) override { actions.emplace_back(action); }

    std::map<std::string, Value> values{{"showInDock", Value(true)}};
    std::map<ObserverId, std::pair<std::string, Observer>> observers;
    std::vector<std::string> actions;
    ObserverId lastId = 0;
};

TEST(ToolkitWindowHost, ThePreferencesWindowRecordsItselfAndDrivesItsOwner) {
    sim::Desktop desktop;
    Owner owner;
    EXPECT_EQ(desktop.platform().toolkit.loadWindow("Unknown", owner), nullptr);
    auto window = desktop.platform().toolkit.loadWindow("PreferencesWindow", owner);
    ASSERT_NE(window, nullptr);
    sim::SimToolkit& toolkit = desktop.toolkit();
    sim::HostedWindowState* state = toolkit.hostedWindow("PreferencesWindow");
    ASSERT_NE(state, nullptr);
    EXPECT_EQ(state->properties.at("showInDock"), Value(true));

    // A hidden window's controls cannot be used.
    EXPECT_FALSE(toolkit.changeControl("PreferencesWindow", "showInDock", Value(false)));
    EXPECT_FALSE(toolkit.pressControl("PreferencesWindow", "savePreferencesAction:"));

    window->setTitle("Tugworth Preferences");
    window->setLevel(kFloatingWindowLevel);
    window->center();
    window->center();
    window->show();
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(state->title, "Tugworth Preferences");
    EXPECT_EQ(state->level, 3);
    EXPECT_EQ(state->centred, 2);

    EXPECT_TRUE(toolkit.changeControl("PreferencesWindow", "showInDock", Value(false)));
    EXPECT_EQ(owner.values.at("showInDock"), Value(false));
    owner.setValueForKey("dragModifier", Value("Command+Option"));  // a change from code
    EXPECT_EQ(state->properties.at("showInDock"), Value(false));
    EXPECT_EQ(state->properties.at("dragModifier"), Value("Command+Option"));
    EXPECT_TRUE(toolkit.pressControl("PreferencesWindow", "cancelAction:"));
    EXPECT_EQ(owner.actions, (std::vector<std::string>{"cancelAction:"}));

    EXPECT_TRUE(toolkit.pressCloseButton("PreferencesWindow"));
    EXPECT_FALSE(window->isVisible());
    EXPECT_FALSE(toolkit.pressCloseButton("PreferencesWindow"));

    window.reset();
    EXPECT_FALSE(state->alive);
    owner.setValueForKey("showInDock", Value(true));  // observers outlive the window harmlessly
    EXPECT_EQ(state->properties.at("showInDock"), Value(true));
}

}  // namespace
}  // namespace tugworth
