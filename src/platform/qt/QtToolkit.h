// The user-interface toolkit over Qt Widgets: the application object and its event loop,
// the tray icon as the status item, menus, message boxes, deferred work, named images and
// the windows loaded from Designer forms.
#pragma once

#include <functional>
#include <memory>
#include <string_view>

#include <QIcon>
#include <QList>
#include <QPointer>
#include <QString>

#include "platform/Log.h"
#include "platform/Toolkit.h"
#include "platform/qt/QtHelp.h"
#include "platform/qt/QtMenus.h"

class QMenuBar;
class QMessageBox;
class QWidget;

namespace tugworth::qt {

class QtToolkit final : public Toolkit, public ActionTarget {
public:
    // Needs a QApplication, created by the caller before and destroyed after the toolkit.
    explicit QtToolkit(LogSink& logSink);
    ~QtToolkit() override;

    void setDelegate(ApplicationDelegate* delegate) override { delegate_ = delegate; }
    ApplicationDelegate* delegate() const override { return delegate_; }
    int run() override;
    void terminate() override;

    ActivationPolicy activationPolicy() const override { return policy_; }
    void setActivationPolicy(ActivationPolicy policy) override;
    void activateIgnoringOtherApps(bool ignoreOthers) override;
    void setMainMenu(std::shared_ptr<Menu> menu) override;
    void setServicesMenu(std::shared_ptr<Menu> menu) override { servicesMenu_ = std::move(menu); }

    std::shared_ptr<StatusItem> statusItemWithLength(double length) override;
    void removeStatusItem(const std::shared_ptr<StatusItem>& item) override;

    // Images live in the resources under :/images/<name>: a file, or a folder of sizes.
    std::optional<Image> imageNamed(std::string_view name) override;

    int runModal(const Alert& alert) override;
    void dispatchAsyncMain(std::function<void()> work) override;
    std::unique_ptr<Window> loadWindow(std::string_view resourceName,
                                       BindableObject& owner) override;

    // ActionTarget: the responder chain. The delegate is asked first; the standard actions
    // are handled here, the editing ones by the focused widget.
    void sendAction(std::string_view action) override;
    bool validateAction(std::string_view action) override;

    // Where Help and About read the chords in effect; the defaults until set.
    void setChordSource(std::function<ConfiguredChords()> source) {
        chordSource_ = std::move(source);
    }

    // For the status item and the windows.
    QIcon iconForImage(const Image& image) const;
    void prepareToShow(QWidget& window);  // the task-bar presence for the current policy
    void adoptWindow(QWidget& window);    // key equivalents and policy follow this window

    const std::shared_ptr<Menu>& servicesMenu() const { return servicesMenu_; }
    QMenuBar* mainMenuBar() const { return mainMenuBar_.get(); }
    bool isRunning() const { return isRunning_; }

private:
    void addMainMenuShortcuts(QWidget& window);
    void hideApplication();
    void unhideApplication();
    void showAboutPanel();
    void showHelp();
    ConfiguredChords chords() const;
    QList<QWidget*> liveWindows();

    ApplicationDelegate* delegate_ = nullptr;
    ActivationPolicy policy_ = ActivationPolicy::Regular;
    bool isRunning_ = false;
    bool isTerminating_ = false;
    std::shared_ptr<Menu> mainMenu_;
    std::shared_ptr<Menu> servicesMenu_;
    std::unique_ptr<QMenuBar> mainMenuBar_;  // parentless: a global menu where one exists
    QList<QPointer<QWidget>> windows_;
    QList<QPointer<QWidget>> hiddenWindows_;  // hidden by hide:, shown by unhide
    std::unique_ptr<QMessageBox> aboutPanel_;
    std::function<ConfiguredChords()> chordSource_;
    Log log_;
    bool hasReportedMissingTray_ = false;
};

}  // namespace tugworth::qt
