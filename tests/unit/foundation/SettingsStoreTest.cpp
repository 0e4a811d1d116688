// The settings store: two layers, the platform's conversions and writes that reach the storage.
// The launch rules over them belong to the launch scenarios.
#include <gtest/gtest.h>

#include "app/UserDefaults.h"
#include "platform/sim/SimSettingsStorage.h"

namespace tugworth {
namespace {

Value readBack(const Value& stored, std::optional<std::string>* text = nullptr) {
    sim::SimSettingsStorage storage;
    storage.persisted() = {{"key", stored}};
    const UserDefaults defaults(storage);
    if (text != nullptr) *text = defaults.stringForKey("key");
    return Value(defaults.boolForKey("key"));
}

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

TEST(UserDefaults, ReadsOfOtherKindsFollowThePlatformConversions) {
    for (const Value& yes :
         {Value(true), Value(-3), Value(0.25), Value("YES"), Value("yes"), Value("true"),
          Value("T"), Value("1"), Value("  +007"), Value("-0009"), Value("\t y")}) {
        EXPECT_EQ(readBack(yes), Value(true)) << static_cast<int>(yes.kind());
    }
    for (const Value& no : {Value(false), Value(0), Value(0.0), Value("NO"), Value("false"),
                            Value("0"), Value("000"), Value("0.5"), Value(""), Value("   "),
                            Value("+-1"), Value("x1"), Value(Value::Array{true}), Value()}) {
        EXPECT_EQ(readBack(no), Value(false)) << static_cast<int>(no.kind());
    }
    const std::pair<Value, std::optional<std::string>> texts[] = {
        {Value("Command+Option"), "Command+Option"},
        {Value(true), "1"},
        {Value(false), "0"},
        {Value(-7), "-7"},
        {Value(1.5), "1.5"},
        {Value(Value::Array{}), std::nullopt},
        {Value(Value::Dictionary{}), std::nullopt},
    };
    for (const auto& [stored, expected] : texts) {
        std::optional<std::string> text;
        readBack(stored, &text);
        EXPECT_EQ(text, expected);
    }
}

TEST(UserDefaults, SynchronizeWritesOnlyChangesAndKeepsThemUntilTheyAreWritten) {
    sim::SimSettingsStorage storage;
    storage.persisted() = {{"showInDock", Value(true)}};
    UserDefaults defaults(storage);

    defaults.registerDefaults({{"enableDragging", Value(true)}});
    defaults.setBool(true, "showInDock");  // the same value: nothing to write
    EXPECT_TRUE(defaults.synchronize());
    EXPECT_EQ(storage.saveCount(), 0);  // registering stores nothing either

    storage.setFailSaves(true);
    defaults.setObject(Value("Command+Shift"), "dragModifier");
    EXPECT_FALSE(defaults.synchronize());
    EXPECT_FALSE(storage.persisted().contains("dragModifier"));

    storage.setFailSaves(false);
    EXPECT_TRUE(defaults.synchronize());  // the failed write is not forgotten
    EXPECT_EQ(storage.saveCount(), 1);
    EXPECT_EQ(storage.persisted().at("dragModifier"), Value("Command+Shift"));
    EXPECT_FALSE(storage.persisted().contains("enableDragging"));
}

}  // namespace
}  // namespace tugworth
