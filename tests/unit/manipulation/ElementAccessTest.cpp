// Positioning support and the search for a window to stand in for the target.
#include <functional>

#include "SimApp.h"

namespace tugworth {
namespace {

constexpr std::int64_t kTarget = SimApp::kTarget;
constexpr Pid kPid = SimApp::kPid;
const std::string kNotPositionable =
    "[DEBUG] Window doesn't support positioning: position=-25205, frame=-25205";
const std::string kNoneFound = "[DEBUG] No suitable alternative window found";

class ElementAccessTest : public ::testing::Test, public SimApp {};

TEST_F(ElementAccessTest, PositioningNeedsOnlyASuccessfulPositionOrFrameRead) {
    for (std::int64_t id : {11, 12, 13, 14}) addWindow(id);
    quirk(11, "AXFrame").read = kUnsupported;     // the position alone will do
    quirk(12, "AXPosition").read = kUnsupported;  // and so will the frame alone
    quirk(13, "AXPosition").read = kUnsupported;
    quirk(13, "AXFrame").read = AXError::kAXErrorNoValue;
    quirk(14, "AXPosition").value = Value("somewhere");  // the kind is not looked at
    auto positionable = [&](std::int64_t id) {
        return supportsPositioning(desktop.platform().accessibility, log, Element::window(id));
    };

    EXPECT_TRUE(positionable(11));
    EXPECT_TRUE(positionable(12));
    EXPECT_FALSE(positionable(13));
    EXPECT_TRUE(positionable(14));
    EXPECT_EQ(lines(),
              (Lines{"[DEBUG] Window doesn't support positioning: position=-25205, frame=-25212"}));
}

struct Search {
    const char* name;
    std::function<void(SimApp&)> setup;  // the application holds the target, window 12
    std::optional<Element> found;
    Lines expected;
    friend void PrintTo(const Search& row, std::ostream* out) { *out << row.name; }
};

class AlternativeSearch : public ::testing::TestWithParam<Search>, public SimApp {};

TEST_P(AlternativeSearch, FirstMatchWins) {
    addWindow(kTarget);
    GetParam().setup(*this);
    WindowManipulator manipulator(desktop.platform().accessibility, log, Element::window(kTarget),
                                  kPid);
    EXPECT_EQ(manipulator.findAlternativeWindow(), GetParam().found);
    EXPECT_EQ(lines(), GetParam().expected);
}

const std::string kOneWindow = "[DEBUG] Found 1 windows in application";

const Search kSearches[] = {
    // The target itself is passed over without a test; a window that cannot be positioned
    // is tested and logged.
    {"OtherPositionableWindow",
     [](SimApp& app) {
         app.addWindow(13);
         app.addWindow(14);
         app.failReads(13);
     },
     Element::window(14),
     {"[DEBUG] Found 3 windows in application", kNotPositionable,
      "[DEBUG] Found alternative window that supports positioning"}},
    {"MainWindow",
     [](SimApp& app) {
         app.addWindow(40, 777);
         app.appQuirk(kPid, "AXMainWindow").value = Element::window(40);
     },
     Element::window(40),
     {kOneWindow, "[DEBUG] Found main window"}},
    {"FocusedWindowWhenTheMainWindowIsTheTarget",
     [](SimApp& app) {
         app.addWindow(40, 777);
         app.appQuirk(kPid, "AXFocusedWindow").value = Element::window(40);
     },
     Element::window(40),
     {kOneWindow, "[DEBUG] Found focused window"}},
    {"Application",
     [](SimApp& app) {
         app.appQuirk(kPid, "AXFrame").value = AXValue::create(Rect{0.0, 0.0, 10.0, 10.0});
     },
     Element::application(kPid),
     {kOneWindow, "[DEBUG] Using application as fallback"}},
    {"NothingBesidesTheTarget",
     [](SimApp&) {},
     std::nullopt,
     {kOneWindow, kNotPositionable, kNoneFound}},
    // A window list that is not an array of elements only is passed over without a line.
    {"WindowListOfMixedKinds",
     [](SimApp& app) {
         app.addWindow(13);
         app.appQuirk(kPid, "AXWindows").value = Value(Value::Array{Element::window(13), "x"});
         app.appQuirk(kPid, "AXMainWindow").read = AXError::kAXErrorNoValue;
         app.appQuirk(kPid, "AXFocusedWindow").read = AXError::kAXErrorNoValue;
     },
     std::nullopt,
     {kNotPositionable, kNoneFound}},
};

INSTANTIATE_TEST_SUITE_P(, AlternativeSearch, ::testing::ValuesIn(kSearches),
                         [](const auto& row) { return std::string(row.param.name); });

}  // namespace
}  // namespace tugworth
