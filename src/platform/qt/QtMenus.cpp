#include "platform/qt/QtMenus.h"

#include <string>

#include <QAction>
#include <QMenu>
#include <QString>

#include "platform/Events.h"

namespace tugworth::qt {

namespace {

constexpr const char* kActionProperty = "tugworthAction";

// Items without an action or a submenu cannot do anything; a submenu needs items.
void validateMenu(QMenu& qmenu, ActionTarget& target) {
    for (QAction* action : qmenu.actions()) {
        if (action->isSeparator()) continue;
        if (QMenu* submenu = action->menu()) {
            action->setEnabled(!submenu->isEmpty());
            continue;
        }
        const QByteArray name = action->property(kActionProperty).toByteArray();
        action->setEnabled(!name.isEmpty() &&
                           target.validateAction(std::string_view(
                               name.constData(), static_cast<std::size_t>(name.size()))));
    }
}

}  // namespace

QKeySequence keySequenceFor(std::string_view keyEquivalent, std::uint64_t modifierMask) {
    if (keyEquivalent.empty()) return {};
    const QString text =
        QString::fromUtf8(keyEquivalent.data(), static_cast<qsizetype>(keyEquivalent.size()));
    const QChar character = text.front();
    Qt::KeyboardModifiers modifiers;
    if ((modifierMask & kModifierCommand) != 0) modifiers |= Qt::ControlModifier;
    if ((modifierMask & kModifierOption) != 0) modifiers |= Qt::AltModifier;
    if ((modifierMask & kModifierControl) != 0) modifiers |= Qt::MetaModifier;
    if ((modifierMask & kModifierShift) != 0) modifiers |= Qt::ShiftModifier;
    if (character.isUpper()) modifiers |= Qt::ShiftModifier;
    // Qt's key codes for printable characters are their upper-case code points.
    const auto key = static_cast<Qt::Key>(character.toUpper().unicode());
    return QKeySequence(QKeyCombination(modifiers, key));
}

void populateMenu(QMenu& qmenu, const Menu& menu, ActionTarget& target) {
    for (const MenuItem& item : menu.items) {
        if (item.isSeparator) {
            qmenu.addSeparator();
            continue;
        }
        const QString title = QString::fromStdString(item.title);
        if (item.submenu) {
            QMenu* submenu = qmenu.addMenu(title);
            populateMenu(*submenu, *item.submenu, target);
            continue;
        }
        QAction* action = qmenu.addAction(title);
        action->setShortcut(keySequenceFor(item.keyEquivalent, item.modifierMask));
        action->setShortcutContext(Qt::WindowShortcut);
        action->setProperty(kActionProperty, QByteArray::fromStdString(item.action));
        if (!item.action.empty()) {
            QObject::connect(action, &QAction::triggered, action,
                             [&target, name = item.action] { target.sendAction(name); });
        }
    }
    validateMenu(qmenu, target);
    QObject::connect(&qmenu, &QMenu::aboutToShow, &qmenu,
                     [&qmenu, &target] { validateMenu(qmenu, target); });
}

QList<QAction*> actionsWithShortcuts(const QMenu& qmenu) {
    QList<QAction*> found;
    for (QAction* action : qmenu.actions()) {
        if (QMenu* submenu = action->menu()) {
            found += actionsWithShortcuts(*submenu);
        } else if (!action->shortcut().isEmpty()) {
            found.append(action);
        }
    }
    return found;
}

}  // namespace tugworth::qt
