// The preferences form: every control bound both ways to its owner.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>

#include "app/SettingsKeys.h"
#include "platform/SettingsStorage.h"
#include "platform/qt/QtToolkit.h"
#include "platform/qt/QtWindow.h"
#include "platform/sim/LogCapture.h"
#include "preferences/ObservableProperty.h"

namespace tugworth::qt {
namespace {

// An owner that remembers what its controls did to it.
class RecordingOwner final : public BindableObject {
public:
    SettingsMap values{{"enableDragging", Value(true)},
                       {"enableResizing", Value(true)},
                       {"showInDock", Value(true)},
                       {"showInMenuBar", Value(true)},
                       {"dragModifier", Value("Command+Control")},
                       {"resizeModifier", Value("Command+Control+Shift")}};
    std::vector<std::string> actions;
    KeyValueObservers observers;

    Value valueForKey(std::string_view key) const override {
        auto it = values.find(key);
        return it == values.end() ? Value() : it->second;
    }
    void setValueForKey(std::string_view key, const Value& value) override {
        values.insert_or_assign(std::string(key), value);
        observers.notify(key, value);
    }
    ObserverId addObserver(std::string_view key, Observer observer) override {
        return observers.add(key, std::move(observer));
    }
    void removeObserver(ObserverId id) override { observers.remove(id); }
    void performAction(std::string_view action) override { actions.emplace_back(action); }
};

// The control of `window` whose `property` ("boundKey" or "action") is `value`.
template <class Control>
Control* boundControl(QWidget& window, std::string_view value, const char* property = "boundKey") {
    for (Control* control : window.findChildren<Control*>()) {
        if (control->property(property).toString().toStdString() == value) return control;
    }
    return nullptr;
}

class PreferencesFormTest : public ::testing::Test {
protected:
    QWidget& form() { return *dynamic_cast<QtWindow&>(*window_).widget(); }

    sim::LogCapture log_;
    QtToolkit toolkit_{log_};
    RecordingOwner owner_;
    std::unique_ptr<Window> window_ = toolkit_.loadWindow("PreferencesWindow", owner_);
};

TEST_F(PreferencesFormTest, EverySettingHasAControlBoundBothWays) {
    ASSERT_NE(window_, nullptr);
    for (std::string_view key : {settings::kEnableDragging, settings::kEnableResizing,
                                 settings::kShowInDock, settings::kShowInMenuBar}) {
        SCOPED_TRACE(key);
        QCheckBox* box = boundControl<QCheckBox>(form(), key);
        ASSERT_NE(box, nullptr);
        EXPECT_TRUE(box->isChecked());
        box->click();
        EXPECT_EQ(owner_.values.at(std::string(key)), Value(false));
        owner_.setValueForKey(key, Value(true));
        EXPECT_TRUE(box->isChecked());
    }
    const struct {
        std::string_view key;
        std::vector<std::string> names;
    } chords[] = {
        {settings::kDragModifier, {"Command+Control", "Option+Control", "Command+Option"}},
        {settings::kResizeModifier,
         {"Command+Control+Shift", "Option+Control+Shift", "Command+Option+Shift"}},
    };
    for (const auto& chord : chords) {
        SCOPED_TRACE(chord.key);
        QComboBox* combo = boundControl<QComboBox>(form(), chord.key);
        ASSERT_NE(combo, nullptr);
        ASSERT_EQ(combo->count(), 3);
        for (int i = 2; i >= 0; --i) {
            combo->setCurrentIndex(i);
            EXPECT_EQ(owner_.values.at(std::string(chord.key)),
                      Value(chord.names[static_cast<std::size_t>(i)]));
        }
        owner_.setValueForKey(chord.key, Value(chord.names[1]));
        EXPECT_EQ(combo->currentIndex(), 1);
    }
    boundControl<QPushButton>(form(), "savePreferencesAction:", "action")->click();
    boundControl<QPushButton>(form(), "cancelAction:", "action")->click();
    EXPECT_EQ(owner_.actions,
              (std::vector<std::string>{"savePreferencesAction:", "cancelAction:"}));
}

TEST_F(PreferencesFormTest, TheChordHintShowsWhileResizeIsNotDragPlusShift) {
    auto* hint = form().findChild<QLabel*>(QStringLiteral("chordHintLabel"));
    ASSERT_NE(hint, nullptr);
    EXPECT_FALSE(hint->isVisibleTo(&form()));
    owner_.setValueForKey(settings::kDragModifier, Value("Option+Control"));  // from the settings
    EXPECT_TRUE(hint->isVisibleTo(&form()));
    boundControl<QComboBox>(form(), settings::kResizeModifier)->setCurrentIndex(1);  // by the user
    EXPECT_FALSE(hint->isVisibleTo(&form()));
}

TEST_F(PreferencesFormTest, UnknownChordNameIsShownAndKept) {
    QComboBox* combo = boundControl<QComboBox>(form(), settings::kDragModifier);
    ASSERT_NE(combo, nullptr);
    owner_.setValueForKey(settings::kDragModifier, Value("Hyper+Control"));
    ASSERT_EQ(combo->count(), 4);
    EXPECT_EQ(combo->currentIndex(), 3);
    EXPECT_TRUE(combo->currentText().startsWith(QStringLiteral("Hyper+Control")));
    EXPECT_EQ(owner_.values.at("dragModifier"), Value("Hyper+Control"));  // not rewritten

    combo->setCurrentIndex(0);
    EXPECT_EQ(owner_.values.at("dragModifier"), Value("Command+Control"));
    EXPECT_EQ(combo->count(), 3);  // the stray item goes once a known chord is chosen
}

// A kept window comes back after closing: the end-to-end tests reopen the preferences.
TEST_F(PreferencesFormTest, ClosingAReleasedWindowUnbindsAndDestroysIt) {
    EXPECT_EQ(owner_.observers.count(settings::kShowInDock), 1U);
    window_->show();
    window_->setReleasedWhenClosed(true);
    window_->close();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(dynamic_cast<QtWindow&>(*window_).widget(), nullptr);
    for (const auto& [key, value] : owner_.values)  // unbound: no change reaches a dead control
        EXPECT_EQ(owner_.observers.count(key), 0U) << key;
    owner_.setValueForKey(settings::kEnableDragging, Value(false));
    window_->show();  // a released window stays gone
    EXPECT_FALSE(window_->isVisible());
}

}  // namespace
}  // namespace tugworth::qt
