// The settings store: two layers, the platform's conversions, writes that reach the storage,
// and the launch rules over them.
#include <gtest/gtest.h>

#include "app/AppDelegate.h"
#include "app/SettingsKeys.h"
#include "app/UserDefaults.h"
#include "platform/sim/Desktop.h"
#include "platform/sim/SimSettingsStorage.h"

namespace tugworth {
namespace {

TEST(UserDefaults, StoredValuesWinOverRegisteredOnesAndAbsentKeysReadEmpty) {
    sim::SimSettingsStorage storage;
    storage.persisted() = {{"stored", Value(false)}, {"both", Value("mine")}};
    UserDefaults defaults(storage);
    defaults.registerDefaults(
        {{"stored", Value(true)}, {"both", Value("theirs")}, {"onlyRegistered", Value(true)}});

    EXPECT_FALSE(defaults.boolForKey("stored"));
    EXPECT_EQ(defaults.stringForKey("both"), "mine");
    EXPECT_TRUE(defaults.boolForKey("onlyRegistered"));
    EXPECT_FALSE(defaults.boolForKey("absent"));
    EXPECT_EQ(defaults.stringForKey("absent"), std::nullopt);

    // A second registration replaces the first layer as a whole.
    defaults.registerDefaults({{"other", Value(true)}});
    EXPECT_FALSE(defaults.boolForKey("onlyRegistered"));
}

TEST(UserDefaults, BooleanReadsFollowThePlatformConversions) {
    struct Case {
        Value stored;
        bool reads;
    };
    const Case cases[] = {
        {Value(true), true},    {Value(false), false}, {Value(0), false},
        {Value(-3), true},      {Value(0.0), false},   {Value(0.25), true},
        {Value("YES"), true},   {Value("yes"), true},  {Value("true"), true},
        {Value("T"), true},     {Value("NO"), false},  {Value("false"), false},
        {Value("1"), true},     {Value("0"), false},   {Value("  +007"), true},
        {Value("-0009"), true}, {Value("000"), false}, {Value("0.5"), false},
        {Value("\t y"), true},  {Value(""), false},    {Value("   "), false},
        {Value("+-1"), false},  {Value("x1"), false},  {Value(Value::Array{true}), false},
        {Value(), false},
    };
    for (const auto& [stored, reads] : cases) {
        sim::SimSettingsStorage storage;
        storage.persisted() = {{"key", stored}};
        const UserDefaults defaults(storage);
        EXPECT_EQ(defaults.boolForKey("key"), reads)
            << "kind " << static_cast<int>(stored.kind()) << " \""
            << (stored.asString() != nullptr ? *stored.asString() : "") << "\"";
    }
}

TEST(UserDefaults, StringReadsOfOtherKinds) {
    struct Case {
        Value stored;
        std::optional<std::string> reads;
    };
    const Case cases[] = {
        {Value("Command+Option"), "Command+Option"},
        {Value(true), "1"},
        {Value(false), "0"},
        {Value(42), "42"},
        {Value(-7), "-7"},
        {Value(1.5), "1.5"},
        {Value(Value::Array{}), std::nullopt},
        {Value(Value::Dictionary{}), std::nullopt},
    };
    for (const auto& [stored, reads] : cases) {
        sim::SimSettingsStorage storage;
        storage.persisted() = {{"key", stored}};
        EXPECT_EQ(UserDefaults(storage).stringForKey("key"), reads);
    }
}

TEST(UserDefaults, SynchronizeWritesOnlyChangesAndKeepsThemUntilTheyAreWritten) {
    sim::SimSettingsStorage storage;
    storage.persisted() = {{"showInDock", Value(true)}};
    UserDefaults defaults(storage);

    defaults.registerDefaults({{"enableDragging", Value(true)}});
    EXPECT_TRUE(defaults.synchronize());
    EXPECT_EQ(storage.saveCount(), 0);  // registering stores nothing

    defaults.setBool(true, "showInDock");  // the same value: nothing to write
    EXPECT_TRUE(defaults.synchronize());
    EXPECT_EQ(storage.saveCount(), 0);

    storage.setFailSaves(true);
    defaults.setObject(Value("Command+Shift"), "dragModifier");
    EXPECT_FALSE(defaults.synchronize());
    EXPECT_FALSE(storage.persisted().contains("dragModifier"));

    storage.setFailSaves(false);
    EXPECT_TRUE(defaults.synchronize());  // the failed write is not forgotten
    EXPECT_EQ(storage.saveCount(), 1);
    EXPECT_EQ(storage.persisted().at("dragModifier"), Value("Command+Shift"));
    EXPECT_FALSE(storage.persisted().contains("enableDragging"));

    // What was written is what the next launch finds.
    const UserDefaults relaunched(storage);
    EXPECT_EQ(relaunched.stringForKey("dragModifier"), "Command+Shift");
    EXPECT_TRUE(relaunched.boolForKey("showInDock"));
    EXPECT_FALSE(relaunched.boolForKey("enableDragging"));
}

// The launch's settings steps, on the simulated desktop.
struct LaunchCase {
    const char* name;
    SettingsMap stored;
    VisibilityChoice choice;
    SettingsMap persistedAfter;
};

// Names the case in test listings instead of dumping its bytes.
void PrintTo(const LaunchCase& c, std::ostream* os) {
    *os << c.name;
}

class LaunchSettingsRules : public ::testing::TestWithParam<LaunchCase> {};

TEST_P(LaunchSettingsRules, RegisterThenResolve) {
    const LaunchCase& c = GetParam();
    sim::Desktop desktop;
    desktop.storage().persisted() = c.stored;
    UserDefaults defaults(desktop.storage());
    AppDelegate delegate(defaults, desktop.platform());

    delegate.registerDefaultSettings();
    const VisibilityChoice choice = delegate.applyLaunchVisibilityRule();

    EXPECT_EQ(choice.dockVisible, c.choice.dockVisible);
    EXPECT_EQ(choice.menuBarVisible, c.choice.menuBarVisible);
    EXPECT_EQ(desktop.storage().persisted(), c.persistedAfter);
    // Whatever was stored, every default reads after registration.
    EXPECT_EQ(defaults.stringForKey(settings::kResizeModifier),
              c.stored.contains("resizeModifier") ? readValueAsString(c.stored.at("resizeModifier"))
                                                  : std::string(settings::kDefaultResizeModifier));
    EXPECT_TRUE(defaults.boolForKey(settings::kPreferencesInitialized));
}

INSTANTIATE_TEST_SUITE_P(
    Launch, LaunchSettingsRules,
    ::testing::Values(LaunchCase{"DockOffAlone",
                                 {{"showInDock", Value(false)}},
                                 {false, true},
                                 {{"showInDock", Value(false)}}},
                      LaunchCase{"MenuBarOffAlone",
                                 {{"showInMenuBar", Value(false)}},
                                 {true, false},
                                 {{"showInMenuBar", Value(false)}}},
                      LaunchCase{"BothOffTurnsTheMenuBarOn",
                                 {{"showInDock", Value(false)}, {"showInMenuBar", Value(false)}},
                                 {false, true},
                                 {{"showInDock", Value(false)}, {"showInMenuBar", Value(true)}}},
                      LaunchCase{"BothOffAsTextsCountAsOff",
                                 {{"showInDock", Value("NO")}, {"showInMenuBar", Value(0)}},
                                 {false, true},
                                 {{"showInDock", Value("NO")}, {"showInMenuBar", Value(true)}}},
                      LaunchCase{"UninitialisedWithBothOffStillKeepsOneVisible",
                                 {{"preferencesInitialized", Value(false)},
                                  {"showInDock", Value(false)},
                                  {"showInMenuBar", Value(false)}},
                                 {false, true},
                                 {{"preferencesInitialized", Value(true)},
                                  {"enableDragging", Value(true)},
                                  {"enableResizing", Value(true)},
                                  {"showInDock", Value(false)},
                                  {"showInMenuBar", Value(true)}}},
                      LaunchCase{"UnknownChordNameStaysStored",
                                 {{"resizeModifier", Value("Hyper")}},
                                 {true, true},
                                 {{"resizeModifier", Value("Hyper")}}}),
    [](const ::testing::TestParamInfo<LaunchCase>& testCase) {
        return std::string(testCase.param.name);
    });

}  // namespace
}  // namespace tugworth
