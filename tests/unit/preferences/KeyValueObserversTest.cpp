// Observers that change the set of observers while they are being notified.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "preferences/ObservableProperty.h"

namespace tugworth {
namespace {

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
