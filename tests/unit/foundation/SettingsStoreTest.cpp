// The settings store: two layers, the platform's conversions and writes that reach the storage.
// The launch rules over them belong to the launch scenarios.
#include <gtest/gtest.h>

#include "app/UserDefaults.h"
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

}  // namespace
}  // namespace tugworth
