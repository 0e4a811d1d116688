#include "platform/qt/QtToolkit.h"

#include <array>

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QMetaObject>
#include <QPushButton>
#include <QSystemTrayIcon>
#include <QTimer>

#include "platform/MenuActions.h"
#include "platform/qt/QtStatusItem.h"
#include "platform/qt/QtWindow.h"
#include "platform/qt/X11TaskbarState.h"
#include "ui_PreferencesWindow.h"

// Resources compiled into a static library register themselves only when asked to.
static void initTugworthResources() {
    Q_INIT_RESOURCE(tugworth);
}

namespace tugworth::qt {

namespace {

// The editing actions, each sent to the focused widget's slot of the same name.
struct EditingAction {
    std::string_view action;
    const char* slot;
    const char* signature;
};
constexpr std::array<EditingAction, 6> kEditingActions{{
    {actions::kUndo, "undo", "undo()"},
    {actions::kRedo, "redo", "redo()"},
    {actions::kCut, "cut", "cut()"},
    {actions::kCopy, "copy", "copy()"},
    {actions::kPaste, "paste", "paste()"},
    {actions::kSelectAll, "selectAll", "selectAll()"},
}};

const EditingAction* findEditingAction(std::string_view action) {
    for (const EditingAction& editing : kEditingActions) {
        if (editing.action == action) return &editing;
    }
    return nullptr;
}

QWidget* focusedWidgetWithSlot(const EditingAction& editing) {
    QWidget* focus = QApplication::focusWidget();
    if (focus == nullptr || focus->metaObject()->indexOfSlot(editing.signature) < 0) return nullptr;
    return focus;
}

QString imagePath(std::string_view name) {
    return QStringLiteral(":/images/") +
           QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()));
}

QMessageBox::Icon iconFor(AlertStyle style) {
    switch (style) {
        case AlertStyle::Warning:
            return QMessageBox::Warning;
        case AlertStyle::Informational:
            return QMessageBox::Information;
        case AlertStyle::Critical:
            return QMessageBox::Critical;
    }
    return QMessageBox::NoIcon;
}

// The Designer forms this toolkit can load, by resource name.
std::unique_ptr<QWidget> createForm(std::string_view resourceName) {
    if (resourceName == "PreferencesWindow") {
        auto widget = std::make_unique<QWidget>();
        Ui::PreferencesWindow form;
        form.setupUi(widget.get());
        watchChordHint(*form.dragModifierBox, *form.resizeModifierBox, *form.chordHintLabel);
        return widget;
    }
    return nullptr;
}

}  // namespace

QtToolkit::QtToolkit(LogSink& logSink) : log_(logSink) {
    initTugworthResources();
    // Closing the preferences window must not end a program that lives in the tray.
    QApplication::setQuitOnLastWindowClosed(false);
    const std::optional<Image> icon = imageNamed("tugworth.iconset");
    if (icon) QApplication::setWindowIcon(iconForImage(*icon));
}

QtToolkit::~QtToolkit() = default;

int QtToolkit::run() {
    if (delegate_ != nullptr) delegate_->applicationWillFinishLaunching();
    if (delegate_ != nullptr) delegate_->applicationDidFinishLaunching();
    if (!isTerminating_) {
        isRunning_ = true;
        QApplication::exec();
        isRunning_ = false;
    }
    if (delegate_ != nullptr) delegate_->applicationWillTerminate();
    return 0;
}

void QtToolkit::terminate() {
    // Before the loop runs (during launch) the request is kept, and the loop is not entered.
    isTerminating_ = true;
    QApplication::quit();
}

void QtToolkit::setActivationPolicy(ActivationPolicy policy) {
    policy_ = policy;
    for (QWidget* window : liveWindows())
        setSkipTaskbar(*window, policy_ == ActivationPolicy::Accessory);
}

void QtToolkit::prepareToShow(QWidget& window) {
    setSkipTaskbar(window, policy_ == ActivationPolicy::Accessory);
}

void QtToolkit::adoptWindow(QWidget& window) {
    windows_.append(QPointer<QWidget>(&window));
    addMainMenuShortcuts(window);
}

void QtToolkit::addMainMenuShortcuts(QWidget& window) {
    // The main menu's key equivalents work while one of our windows is active.
    if (!mainMenuBar_) return;
    for (QMenu* menu : mainMenuBar_->findChildren<QMenu*>(Qt::FindDirectChildrenOnly)) {
        window.addActions(actionsWithShortcuts(*menu));
    }
}

QList<QWidget*> QtToolkit::liveWindows() {
    windows_.removeAll(QPointer<QWidget>());
    QList<QWidget*> live;
    for (const QPointer<QWidget>& window : windows_) live.append(window.data());
    return live;
}

void QtToolkit::activateIgnoringOtherApps(bool /*ignoreOthers*/) {
    // X11 has no application to bring forward: our visible windows are raised and focused.
    for (QWidget* window : liveWindows()) {
        if (!window->isVisible()) continue;
        window->raise();
        window->activateWindow();
    }
}

void QtToolkit::setMainMenu(std::shared_ptr<Menu> menu) {
    mainMenu_ = std::move(menu);
    auto bar = std::make_unique<QMenuBar>();
    if (mainMenu_) {
        for (const MenuItem& item : mainMenu_->items) {
            if (!item.submenu) continue;
            QMenu* top = bar->addMenu(QString::fromStdString(item.title));
            populateMenu(*top, *item.submenu, *this);
        }
    }
    mainMenuBar_ = std::move(bar);
    for (QWidget* window : liveWindows()) addMainMenuShortcuts(*window);
}

