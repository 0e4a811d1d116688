// The Qt toolkit: key equivalents, menus and the responder chain, the launch sequence,
// alerts, deferred work, images and the tray icon.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QSystemTrayIcon>
#include <QTimer>

#include "app/ApplicationMenu.h"
#include "platform/qt/QtStatusItem.h"
#include "platform/qt/QtToolkit.h"
#include "platform/sim/LogCapture.h"

namespace tugworth::qt {
namespace {

struct RecordingDelegate final : ApplicationDelegate {
    std::vector<std::string> calls;
    std::function<void()> duringLaunch;
    void applicationWillFinishLaunching() override { calls.emplace_back("willFinish"); }
    void applicationDidFinishLaunching() override {
        calls.emplace_back("didFinish");
        if (duringLaunch) duringLaunch();
    }
    void applicationWillTerminate() override { calls.emplace_back("willTerminate"); }
    bool applicationSupportsSecureRestorableState() override { return true; }
    bool performAction(std::string_view action) override {
        calls.emplace_back(action);
        return action == "openPreferences:" || action == "showHelp:";
    }
};

QString shortcutText(std::string_view key, std::uint64_t mask) {
    return keySequenceFor(key, mask).toString(QKeySequence::PortableText);
}

TEST(KeyEquivalents, MapCommandToCtrlAndUpperCaseToShift) {
    const struct {
        std::string_view key;
        std::uint64_t mask;
        const char* expected;
    } cases[] = {
        {"q", kModifierCommand, "Ctrl+Q"},
        {",", kModifierCommand, "Ctrl+,"},
        {"?", kModifierCommand, "Ctrl+?"},
        {"Z", kModifierCommand, "Ctrl+Shift+Z"},
        {"h", kModifierCommand | kModifierOption, "Ctrl+Alt+H"},
        {"k", kModifierControl, "Meta+K"},
        {"", kModifierCommand, ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(shortcutText(c.key, c.mask), QString::fromLatin1(c.expected)) << c.key;
    }
}

class ToolkitTest : public ::testing::Test {
protected:
    void SetUp() override { toolkit_.setDelegate(&delegate_); }

    QAction* actionTitled(QMenu& menu, const QString& title) {
        for (QAction* action : menu.actions()) {
            if (action->text() == title) return action;
        }
        return nullptr;
    }

    sim::LogCapture log_;
    QtToolkit toolkit_{log_};
    RecordingDelegate delegate_;
};

// The menu's items, order and key equivalents belong to the launch scenarios' final states.
TEST_F(ToolkitTest, ApplicationMenuEnablesOnlyWhatCanWorkHereAndItsShortcutsWorkInOurWindows) {
    QMenu qmenu;
    populateMenu(qmenu, *makeApplicationMenu(std::make_shared<Menu>()), toolkit_);
    // An empty services menu and hiding other programs have nothing to do here.
    EXPECT_FALSE(actionTitled(qmenu, "Services")->isEnabled());
    EXPECT_FALSE(actionTitled(qmenu, "Hide Others")->isEnabled());
    EXPECT_TRUE(actionTitled(qmenu, "Preferences...")->isEnabled());

    toolkit_.setMainMenu(makeMainMenu(makeApplicationMenu(std::make_shared<Menu>())));
    ASSERT_NE(toolkit_.mainMenuBar(), nullptr);
    QWidget window;
    toolkit_.adoptWindow(window);
    QStringList shortcuts;
    for (QAction* action : window.actions()) shortcuts << action->shortcut().toString();
    // From the application menu and from the Edit menu; the mapping is KeyEquivalents' to own.
    EXPECT_TRUE(shortcuts.contains(QStringLiteral("Ctrl+Q"))) << shortcuts.join(' ').toStdString();
    EXPECT_TRUE(shortcuts.contains(QStringLiteral("Ctrl+A"))) << shortcuts.join(' ').toStdString();
}

TEST_F(ToolkitTest, RunLaunchesThenLoopsWhereMenuActionsAskTheDelegateFirst) {
    QMenu qmenu;
    populateMenu(qmenu, *makeApplicationMenu(std::make_shared<Menu>()), toolkit_);
    delegate_.duringLaunch = [&] {
        EXPECT_FALSE(toolkit_.isRunning());
        toolkit_.dispatchAsyncMain([&] {
            delegate_.calls.emplace_back(toolkit_.isRunning() ? "work in loop" : "work outside");
            actionTitled(qmenu, "Preferences...")->trigger();
            actionTitled(qmenu, "Quit Tugworth")->trigger();  // declined: the toolkit quits
        });
    };
    EXPECT_EQ(toolkit_.run(), 0);
    EXPECT_EQ(delegate_.calls,
              (std::vector<std::string>{"willFinish", "didFinish", "work in loop",
                                        "openPreferences:", "terminate:", "willTerminate"}));
}

TEST_F(ToolkitTest, EditingActionsGoToTheFocusedWidget) {
    QLineEdit edit(QStringLiteral("some text"));
    edit.show();
    QApplication::setActiveWindow(&edit);
    edit.setFocus();
    ASSERT_EQ(QApplication::focusWidget(), &edit);
    edit.deselect();

    EXPECT_TRUE(toolkit_.validateAction("selectAll:"));
    toolkit_.sendAction("selectAll:");
    EXPECT_EQ(edit.selectedText(), QStringLiteral("some text"));
    toolkit_.sendAction("cut:");
    EXPECT_TRUE(edit.text().isEmpty());
    toolkit_.sendAction("undo:");
    EXPECT_EQ(edit.text(), QStringLiteral("some text"));

    edit.clearFocus();
    EXPECT_FALSE(toolkit_.validateAction("paste:"));
}

// Answers the modal box that is about to run by clicking its button titled `title`, or by
// pressing Escape when the title is empty.
void answerNextAlert(const QString& title) {
    QTimer::singleShot(0, [title] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        if (title.isEmpty()) {
            QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
            QApplication::sendEvent(box, &escape);
            return;
        }
        for (QAbstractButton* button : box->buttons()) {
            if (button->text() == title) button->click();
        }
    });
}

TEST_F(ToolkitTest, AlertsAnswerTheirButtonsFromOneThousand) {
    Alert alert;
    alert.messageText = "Accessibility Permissions Required";
    alert.buttons = {"Open System Settings", "Later"};
    answerNextAlert(QStringLiteral("Open System Settings"));
    EXPECT_EQ(toolkit_.runModal(alert), 1000);
    answerNextAlert(QStringLiteral("Later"));
    EXPECT_EQ(toolkit_.runModal(alert), 1001);
    answerNextAlert(QString());  // Escape: the last button's answer, never the first's
    EXPECT_EQ(toolkit_.runModal(alert), 1001);

    Alert plain;
    plain.messageText = "Tugworth Help";
    answerNextAlert(QStringLiteral("OK"));
    EXPECT_EQ(toolkit_.runModal(plain), 1000);
}

TEST_F(ToolkitTest, StatusItemShowsResourceImageOrDrawnTitleAndGoesAwayWhenRemoved) {
    auto item = toolkit_.statusItemWithLength(kVariableStatusItemLength);
    auto* tray = dynamic_cast<QtStatusItem*>(item.get());
    ASSERT_NE(tray, nullptr);
    ASSERT_TRUE(item->hasButton());

    EXPECT_FALSE(toolkit_.imageNamed("no-such-image").has_value());
    item->setButtonImage(std::nullopt);
    EXPECT_FALSE(item->buttonHasImage());
    item->setButtonTitle("\U0001FA9F");
    EXPECT_FALSE(tray->trayIcon()->icon().isNull());  // the title, drawn into the icon

    const std::optional<Image> image = toolkit_.imageNamed("tugworth.iconset");
    ASSERT_TRUE(image.has_value());
    EXPECT_GE(toolkit_.iconForImage(*image).availableSizes().size(), 4);  // from the resources
    item->setButtonImage(image);
    EXPECT_TRUE(item->buttonHasImage());

    item->setMenu(makeApplicationMenu(std::make_shared<Menu>()));
    ASSERT_NE(tray->contextMenu(), nullptr);
    EXPECT_EQ(tray->trayIcon()->contextMenu(), tray->contextMenu());
    QStringList shown;
    for (const QAction* action : tray->contextMenu()->actions()) {
        shown.append(action->isSeparator() ? QStringLiteral("-") : action->text());
        EXPECT_TRUE(action->shortcut().isEmpty()) << action->text().toStdString();
    }
    EXPECT_EQ(shown,
              (QStringList{"About Tugworth", "Preferences\u2026", "Help", "-", "Quit Tugworth"}));

    toolkit_.removeStatusItem(item);
    EXPECT_FALSE(item->hasButton());
    item->setButtonTitle("x");  // an item without a button ignores button calls
    EXPECT_FALSE(item->buttonHasImage());
}

}  // namespace
}  // namespace tugworth::qt
