// The preferences window as the user meets it: its bound controls, save, cancel, opening; and
// observers that change the set of observers while they are being notified.
#include <gtest/gtest.h>

#include "preferences/ObservableProperty.h"
#include "preferences/PreferencesWindowController.h"
#include "support/SimDesk.h"

namespace tugworth {
namespace {

using Pair = std::pair<bool, bool>;  // Dock, menu bar
constexpr std::string_view kWindow = "PreferencesWindow";

struct Prefs : test::SimDesk {
    // `later` is written to the store between the launch and the opening, past the launch rules.
    explicit Prefs(const SettingsMap& later = {}) {
        delegate.applicationWillFinishLaunching();
        delegate.applicationDidFinishLaunching();
        for (const auto& [key, value] : later) defaults.setObject(value, key);
        toolkit().performMenuAction("openPreferences:");
    }
    sim::SimToolkit& toolkit() { return desktop.toolkit(); }
    PreferencesWindowController& controller() { return *delegate.preferencesWindowController(); }
    const sim::HostedWindowState& window() { return *toolkit().hostedWindow(kWindow); }
    const Value& shown(std::string_view key) { return window().properties.at(std::string(key)); }
    void change(std::string_view key, Value value) {
        ASSERT_TRUE(toolkit().changeControl(kWindow, key, value));
    }
    // The pair as the controls show it, checked against the properties.
    Pair visibility() {
        const Pair shownPair{*shown("showInDock").asBool(), *shown("showInMenuBar").asBool()};
        EXPECT_EQ(shownPair, Pair(controller().showInDock(), controller().showInMenuBar()));
        return shownPair;
    }
    // Both switches as given, past the rule: what only a repair under way can meet.
    void force(Pair pair) {
        controller().isEnforcingVisibility = true;
        controller().setShowInDock(pair.first);
        controller().setShowInMenuBar(pair.second);
        controller().isEnforcingVisibility = false;
    }
    const Value& stored(std::string_view key) {
        return desktop.storage().persisted().at(std::string(key));
    }
};

TEST(VisibilityRule, SwitchingOneSideOffNeverLeavesBothOff) {
    const bool T = true, F = false;
    const std::tuple<Pair, const char*, bool, Pair> cases[] = {
        {{T, T}, "showInDock", F, {F, T}}, {{T, T}, "showInMenuBar", F, {T, F}},
        {{T, F}, "showInDock", F, {F, T}}, {{T, F}, "showInMenuBar", F, {T, F}},
        {{F, T}, "showInDock", F, {F, T}}, {{F, T}, "showInMenuBar", F, {T, F}},
        {{F, F}, "showInDock", F, {F, T}}, {{F, F}, "showInMenuBar", F, {T, F}},
        {{F, F}, "showInDock", T, {T, F}}, {{F, F}, "showInMenuBar", T, {F, T}}};
    for (const auto& [before, key, value, after] : cases) {
        SCOPED_TRACE(testing::Message() << before.first << before.second << key << value);
        Prefs prefs;
        prefs.force(before);
        prefs.change(key, Value(value));
        EXPECT_EQ(prefs.visibility(), after);
        EXPECT_FALSE(prefs.controller().isEnforcingVisibility);
    }
}

TEST(VisibilityRule, TheObserverRepairsTheOtherSideUnlessGuarded) {
    const std::tuple<std::string_view, bool, Pair> cases[] = {
        {"showInDock", false, {false, true}},
        {"showInMenuBar", false, {true, false}},
        {"showInDock", true, {false, false}},
        {"enableDragging", false, {false, false}},
        {"", false, {false, false}}};
    for (const auto& [keyPath, guarded, after] : cases) {
        SCOPED_TRACE(testing::Message() << keyPath << guarded);
        Prefs prefs;
        prefs.force({false, false});
        prefs.controller().isEnforcingVisibility = guarded;
        prefs.controller().observeValueForKeyPath(keyPath, Value(false));
        EXPECT_EQ(prefs.visibility(), after);
    }
}

TEST(Loading, UninitialisedSettingsShowEverySwitchOnButKeepTheStoredChords) {
    const Value off(false);
    Prefs prefs({{"preferencesInitialized", off},
                 {"enableDragging", off},
                 {"enableResizing", off},
                 {"showInDock", off},
                 {"showInMenuBar", off},
                 {"dragModifier", Value("Option")}});
    for (const char* key : {"enableDragging", "enableResizing", "showInDock", "showInMenuBar"}) {
        EXPECT_EQ(prefs.shown(key), Value(true)) << key;
    }
    EXPECT_EQ(prefs.shown("dragModifier"), Value("Option"));
    EXPECT_EQ(prefs.shown("resizeModifier"), Value("Command+Control+Shift"));
    EXPECT_TRUE(prefs.defaults.boolForKey("preferencesInitialized"));
}

TEST(Loading, BothOffInTheStoreComesBackWithTheDockOn) {
    const Value off(false);
    Prefs prefs({{"showInDock", off}, {"showInMenuBar", off}});
    EXPECT_EQ(prefs.visibility(), Pair(true, false));
}

TEST(Save, BothOffIsExplainedAndRepairedBeforeAnythingIsWritten) {
    // Also while a repair is already under way: the store must still not get both off.
    for (const bool guarded : {false, true}) {
        SCOPED_TRACE(guarded);
        Prefs prefs;
        prefs.force({false, false});
        prefs.controller().isEnforcingVisibility = guarded;
        int savesDuringAlert = -1;
        prefs.toolkit().prepareAlertAnswer(kAlertFirstButtonReturn, [&] {
            savesDuringAlert = prefs.desktop.storage().saveCount();
        });
        const int savesBefore = prefs.desktop.storage().saveCount();
        prefs.controller().savePreferences();
        ASSERT_EQ(prefs.toolkit().alerts().size(), 1U);
        EXPECT_EQ(savesDuringAlert, savesBefore);
        EXPECT_EQ(prefs.stored("showInDock"), Value(false));
        EXPECT_EQ(prefs.stored("showInMenuBar"), Value(true));
        EXPECT_EQ(prefs.controller().isEnforcingVisibility, guarded);
    }
}

TEST(Save, QueuedDockWorkOutlivingItsControllerDoesNothing) {
    test::SimDesk shell;
    {
        PreferencesWindowController controller(shell.defaults, shell.desktop.toolkit(),
                                               shell.delegate.log());
        controller.setShowInDock(false);
        controller.savePreferences();
    }
    shell.desktop.toolkit().runDeferredWork();
    EXPECT_EQ(shell.desktop.toolkit().currentPolicy(), ActivationPolicy::Regular);
}

TEST(Bindings, WrongKeysAndKindsChangeNothingAndSaySo) {
    Prefs prefs;
    auto& controller = prefs.controller();
    controller.setValueForKey("showInDock", Value("no"));
    controller.setValueForKey("dragModifier", Value(true));
    controller.setValueForKey("showInTray", Value(false));
    controller.performAction("deleteEverything:");
    EXPECT_EQ(prefs.visibility(), Pair(true, true));
    EXPECT_EQ(prefs.shown("dragModifier"), Value("Command+Control"));
}

TEST(KeyValueObservers, ObserversMayRemoveThemselvesAndOthersWhileNotified) {
    KeyValueObservers observers;
    ObservableProperty<std::string> chord(observers, "dragModifier", "Command+Control");
    std::vector<std::string> heard;
    KeyValueObservers::ObserverId second = 0;
    KeyValueObservers::ObserverId first = 0;
    first = observers.add("dragModifier", [&](std::string_view key, const Value& value) {
        heard.push_back("first " + std::string(key) + "=" + *value.asString());
        observers.remove(first);   // destroys the function now running
        observers.remove(second);  // not called for this change any more
        observers.add("dragModifier",
                      [&](std::string_view, const Value&) { heard.emplace_back("late"); });
    });
    second = observers.add("dragModifier",
                           [&](std::string_view, const Value&) { heard.emplace_back("second"); });
    observers.add("resizeModifier",
                  [&](std::string_view, const Value&) { heard.emplace_back("other key"); });

    chord.set("Option");
    EXPECT_EQ(heard, std::vector<std::string>{"first dragModifier=Option"});
    chord.set("Control");
    EXPECT_EQ(heard, (std::vector<std::string>{"first dragModifier=Option", "late"}));
    EXPECT_EQ(chord.get(), "Control");
    EXPECT_FALSE(observers.remove(first));
    EXPECT_EQ(observers.count("dragModifier"), 1U);
}

}  // namespace
}  // namespace tugworth