std::shared_ptr<StatusItem> QtToolkit::statusItemWithLength(double /*length*/) {
    // Tray icons have the size the tray gives them, so the length has no use here.
    if (!hasReportedMissingTray_ && !QSystemTrayIcon::isSystemTrayAvailable()) {
        hasReportedMissingTray_ = true;
        log_.warning(
            "No system tray is running; the Tugworth icon appears when one starts. Until "
            "then, start Tugworth again to open its preferences");
    }
    return std::make_shared<QtStatusItem>(*this);
}

void QtToolkit::removeStatusItem(const std::shared_ptr<StatusItem>& item) {
    if (auto* trayItem = dynamic_cast<QtStatusItem*>(item.get())) trayItem->removeFromTray();
}

std::optional<Image> QtToolkit::imageNamed(std::string_view name) {
    if (name.empty() || !QFileInfo::exists(imagePath(name))) return std::nullopt;
    return Image{std::string(name)};
}

QIcon QtToolkit::iconForImage(const Image& image) const {
    const QString path = imagePath(image.name);
    const QFileInfo info(path);
    if (info.isFile()) return QIcon(path);
    QIcon icon;
    if (info.isDir()) {
        // A folder of sizes (an iconset): every picture in it is one size of the icon.
        const QDir folder(path);
        for (const QString& file : folder.entryList(QDir::Files, QDir::Name)) {
            icon.addFile(folder.filePath(file));
        }
    }
    return icon;
}

int QtToolkit::runModal(const Alert& alert) {
    QMessageBox box;
    box.setWindowTitle(QStringLiteral("Tugworth"));
    box.setIcon(iconFor(alert.style));
    box.setText(QString::fromStdString(alert.messageText));
    box.setInformativeText(QString::fromStdString(alert.informativeText));
    QList<QAbstractButton*> buttons;
    if (alert.buttons.empty()) {
        buttons.append(box.addButton(QMessageBox::Ok));
    } else {
        for (std::size_t i = 0; i < alert.buttons.size(); ++i) {
            const QMessageBox::ButtonRole role =
                i == 0 ? QMessageBox::AcceptRole : QMessageBox::RejectRole;
            buttons.append(box.addButton(QString::fromStdString(alert.buttons[i]), role));
        }
    }
    box.setDefaultButton(qobject_cast<QPushButton*>(buttons.front()));
    // Closing the box answers like its last button: "Later", "Cancel" or the only one.
    box.setEscapeButton(buttons.back());
    box.exec();
    qsizetype index = buttons.indexOf(box.clickedButton());
    if (index < 0) index = buttons.size() - 1;
    return kAlertFirstButtonReturn + static_cast<int>(index);
}

void QtToolkit::dispatchAsyncMain(std::function<void()> work) {
    QTimer::singleShot(0, qApp, std::move(work));
}

std::unique_ptr<Window> QtToolkit::loadWindow(std::string_view resourceName,
                                              BindableObject& owner) {
    std::unique_ptr<QWidget> widget = createForm(resourceName);
    if (!widget) return nullptr;
    return std::make_unique<QtWindow>(std::move(widget), owner, *this);
}

void QtToolkit::sendAction(std::string_view action) {
    // Help names the chords in effect and the keys of a Linux keyboard, which the
    // application's own alert does not.
    if (action == "showHelp:") {
        showHelp();
        return;
    }
    if (delegate_ != nullptr && delegate_->performAction(action)) return;
    if (action == actions::kQuit) {
        terminate();
    } else if (action == actions::kHide) {
        hideApplication();
    } else if (action == actions::kShowAll) {
        unhideApplication();
    } else if (action == actions::kAbout) {
        showAboutPanel();
    } else if (const EditingAction* editing = findEditingAction(action)) {
        if (QWidget* focus = focusedWidgetWithSlot(*editing)) {
            QMetaObject::invokeMethod(focus, editing->slot);
        }
    }
}

bool QtToolkit::validateAction(std::string_view action) {
    if (const EditingAction* editing = findEditingAction(action)) {
        return focusedWidgetWithSlot(*editing) != nullptr;
    }
    // Other programs cannot be hidden from here on X11.
    return action != actions::kHideOthers;
}

void QtToolkit::hideApplication() {
    for (QWidget* window : liveWindows()) {
        if (!window->isVisible()) continue;
        hiddenWindows_.append(QPointer<QWidget>(window));
        window->hide();
    }
}

void QtToolkit::unhideApplication() {
    for (const QPointer<QWidget>& window : hiddenWindows_) {
        if (window) window->show();
    }
    hiddenWindows_.clear();
}

void QtToolkit::showAboutPanel() {
    if (!aboutPanel_) {
        aboutPanel_ = std::make_unique<QMessageBox>();
        aboutPanel_->setWindowTitle(QStringLiteral("About Tugworth"));
        aboutPanel_->setIconPixmap(QApplication::windowIcon().pixmap(64, 64));
        aboutPanel_->setText(
            QStringLiteral("<b>Tugworth</b> %1").arg(QApplication::applicationVersion()));
        aboutPanel_->setStandardButtons(QMessageBox::Ok);
        aboutPanel_->setModal(false);
        adoptWindow(*aboutPanel_);
    }
    aboutPanel_->setInformativeText(aboutText(chords()));
    prepareToShow(*aboutPanel_);
    aboutPanel_->show();
    aboutPanel_->raise();
    aboutPanel_->activateWindow();
}

ConfiguredChords QtToolkit::chords() const {
    return chordSource_ ? chordSource_() : chordsInEffect({});
}

void QtToolkit::showHelp() {
    // Above the window the user is looking at, which is how it should be read.
    QWidget* parent = QApplication::activeWindow();
    if (parent == nullptr) {
        for (QWidget* window : liveWindows()) {
            if (window->isVisible()) parent = window;
        }
    }
    runHelpBox(parent, chords());
}

}  // namespace tugworth::qt
