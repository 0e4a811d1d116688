#include "platform/qt/QtWindow.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QGuiApplication>
#include <QScreen>
#include <QSignalBlocker>
#include <QStringList>

#include "platform/qt/QtToolkit.h"

namespace tugworth::qt {

namespace {

constexpr const char* kBoundKeyProperty = "boundKey";
constexpr const char* kChoicesProperty = "choices";
constexpr const char* kActionProperty = "action";

std::string propertyText(const QObject& object, const char* name) {
    return object.property(name).toString().toStdString();
}

// Shows `text` in a combo box whose items stand for `choices`. A text that is none of them
// gets an extra item of its own, so that what is stored is shown and kept as it is.
void showChoice(QComboBox& box, const QStringList& choices, const QString& text) {
    while (box.count() > choices.size()) box.removeItem(box.count() - 1);
    qsizetype index = choices.indexOf(text);
    if (index < 0) {
        box.addItem(QStringLiteral("%1 (not recognised)").arg(text), text);
        index = box.count() - 1;
    }
    box.setCurrentIndex(static_cast<int>(index));
}

}  // namespace

QString chosenText(const QComboBox& box) {
    const QStringList choices = box.property(kChoicesProperty).toStringList();
    const int index = box.currentIndex();
    if (index < 0) return {};
    return index < choices.size() ? choices.at(index) : box.itemData(index).toString();
}

QtWindow::QtWindow(std::unique_ptr<QWidget> widget, BindableObject& owner, QtToolkit& toolkit)
    : widget_(widget.release()), owner_(owner), toolkit_(toolkit) {
    // A released window may be destroyed by closing it: its controls then stop observing.
    QObject::connect(widget_.data(), &QObject::destroyed, [this] { unbind(); });
    bindControls();
    toolkit_.adoptWindow(*widget_);
}

QtWindow::~QtWindow() {
    unbind();
    delete widget_.data();
}

void QtWindow::unbind() {
    for (BindableObject::ObserverId id : observers_) owner_.removeObserver(id);
    observers_.clear();
}

void QtWindow::bindControls() {
    for (QWidget* child : widget_->findChildren<QWidget*>()) {
        const std::string key = propertyText(*child, kBoundKeyProperty);
        const std::string action = propertyText(*child, kActionProperty);
        if (auto* box = qobject_cast<QCheckBox*>(child); box && !key.empty()) {
            bindCheckBox(*box, key);
        } else if (auto* combo = qobject_cast<QComboBox*>(child); combo && !key.empty()) {
            bindComboBox(*combo, key);
        } else if (auto* button = qobject_cast<QAbstractButton*>(child);
                   button && !action.empty()) {
            bindButton(*button, action);
        }
    }
}

void QtWindow::bindCheckBox(QCheckBox& box, const std::string& key) {
    QPointer<QCheckBox> control(&box);
    auto show = [control](const Value& value) {
        const bool* checked = value.asBool();
        if (!control || checked == nullptr) return;
        const QSignalBlocker blocker(control.data());
        control->setChecked(*checked);
    };
    show(owner_.valueForKey(key));
    observers_.push_back(
        owner_.addObserver(key, [show](std::string_view, const Value& v) { show(v); }));
    QObject::connect(&box, &QCheckBox::toggled, &box,
                     [this, key](bool checked) { owner_.setValueForKey(key, Value(checked)); });
}

void QtWindow::bindComboBox(QComboBox& box, const std::string& key) {
    const QStringList choices = box.property(kChoicesProperty).toStringList();
    QPointer<QComboBox> control(&box);
    // The box still signals a change the owner made, for other watchers of the box (the chord
    // hint); only the owner is not told of its own change.
    auto showing = std::make_shared<bool>(false);
    auto show = [control, choices, showing](const Value& value) {
        const std::string* text = value.asString();
        if (!control || text == nullptr) return;
        *showing = true;
        showChoice(*control, choices, QString::fromStdString(*text));
        *showing = false;
    };
    show(owner_.valueForKey(key));
    observers_.push_back(
        owner_.addObserver(key, [show](std::string_view, const Value& v) { show(v); }));
    QObject::connect(&box, &QComboBox::currentIndexChanged, &box,
                     [this, key, control, showing](int index) {
                         if (index < 0 || !control || *showing) return;
                         owner_.setValueForKey(key, Value(chosenText(*control).toStdString()));
                     });
}

void QtWindow::bindButton(QAbstractButton& button, const std::string& action) {
    QObject::connect(&button, &QAbstractButton::clicked, &button,
                     [this, action] { owner_.performAction(action); });
}

void QtWindow::setTitle(std::string title) {
    if (widget_) widget_->setWindowTitle(QString::fromStdString(title));
}

void QtWindow::center() {
    if (!widget_) return;
    if (!widget_->isVisible()) widget_->adjustSize();
    QScreen* screen =
        widget_->screen() != nullptr ? widget_->screen() : QGuiApplication::primaryScreen();
    if (screen == nullptr) return;
    QRect frame = widget_->frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    widget_->move(frame.topLeft());
}

void QtWindow::setReleasedWhenClosed(bool released) {
    if (widget_) widget_->setAttribute(Qt::WA_DeleteOnClose, released);
}

void QtWindow::setLevel(int /*level*/) {
    // Nothing to do: an always-on-top window would cover the help opened from it and every
    // window the user raises, and the window manager already raises ours when shown.
}

void QtWindow::show() {
    if (!widget_) return;
    toolkit_.prepareToShow(*widget_);
    widget_->show();
    widget_->raise();
    widget_->activateWindow();
}

void QtWindow::close() {
    if (widget_) widget_->close();
}

bool QtWindow::isVisible() const {
    return widget_ && widget_->isVisible();
}

}  // namespace tugworth::qt
